#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

class QSqlQuery;
class StallWatchdog;

// A failure of the database or of its driver. what() is the database's own
// message (UTF-8), or the driver's when the database gave none, after the
// step that failed in Chinese when it is known (DatabaseFailure.h):
// "找不到数据库：FATAL: database "x" does not exist".
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The connection could not be made: server unreachable, login refused,
// database unknown, driver missing, or the login timeout ran out.
class EConnectionError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// The database rejected a statement, or it ran out of time.
class EStatementError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

struct DatabaseTimeouts {
    int loginSeconds = 15;     // connecting, so that an unreachable server cannot hang a run
    int statementSeconds = 30; // each statement
    // The limits above hold only while the server answers. A call still
    // waiting this much longer is ended by a watchdog (StallWatchdog.h): the
    // call fails and the connection is dropped.
    int stallGraceSeconds = 5;
};

// The main window's query object: a connection string in OLE DB form, a
// statement made of lines, bound parameters, open (rows expected), execute
// (rows affected) and close. It reaches the database through Qt SQL's ODBC
// driver; the OLE DB string becomes an ODBC one for the chosen ODBC driver
// (OdbcConnectionString.h). The connection is made by the first Open or
// ExecSQL and kept until Close, a new connection string or the end of the
// object; statements run one by one, each taking effect on its own.
class TADOQuery {
public:
    explicit TADOQuery(QString odbcDriver);
    ~TADOQuery();

    TADOQuery(const TADOQuery&) = delete;
    TADOQuery& operator=(const TADOQuery&) = delete;

    // Closes the query when the driver changes.
    void SetOdbcDriver(const QString& odbcDriver);
    void SetTimeouts(DatabaseTimeouts timeouts) { timeouts_ = timeouts; }

    QString ConnectionString() const { return connectionString_; }
    // Closes the query and its connection when the text changes.
    void SetConnectionString(const QString& oleDbConnectionString);

    // The statement text as lines. Changing it closes an open result and
    // drops the bound parameters.
    const QStringList& SQL() const { return sql_; }
    void ClearSQL();
    void AddSQL(const QString& line);
    // Binds the next "?" of the statement, in order.
    void AddParameter(const QVariant& value);

    // Connects when needed and runs the statement, which must give rows back
    // (the rows are kept until the result is closed, and not read here).
    // Throws EConnectionError or EStatementError; a statement that gives no
    // rows throws EStatementError("CommandText does not return a result set").
    // A server that stops answering fails the call after the time limit and
    // the grace of DatabaseTimeouts, and the connection is dropped.
    void Open();
    // Moves to the next row of the open result; false after the last one.
    // Throws EStatementError when the database fails while rows are read.
    bool Next();
    // A column of the current row, counted from 0; a null QVariant for NULL.
    QVariant FieldValue(int column) const;
    // The names of the open result's columns as the driver gives them, in
    // order; none when no result is open.
    QStringList FieldNames() const;

    // Connects when needed and runs the statement as a command; returns the
    // number of rows it changed, or -1 when the driver cannot tell.
    qsizetype ExecSQL();
    // Releases the result and the connection.
    void Close();

    bool Active() const { return static_cast<bool>(result_); }
    bool Connected() const { return static_cast<bool>(connection_); }

private:
    class Connection;

    void CloseResult();
    void Connect();
    std::unique_ptr<QSqlQuery> Run();
    StallWatchdog& Watchdog();
    // Makes one call into the driver under the watchdog, with the statement
    // it may cancel (or null). True when the watchdog had to end it: the
    // connection is then lost.
    bool CallDriver(void* statement, const std::function<void()>& call);
    void DropConnection();
    // Frees a statement, which may ask the server too.
    void Release(std::unique_ptr<QSqlQuery> query);

    QString odbcDriver_;
    DatabaseTimeouts timeouts_;
    QString connectionString_;
    QStringList sql_;
    QVariantList parameters_;
    // Made with the first connection; its thread sleeps between calls.
    std::unique_ptr<StallWatchdog> watchdog_;
    // Declared before the result, so that the result goes first: a connection
    // cannot be removed while a query still uses it.
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<QSqlQuery> result_;
    // Why the connection was lost while a statement was freed, until a call
    // that needs the connection reports it.
    std::optional<std::string> lostConnection_;
};
