#include "widgets/QtChineseTexts.h"

#include <QCoreApplication>

std::unique_ptr<QTranslator> InstallQtChineseTexts(const QString& folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}
