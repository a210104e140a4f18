#include "platform/database/TADOQuery.h"

#include "platform/database/DatabaseFailure.h"
#include "platform/database/OdbcConnectionString.h"
#include "platform/database/ProcessSockets.h"
#include "platform/database/StallWatchdog.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

namespace {

QString DriverText(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
}

// The step that failed in the user's words, then the driver's own text.
std::string ConnectionMessage(const QSqlError& error)
{
    return DatabaseFailureText(ConnectionFailureOf(error.nativeErrorCode(), DriverText(error)), DriverText(error),
                               QStringLiteral("无法连接数据库"))
        .toStdString();
}

std::string StatementMessage(const QSqlError& error)
{
    return DatabaseFailureText(StatementFailureOf(error.nativeErrorCode(), DriverText(error)), DriverText(error))
        .toStdString();
}

// The ODBC statement handle of a prepared query, or null.
SQLHANDLE StatementHandle(const QSqlQuery& query)
{
    const QVariant handle = query.result()->handle();
    // Qt 6 names the handle's type by what SQLHANDLE stands for.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "SQLHANDLE") != 0 && qstrcmp(handle.typeName(), "void*") != 0))
        return nullptr;
    return *static_cast<const SQLHANDLE*>(handle.constData());
}

// Qt SQL has no setting for a statement's time limit; the ODBC statement
// handle of a prepared query takes it directly.
void SetStatementTimeout(SQLHANDLE statement, int seconds)
{
    if (statement)
        // ODBC takes an integer attribute's value in its pointer argument.
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), // NOLINT(performance-no-int-to-ptr)
                       SQL_IS_UINTEGER);
}

std::chrono::seconds StallLimit(int limitSeconds, const DatabaseTimeouts& timeouts)
{
    return std::chrono::seconds(limitSeconds + timeouts.stallGraceSeconds);
}

std::string StallMessage(std::chrono::seconds waited)
{
    return QStringLiteral("数据库服务器超过 %1 秒没有响应，已中断连接").arg(waited.count()).toStdString();
}

// What ends a call that waits on a silent server. The connection's sockets
// are those opened since `before` (taken when the connection was begun); so
// are those of a cancel request the driver is still making, which waits on
// the same server. Other threads of this tool open no sockets while a
// database call runs.
StallWatchdog::Actions StallActions(const SocketList& before, SQLHANDLE statement)
{
    StallWatchdog::Actions actions;
    // psqlODBC cancels through a second connection to the server and waits
    // for the server's reply, so its SQLCancel blocks as long as the server
    // is silent; the interrupt then ends both waits.
    if (statement)
        actions.cancel = [statement] { SQLCancel(statement); };
    actions.interrupt = [before] { ShutDownSocketsOpenedSince(before); };
    return actions;
}

} // namespace

// One named Qt SQL connection, open for as long as the object lives.
class TADOQuery::Connection {
public:
    Connection(const QString& odbcConnectionString, DatabaseTimeouts timeouts, StallWatchdog& watchdog)
        : registration_{QStringLiteral("TADOQuery-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)},
          socketsBefore_(OpenSockets())
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), registration_.name);
        if (!database.isValid())
            throw EConnectionError("QODBC: the ODBC driver of Qt SQL is not installed");
        database.setDatabaseName(odbcConnectionString);
        database.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(timeouts.loginSeconds));
        const std::chrono::seconds limit = StallLimit(timeouts.loginSeconds, timeouts);
        StallWatchdog::Guard guard = watchdog.Watch(limit, StallActions(socketsBefore_, nullptr));
        const bool opened = database.open();
        if (guard.Finish())
            throw EConnectionError(StallMessage(limit));
        if (!opened)
            throw EConnectionError(ConnectionMessage(database.lastError()));
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase Database() const { return QSqlDatabase::database(registration_.name, false); }
    const SocketList& SocketsBefore() const { return socketsBefore_; }

private:
    // Qt keeps connections in a registry by name; the name is taken out again
    // also when opening fails, once no handle of it is left.
    struct Registration {
        QString name;
        ~Registration()
        {
            {
                QSqlDatabase database = QSqlDatabase::database(name, false);
                database.close();
            }
            QSqlDatabase::removeDatabase(name);
        }
    };
    Registration registration_;
    SocketList socketsBefore_;
};

TADOQuery::TADOQuery(QString odbcDriver) : odbcDriver_(std::move(odbcDriver)) { }

TADOQuery::~TADOQuery()
{
    Close();
}

void TADOQuery::SetOdbcDriver(const QString& odbcDriver)
{
    if (odbcDriver == odbcDriver_)
        return;
    Close();
    odbcDriver_ = odbcDriver;
}

