#include "widgets/KeepOpenOnEscape.h"

#include <QDialog>
#include <QKeyEvent>

namespace {

// Watches the dialog itself: an Escape no control took reaches it last.
class EscapeFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void KeepOpenOnEscape(QDialog& dialog)
{
    dialog.installEventFilter(new EscapeFilter(&dialog));
}
