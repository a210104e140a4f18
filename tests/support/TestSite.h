#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// The databases the tests run against: an SQLite file reached through the
// SQLite3 ODBC driver, and a database of the throwaway PostgreSQL server
// that the test command starts (pg-server.sh) reached through psqlODBC.
enum class Backend { SQLite, PostgreSQL };

const char* BackendName(Backend backend);

// The folder where pg-server.sh keeps the state of the tests' shared server.
QString SharedPgState();

// The PostgreSQL server started for the tests: its port and admin password,
// read from the state folder pg-server.sh wrote.
struct PgServer {
    int port = 0;
    QString adminPassword;
    static PgServer FromState(const QString& stateFolder = SharedPgState());
    // Runs a statement as the server's superuser, on the database "postgres".
    void AdminExecute(const QString& statement) const;
};

// The PostgreSQL test server stopped with SIGSTOP, every process of it, as a
// server looks that hangs or whose machine stalls: connections stay open and
// nothing answers. It goes on (SIGCONT) when the object goes.
class FrozenPgServer {
public:
    explicit FrozenPgServer(const QString& stateFolder = SharedPgState());
    ~FrozenPgServer();
    FrozenPgServer(const FrozenPgServer&) = delete;
    FrozenPgServer& operator=(const FrozenPgServer&) = delete;

private:
    std::vector<int> processes_;
};

// A PostgreSQL server of one test's own, for cases that stop it midway:
// started with the object, stopped and removed with it.
class PrivatePgServer {
public:
    PrivatePgServer();
    ~PrivatePgServer();
    PrivatePgServer(const PrivatePgServer&) = delete;
    PrivatePgServer& operator=(const PrivatePgServer&) = delete;

    QString StateFolder() const { return state_.path(); }
    // Stops the server at once, as a crash would; Resume starts it again.
    void Halt() const;
    void Resume() const;

private:
    QTemporaryDir state_;
};

// Everything a run may touch: each file under the site folder (a link by its
// target) and the photo column of every student.
struct SiteState {
    QMap<QString, QByteArray> files;
    QMap<QString, QString> rows;
    friend bool operator==(const SiteState&, const SiteState&) = default;
};

// A web application installation in a temporary folder: Web.config naming a
// fresh database that holds "organization" and "studentbaseinfo", and an
// empty upload/StudentPhoto/ folder. The database goes when the site does.
class TestSite {
public:
    // PostgreSQL sites live on the server of `pgStateFolder`.
    explicit TestSite(Backend backend, const QString& pgStateFolder = SharedPgState());
    ~TestSite();

    TestSite(const TestSite&) = delete;
    TestSite& operator=(const TestSite&) = delete;

    Backend Kind() const { return backend_; }
    // The installation folder as the main window holds it: ends with "/".
    QString Folder() const;
    QString SitePhotoFolder() const { return Folder() + QStringLiteral("upload/StudentPhoto/"); }
    // A scratch folder beside the site, for photos and roster files.
    QString Scratch(const QString& name) const;
    // Writes a scratch file (its folder made as needed); returns its path.
    QString WriteScratch(const QString& name, const QByteArray& bytes) const;
    // Copies a shared test photo into scratch/photos/; returns its path.
    // Without one named, jpeg/photos/hopper_gray.jpg followed by `name`
    // after the picture's end: each photo another file of the same picture,
    // since files of the same bytes are refused.
    QString ScratchPhoto(const QString& name, const QString& testData = {}) const;
    QString OdbcDriver() const;

    // The connection settings as a Web.config states them, and the file.
    QByteArray ConnectionSettingsText(const QByteArray& password = {}) const;
    void WriteWebConfig(const QByteArray& text) const;
    QByteArray DefaultWebConfig() const;

    // Students with an empty photo.
    void AddStudents(const QStringList& codes) const;
    // studentcode → photo of every row ("<NULL>" for NULL).
    QMap<QString, QString> Photos() const;
    SiteState State() const;
    // Runs statements as the database's owner.
    void Execute(const QString& statement) const;
    // Makes the database refuse any update of that student's row.
    void RejectUpdatesOf(const QString& code) const;

private:
    class Database;
    std::unique_ptr<Database> Open() const;

    Backend backend_;
    QTemporaryDir temp_;
    QString databaseName_; // a PostgreSQL database, or the SQLite file
    QString pgState_;
};