void TADOQuery::SetConnectionString(const QString& oleDbConnectionString)
{
    if (oleDbConnectionString == connectionString_)
        return;
    Close();
    connectionString_ = oleDbConnectionString;
}

void TADOQuery::ClearSQL()
{
    CloseResult();
    sql_.clear();
    parameters_.clear();
}

void TADOQuery::AddSQL(const QString& line)
{
    CloseResult();
    sql_ << line;
}

void TADOQuery::AddParameter(const QVariant& value)
{
    CloseResult();
    parameters_ << value;
}

void TADOQuery::Open()
{
    CloseResult();
    std::unique_ptr<QSqlQuery> query = Run();
    if (!query->isSelect()) {
        Release(std::move(query));
        throw EStatementError("CommandText does not return a result set");
    }
    result_ = std::move(query);
}

bool TADOQuery::Next()
{
    if (!result_)
        throw EStatementError("the query is not open");
    if (result_->next())
        return true;
    if (result_->lastError().isValid())
        throw EStatementError(StatementMessage(result_->lastError()));
    return false;
}

QVariant TADOQuery::FieldValue(int column) const
{
    return result_ ? result_->value(column) : QVariant();
}

QStringList TADOQuery::FieldNames() const
{
    QStringList names;
    if (!result_)
        return names;
    const QSqlRecord record = result_->record();
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

qsizetype TADOQuery::ExecSQL()
{
    CloseResult();
    std::unique_ptr<QSqlQuery> query = Run();
    const qsizetype rows = query->numRowsAffected();
    Release(std::move(query));
    return rows;
}

void TADOQuery::Close()
{
    CloseResult();
    // Logging off may wait for the server as well.
    if (connection_)
        CallDriver(nullptr, [this] { connection_.reset(); });
    lostConnection_.reset();
}

void TADOQuery::CloseResult()
{
    Release(std::move(result_));
}

StallWatchdog& TADOQuery::Watchdog()
{
    if (!watchdog_)
        watchdog_ = std::make_unique<StallWatchdog>();
    return *watchdog_;
}

void TADOQuery::Connect()
{
    if (lostConnection_) {
        const std::string message = *std::exchange(lostConnection_, std::nullopt);
        throw EConnectionError(message);
    }
    if (!connection_) {
        connection_ = std::make_unique<Connection>(
            OdbcConnectionString(connectionString_, odbcDriver_, timeouts_.statementSeconds), timeouts_, Watchdog());
    }
}

bool TADOQuery::CallDriver(void* statement, const std::function<void()>& call)
{
    StallWatchdog::Guard guard = Watchdog().Watch(StallLimit(timeouts_.statementSeconds, timeouts_),
                                                  StallActions(connection_->SocketsBefore(), statement));
    call();
    return guard.Finish();
}

void TADOQuery::DropConnection()
{
    // After the watchdog shut its sockets down, what is left of the
    // connection goes without waiting for anything.
    result_.reset();
    connection_.reset();
}

void TADOQuery::Release(std::unique_ptr<QSqlQuery> query)
{
    // Freeing a statement may be a round trip: psqlODBC closes the server's
    // prepared statement and waits for the answer. Freeing does not fail, so
    // the next call that needs the connection reports the stall instead of
    // waiting for the same server once more.
    if (query && CallDriver(nullptr, [&query] { query.reset(); })) {
        DropConnection();
        lostConnection_ = StallMessage(StallLimit(timeouts_.statementSeconds, timeouts_));
    }
}

std::unique_ptr<QSqlQuery> TADOQuery::Run()
{
    Connect();
    const auto stalled = [this](std::unique_ptr<QSqlQuery> query) {
        query.reset();
        DropConnection();
        return EStatementError(StallMessage(StallLimit(timeouts_.statementSeconds, timeouts_)));
    };
    const auto failed = [this](std::unique_ptr<QSqlQuery> query) {
        const std::string message = StatementMessage(query->lastError());
        Release(std::move(query));
        return EStatementError(message);
    };

    auto query = std::make_unique<QSqlQuery>(connection_->Database());
    query->setForwardOnly(true);
    bool done = false;
    if (CallDriver(nullptr, [&] { done = query->prepare(sql_.join(u'\n')); }))
        throw stalled(std::move(query));
    if (!done)
        throw failed(std::move(query));

    SQLHANDLE statement = StatementHandle(*query);
    SetStatementTimeout(statement, timeouts_.statementSeconds);
    for (const QVariant& value : std::as_const(parameters_))
        query->addBindValue(value);
    if (CallDriver(statement, [&] { done = query->exec(); }))
        throw stalled(std::move(query));
    if (!done)
        throw failed(std::move(query));
    return query;
}
