#include "support/TestSite.h"

#include "support/SqliteFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <csignal>
#include <stdexcept>

namespace {

const QString kPgRole = QStringLiteral("school");
const QByteArray kPgPassword = "school-pw";

QString ReadState(const QString& stateFolder, const QString& name)
{
    QFile file(stateFolder + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the PostgreSQL test server is not running (no " + file.fileName().toStdString()
                                 + "); ctest starts it with the fixture pg_server_start");
    return QString::fromUtf8(file.readAll()).trimmed();
}

void Fail(const QString& what, const QSqlError& error)
{
    throw std::runtime_error((what + QStringLiteral(": ") + error.text()).toStdString());
}

// A Qt SQL connection of the test's own, gone with the object.
class ScopedConnection {
public:
    ScopedConnection(const QString& driver, const QString& databaseName)
        : name_(QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(driver, name_);
        database.setDatabaseName(databaseName);
        Open(database);
    }
    // To an SQLite file.
    explicit ScopedConnection(const QString& sqliteFile) : name_(QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase database = AddSqliteConnection(name_, sqliteFile);
        Open(database);
    }
    ~ScopedConnection()
    {
        {
            QSqlDatabase database = QSqlDatabase::database(name_, false);
            database.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase Get() const { return QSqlDatabase::database(name_, false); }

    void Execute(const QString& statement) const
    {
        QSqlQuery query(Get());
        if (!query.exec(statement))
            Fail(statement, query.lastError());
    }

private:
    static void Open(QSqlDatabase& database)
    {
        if (!database.open())
            Fail(QStringLiteral("test connection"), database.lastError());
    }

    QString name_;
};

QString PgConnectionString(const PgServer& server, const QString& database, const QString& user,
                           const QString& password)
{
    return QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=%1;DATABASE=%2;UID=%3;PWD=%4")
        .arg(server.port)
        .arg(database, user, password);
}

} // namespace

const char* BackendName(Backend backend)
{
    return backend == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

QString SharedPgState()
{
    return QStringLiteral(SP_PG_STATE_DIR);
}

PgServer PgServer::FromState(const QString& stateFolder)
{
    PgServer server;
    server.port = ReadState(stateFolder, QStringLiteral("port")).toInt();
    server.adminPassword = ReadState(stateFolder, QStringLiteral("admin-password"));
    return server;
}

namespace {

void RunPgServerScript(const QString& action, const QString& stateFolder)
{
    QProcess script;
    script.start(QStringLiteral(SP_PG_SERVER_SCRIPT), {action, stateFolder});
    if (!script.waitForFinished(120000) || script.exitCode() != 0)
        throw std::runtime_error("pg-server.sh " + action.toStdString()
                                 + " failed: " + script.readAllStandardError().toStdString());
}

} // namespace

PrivatePgServer::PrivatePgServer()
{
    RunPgServerScript(QStringLiteral("start"), state_.path());
}

PrivatePgServer::~PrivatePgServer()
{
    try {
        RunPgServerScript(QStringLiteral("stop"), state_.path());
    } catch (const std::exception&) {
        // Its folder goes with the temporary state folder's owner anyway.
    }
}

void PrivatePgServer::Halt() const
{
    RunPgServerScript(QStringLiteral("halt"), state_.path());
}

void PrivatePgServer::Resume() const
{
    RunPgServerScript(QStringLiteral("resume"), state_.path());
}

void PgServer::AdminExecute(const QString& statement) const
{
    ScopedConnection(QStringLiteral("QODBC"),
                     PgConnectionString(*this, QStringLiteral("postgres"), QStringLiteral("postgres"), adminPassword))
        .Execute(statement);
}

#ifdef _WIN32
// A Windows program cannot signal the Linux processes of the server; the
// stall tests are not built there.
FrozenPgServer::FrozenPgServer(const QString&)
{
    throw std::runtime_error("no stopping of the PostgreSQL test server on Windows");
}

FrozenPgServer::~FrozenPgServer() = default;
#else
FrozenPgServer::FrozenPgServer(const QString& stateFolder)
{
    QFile pidFile(ReadState(stateFolder, QStringLiteral("data")) + QStringLiteral("/cluster/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("no postmaster.pid of the PostgreSQL test server");
    const int postmaster = pidFile.readLine().trimmed().toInt();
    // The postmaster first, so that it starts no process while its children stop.
    processes_.push_back(postmaster);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toInt() <= 0 || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid …"; the name may hold blanks and brackets.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == postmaster)
            processes_.push_back(entry.toInt());
    }
    for (const int process : processes_)
        ::kill(process, SIGSTOP);
}

FrozenPgServer::~FrozenPgServer()
{
    for (const int process : processes_)
        ::kill(process, SIGCONT);
}
#endif

class TestSite::Database : public ScopedConnection {
public:
    using ScopedConnection::ScopedConnection;
};

TestSite::TestSite(Backend backend, const QString& pgStateFolder)
    : backend_(backend)
      // Not the default name, which follows the application's name: the main
      // window renames the application in Chinese, and the SQLite ODBC driver
      // cannot open a database under a path that is not ASCII.
      ,
      temp_(QDir::tempPath() + QStringLiteral("/sp-site-XXXXXX"))
{
    if (!temp_.isValid())
        throw std::runtime_error("no temporary folder");
    pgState_ = pgStateFolder;
    QDir(temp_.path()).mkpath(QStringLiteral("site/upload/StudentPhoto"));
    QDir(temp_.path()).mkpath(QStringLiteral("scratch"));

    if (backend_ == Backend::SQLite) {
        // The SQLite ODBC driver needs an ASCII path; the temporary folder is.
        databaseName_ = temp_.filePath(QStringLiteral("school.db"));
    } else {
        databaseName_ = QStringLiteral("t") + QUuid::createUuid().toString(QUuid::Id128);
        PgServer::FromState(pgState_).AdminExecute(
            QStringLiteral("create database %1 owner %2").arg(databaseName_, kPgRole));
    }
    Execute(QStringLiteral("create table organization (id integer primary key, name varchar(100))"));
    Execute(QStringLiteral("insert into organization values (1, '示范学校')"));
    Execute(QStringLiteral(
        "create table studentbaseinfo (studentcode varchar(40) primary key, name varchar(40), photo varchar(200))"));
    WriteWebConfig(DefaultWebConfig());
}

TestSite::~TestSite()
{
    if (backend_ != Backend::PostgreSQL)
        return;
    try {
        PgServer::FromState(pgState_).AdminExecute(
            QStringLiteral("drop database if exists %1 with (force)").arg(databaseName_));
    } catch (const std::exception&) {
        // The whole cluster goes when the server stops.
    }
}

QString TestSite::Folder() const
{
    return temp_.filePath(QStringLiteral("site")) + u'/';
}

QString TestSite::Scratch(const QString& name) const
{
    return temp_.filePath(QStringLiteral("scratch/") + name);
}

QString TestSite::WriteScratch(const QString& name, const QByteArray& bytes) const
{
    const QString path = Scratch(name);
    QDir().mkpath(QFileInfo(path).path());
    WriteFile(path, bytes);
    return path;
}

QString TestSite::ScratchPhoto(const QString& name, const QString& testData) const
{
    if (testData.isEmpty())
        return WriteScratch(QStringLiteral("photos/") + name,
                            ReadFile(TestDataPath(QStringLiteral("jpeg/photos/hopper_gray.jpg"))) + name.toUtf8());
    return WriteScratch(QStringLiteral("photos/") + name, ReadFile(TestDataPath(testData)));
}

QString TestSite::OdbcDriver() const
{
    return backend_ == Backend::SQLite ? QStringLiteral("SQLite3") : QStringLiteral("PostgreSQL Unicode");
}

QByteArray TestSite::ConnectionSettingsText(const QByteArray& password) const
{
    if (backend_ == Backend::SQLite)
        return "server=(local);database=" + DriverPath(databaseName_).toUtf8() + ";uid=sa;password=unused;";
    return "server=127.0.0.1," + QByteArray::number(PgServer::FromState(pgState_).port)
           + ";database=" + databaseName_.toUtf8() + ";uid=" + kPgRole.toUtf8()
           + ";password=" + (password.isEmpty() ? kPgPassword : password) + ";";
}

QByteArray TestSite::DefaultWebConfig() const
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
           "<configuration>\r\n"
           "  <appSettings>\r\n"
           "    <add key=\"ConnectionString\" value=\""
           + ConnectionSettingsText()
           + "\" />\r\n"
             "  </appSettings>\r\n"
             "</configuration>\r\n";
}

void TestSite::WriteWebConfig(const QByteArray& text) const
{
    WriteFile(Folder() + QStringLiteral("Web.config"), text);
}

std::unique_ptr<TestSite::Database> TestSite::Open() const
{
    if (backend_ == Backend::SQLite)
        return std::make_unique<Database>(databaseName_);
    return std::make_unique<Database>(
        QStringLiteral("QODBC"),
        PgConnectionString(PgServer::FromState(pgState_), databaseName_, kPgRole, QString::fromUtf8(kPgPassword)));
}

void TestSite::Execute(const QString& statement) const
{
    Open()->Execute(statement);
}

void TestSite::AddStudents(const QStringList& codes) const
{
    const auto database = Open();
    for (const QString& code : codes) {
        QSqlQuery query(database->Get());
        query.prepare(QStringLiteral("insert into studentbaseinfo (studentcode, name, photo) values (?, ?, '')"));
        query.addBindValue(code);
        query.addBindValue(QStringLiteral("学生") + code);
        if (!query.exec())
            Fail(QStringLiteral("insert student"), query.lastError());
    }
}

QMap<QString, QString> TestSite::Photos() const
{
    const auto database = Open();
    QSqlQuery query(database->Get());
    if (!query.exec(QStringLiteral("select studentcode, photo from studentbaseinfo")))
        Fail(QStringLiteral("read students"), query.lastError());
    QMap<QString, QString> photos;
    while (query.next())
        photos.insert(query.value(0).toString(),
                      query.isNull(1) ? QStringLiteral("<NULL>") : query.value(1).toString());
    return photos;
}

SiteState TestSite::State() const
{
    SiteState state;
    QDirIterator files(Folder(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        state.files.insert(file.filePath(),
                           file.isSymLink() ? file.symLinkTarget().toUtf8() : ReadFile(file.filePath()));
    }
    state.rows = Photos();
    return state;
}

void TestSite::RejectUpdatesOf(const QString& code) const
{
    if (backend_ == Backend::SQLite) {
        Execute(QStringLiteral("create trigger reject_one before update on studentbaseinfo "
                               "when old.studentcode = '%1' begin select raise(abort, 'photo of %1 refused'); end")
                    .arg(code));
        return;
    }
    Execute(QStringLiteral("create function reject_one() returns trigger language plpgsql as $$ begin "
                           "if old.studentcode = '%1' then raise exception 'photo of %1 refused'; end if; "
                           "return new; end $$")
                .arg(code));
    Execute(QStringLiteral("create trigger reject_one before update on studentbaseinfo "
                           "for each row execute function reject_one()"));
}
