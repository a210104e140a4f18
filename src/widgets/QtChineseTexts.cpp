#include "widgets/QtChineseTexts.h"

#include <QCoreApplication>

namespace {

// Texts Qt shows in Chinese windows that its Chinese translation lacks. Qt 6
// asks for the kind of a file in the file and folder pickers' lists
// ("Folder") under QAbstractFileIconProvider, a name qtbase_zh_CN does not
// know; the picker would say "Folder" among Chinese labels.
struct MissingText {
    const char* context;
    const char* source;
    const char* chinese;
};
constexpr MissingText kMissingTexts[] = {
    {"QAbstractFileIconProvider", "Folder", "文件夹"},
    {"QAbstractFileIconProvider", "Drive", "驱动器"},
    {"QAbstractFileIconProvider", "File", "文件"},
    {"QAbstractFileIconProvider", "%1 File", "%1 文件"},
};

// Qt's translation, and where it has no text, ours.
class QtChineseTranslator final : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override
    {
        QString text = QTranslator::translate(context, source, disambiguation, n);
        if (!text.isEmpty() || context == nullptr || source == nullptr)
            return text;
        for (const MissingText& missing : kMissingTexts) {
            if (qstrcmp(context, missing.context) == 0 && qstrcmp(source, missing.source) == 0)
                return QString::fromUtf8(missing.chinese);
        }
        return text;
    }
};

} // namespace

std::unique_ptr<QTranslator> InstallQtChineseTexts(const QString& folder)
{
    auto translator = std::make_unique<QtChineseTranslator>();
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}
