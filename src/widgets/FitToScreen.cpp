#include "widgets/FitToScreen.h"

#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

// What the window manager adds around the client area: known once the
// window has been shown, estimated from the style before that.
QSize FrameOf(const QWidget& window)
{
    const QSize known = window.frameGeometry().size() - window.geometry().size();
    if (known.width() > 0 || known.height() > 0)
        return known;
    const int border = window.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
    return {2 * border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border};
}

QSize AvailableSize(const QWidget& window, const QScreen* screen)
{
    if (!screen)
        screen = window.screen();
    return screen ? screen->availableGeometry().size() : QSize();
}

// Every widget in the window's focus chain, in order.
QList<QWidget*> FocusChain(QWidget& window)
{
    QList<QWidget*> chain;
    for (QWidget* next = window.nextInFocusChain(); next && next != &window; next = next->nextInFocusChain())
        chain << next;
    return chain;
}

} // namespace

QSize FittedClientSize(QSize design, QSize available, QSize frame, int scrollBar)
{
    if (!available.isValid())
        return design;
    const QSize room = (available - frame).expandedTo(QSize(1, 1));
    QSize size = design.boundedTo(room);
    const bool tooHigh = size.height() < design.height();
    const bool tooWide = size.width() < design.width();
    if (tooHigh && !tooWide)
        size.setWidth(std::min(design.width() + scrollBar, room.width()));
    if (tooWide && !tooHigh)
        size.setHeight(std::min(design.height() + scrollBar, room.height()));
    return size;
}

QWidget* PutControlsOnScrollingSurface(QWidget& window, QSize design)
{
    const QList<QWidget*> chain = FocusChain(window);
    auto* surface = new QWidget;
    surface->setObjectName(QStringLiteral("Surface"));
    surface->setFixedSize(design);
    for (QObject* child : window.children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control && !control->isWindow()) {
            const bool hidden = control->isHidden();
            control->setParent(surface);
            control->setVisible(!hidden);
        }
    }
    auto* scroller = new QScrollArea;
    scroller->setObjectName(QStringLiteral("Scroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    // Tab goes from control to control; the surface they lie on is none of
    // them (a focused control is still scrolled into view).
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidget(surface);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
    // Moving the controls put them at the end of the chain one by one.
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        if (chain[i]->window() == &window && chain[i + 1]->window() == &window)
            QWidget::setTabOrder(chain[i], chain[i + 1]);
    }
    return surface;
}

bool FitToScreen(QWidget& window, QSize design, const QScreen* screen)
{
    const QSize size = FittedClientSize(design, AvailableSize(window, screen), FrameOf(window),
                                        window.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    if (window.minimumSize() == size && window.maximumSize() == size)
        return false;
    window.setFixedSize(size);
    return true;
}

QSize SizeWithinScreen(const QWidget& window, QSize wanted)
{
    return FittedClientSize(wanted, AvailableSize(window, nullptr), FrameOf(window), 0);
}
