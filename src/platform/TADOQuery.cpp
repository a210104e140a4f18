#include "platform/TADOQuery.h"

#include "platform/OdbcConnectionString.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

namespace {

std::string DatabaseMessage(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    return text.toStdString();
}

// Qt SQL has no setting for a statement's time limit; the ODBC statement
// handle of a prepared query takes it directly.
void SetStatementTimeout(const QSqlQuery& query, int seconds)
{
    const QVariant handle = query.result()->handle();
    // Qt 6 names the handle's type by what SQLHANDLE stands for.
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "SQLHANDLE") != 0 && qstrcmp(handle.typeName(), "void*") != 0))
        return;
    const SQLHANDLE statement = *static_cast<const SQLHANDLE*>(handle.constData());
    if (statement)
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), SQL_IS_UINTEGER);
}

} // namespace

// One named Qt SQL connection, open for as long as the object lives.
class TADOQuery::Connection {
public:
    Connection(const QString& odbcConnectionString, DatabaseTimeouts timeouts)
        : registration_{QStringLiteral("TADOQuery-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)}
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), registration_.name);
        if (!database.isValid())
            throw EConnectionError("QODBC: the ODBC driver of Qt SQL is not installed");
        database.setDatabaseName(odbcConnectionString);
        database.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(timeouts.loginSeconds));
        if (!database.open())
            throw EConnectionError(DatabaseMessage(database.lastError()));
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase Database() const { return QSqlDatabase::database(registration_.name, false); }

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
};

TADOQuery::TADOQuery(QString odbcDriver)
    : odbcDriver_(std::move(odbcDriver))
{
}

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
    if (!query->isSelect())
        throw EStatementError("CommandText does not return a result set");
    result_ = std::move(query);
}

bool TADOQuery::Next()
{
    if (!result_)
        throw EStatementError("the query is not open");
    if (result_->next())
        return true;
    if (result_->lastError().isValid())
        throw EStatementError(DatabaseMessage(result_->lastError()));
    return false;
}

QVariant TADOQuery::FieldValue(int column) const
{
    return result_ ? result_->value(column) : QVariant();
}

qsizetype TADOQuery::ExecSQL()
{
    CloseResult();
    const std::unique_ptr<QSqlQuery> query = Run();
    return query->numRowsAffected();
}

void TADOQuery::Close()
{
    CloseResult();
    connection_.reset();
}

void TADOQuery::CloseResult()
{
    result_.reset();
}

void TADOQuery::Connect()
{
    if (!connection_)
        connection_ = std::make_unique<Connection>(OdbcConnectionString(connectionString_, odbcDriver_), timeouts_);
}

std::unique_ptr<QSqlQuery> TADOQuery::Run()
{
    Connect();
    auto query = std::make_unique<QSqlQuery>(connection_->Database());
    query->setForwardOnly(true);
    if (!query->prepare(sql_.join(u'\n')))
        throw EStatementError(DatabaseMessage(query->lastError()));
    SetStatementTimeout(*query, timeouts_.statementSeconds);
    for (const QVariant& value : std::as_const(parameters_))
        query->addBindValue(value);
    if (!query->exec())
        throw EStatementError(DatabaseMessage(query->lastError()));
    return query;
}
