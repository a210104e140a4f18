#pragma once

#include <QString>

// Which step of reaching the data failed, told from what the ODBC driver
// reported: SQL Server (its own driver and FreeTDS), PostgreSQL and SQLite
// word the same failures differently, and Qt passes on only their text and
// native error number, not the ODBC state.
enum class DatabaseFailure {
    ServerUnreachable, // no server answers at the address given
    LoginRefused,      // the server answered but refused the user or password
    DatabaseNotFound,  // logged in, but there is no database of that name
    TableMissing,      // a statement names a table the database lacks
    Other,
};

// A failure to connect, from the driver's native error number and its message.
DatabaseFailure ConnectionFailureOf(const QString& nativeCode, const QString& message);
// A statement's failure, likewise.
DatabaseFailure StatementFailureOf(const QString& nativeCode, const QString& message);

// The step in the user's words: "无法连接数据库服务器", "数据库服务器拒绝登录
// （用户名或密码不对）", "找不到数据库", "数据库中缺少数据表"; empty for Other.
QString DatabaseFailureStep(DatabaseFailure failure);

// The step, then the driver's own text: "找不到数据库：FATAL: database "x" does
// not exist". `fallbackStep` stands first when the step is not known.
QString DatabaseFailureText(DatabaseFailure failure, const QString& driverText, const QString& fallbackStep = {});
