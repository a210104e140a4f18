#include "platform/database/DatabaseFailure.h"

#include <QStringList>

#include <initializer_list>

namespace {

bool SaysAnyOf(const QString& message, std::initializer_list<const char*> phrases)
{
    for (const char* phrase : phrases) {
        if (message.contains(QLatin1String(phrase), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

DatabaseFailure ConnectionFailureOf(const QString& nativeCode, const QString& message)
{
    // SQL Server's numbers: 4060 no such database, 18456 login failed;
    // FreeTDS's 20009: no server at that address. SQLite, told not to make a
    // new database file, says "connect failed" (14, cannot open) for a
    // missing one.
    if (nativeCode == u"4060" || SaysAnyOf(message, {"Cannot open database", "connect failed"})
        || (message.contains(QLatin1String("database \"")) && message.contains(QLatin1String("does not exist"))))
        return DatabaseFailure::DatabaseNotFound;
    if (nativeCode == u"18456"
        || SaysAnyOf(message, {"Login failed", "authentication failed", "no password supplied", "role \""}))
        return DatabaseFailure::LoginRefused;
    if (nativeCode == u"20009"
        || SaysAnyOf(message, {"does not exist or access denied", "Adaptive Server is unavailable", "Unable to connect",
                               "Connection refused", "could not connect", "could not translate host name",
                               "Unknown host", "timeout expired", "timed out", "No route to host",
                               "Network is unreachable", "Named Pipes Provider", "TCP Provider"}))
        return DatabaseFailure::ServerUnreachable;
    return DatabaseFailure::Other;
}

DatabaseFailure StatementFailureOf(const QString& nativeCode, const QString& message)
{
    // SQL Server 208: invalid object name.
    if (nativeCode == u"208" || SaysAnyOf(message, {"Invalid object name", "no such table"})
        || (message.contains(QLatin1String("relation \"")) && message.contains(QLatin1String("does not exist"))))
        return DatabaseFailure::TableMissing;
    return DatabaseFailure::Other;
}

QString DatabaseFailureStep(DatabaseFailure failure)
{
    switch (failure) {
    case DatabaseFailure::ServerUnreachable:
        return QStringLiteral("无法连接数据库服务器");
    case DatabaseFailure::LoginRefused:
        return QStringLiteral("数据库服务器拒绝登录（用户名或密码不对）");
    case DatabaseFailure::DatabaseNotFound:
        return QStringLiteral("找不到数据库");
    case DatabaseFailure::TableMissing:
        return QStringLiteral("数据库中缺少数据表");
    case DatabaseFailure::Other:
        break;
    }
    return {};
}

QString DatabaseFailureText(DatabaseFailure failure, const QString& driverText, const QString& fallbackStep)
{
    const QString step = failure == DatabaseFailure::Other ? fallbackStep : DatabaseFailureStep(failure);
    if (step.isEmpty())
        return driverText;
    const QString text = driverText.trimmed();
    return text.isEmpty() ? step : step + QStringLiteral("：") + text;
}
