// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "support/PostgresServer.h"

#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVersionNumber>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace zentrova::test {

namespace {

const char* const Superuser = "zentrova";
const char* const DatabaseName = "zentrova";
const char* const Host = "127.0.0.1";

// The programs used, all from one installation.
const char* const ServerPrograms[] = {"initdb", "postgres", "pg_isready", "createdb"};

bool hasPrograms(const QString& binDir)
{
    for (const char* program : ServerPrograms)
        if (!QFileInfo(binDir + u'/' + QLatin1String(program)).isExecutable())
            return false;
    return true;
}

// Debian installs each major version into /usr/lib/postgresql/<version>/bin
// and puts none of the server programs on the PATH; the newest installed
// version is taken. Elsewhere pg_config names the folder, or they are on
// the PATH.
QString findBinDir()
{
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QVersionNumber newest;
    QString found;
    for (const QString& version : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber number = QVersionNumber::fromString(version);
        const QString bin = versions.filePath(version + QStringLiteral("/bin"));
        if (!number.isNull() && number > newest && hasPrograms(bin)) {
            newest = number;
            found = bin;
        }
    }
    if (!found.isEmpty())
        return found;
    const QString pgConfig = QStandardPaths::findExecutable(QStringLiteral("pg_config"));
    if (!pgConfig.isEmpty()) {
        QProcess p;
        p.start(pgConfig, {QStringLiteral("--bindir")});
        if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) {
            const QString bin = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
            if (hasPrograms(bin))
                return bin;
        }
    }
    const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    if (!initdb.isEmpty() && hasPrograms(QFileInfo(initdb).absolutePath()))
        return QFileInfo(initdb).absolutePath();
    return {};
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

PostgresServer::PostgresServer() : dir_(QDir::tempPath() + QStringLiteral("/zentrova-pg-XXXXXX"))
{
}

PostgresServer::~PostgresServer()
{
    stop();
}

QString PostgresServer::host() const
{
    return QString::fromLatin1(Host);
}

QString PostgresServer::databaseName() const
{
    return QString::fromLatin1(DatabaseName);
}

QString PostgresServer::userName() const
{
    return QString::fromLatin1(Superuser);
}

QString PostgresServer::connectionString() const
{
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(userName(), host()).arg(port_).arg(databaseName());
}

void PostgresServer::prepareProcess(QProcess& process, bool asServerUser) const
{
    process.setProcessEnvironment(environment_);
    process.setWorkingDirectory(dir_.path());
    const int uid = asServerUser ? runUid_ : -1;
    const gid_t gid = gid_t(runGid_);
    // Runs in the child between fork and exec: system calls only.
    process.setChildProcessModifier([uid, gid] {
        if (uid >= 0 && (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid_t(uid)) != 0)) {
            static const char message[] = "cannot change to the server's user\n";
            [[maybe_unused]] const ssize_t written = ::write(2, message, sizeof message - 1);
            ::_exit(127);
        }
        // The process goes with the test, also when the test dies. Set after
        // the change of user, which clears it. SIGINT is the server's fast
        // shutdown and ends initdb and the clients.
        ::prctl(PR_SET_PDEATHSIG, SIGINT);
    });
}

bool PostgresServer::runTool(const QString& program, const QStringList& args, bool asServerUser, int timeoutMs,
                             QString* error) const
{
    QProcess p;
    prepareProcess(p, asServerUser);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(binDir_ + u'/' + program, args);
    if (!p.waitForStarted(10000)) {
        setError(error, program + QStringLiteral(" does not start: ") + p.errorString());
        return false;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        setError(error, program + QStringLiteral(" did not end within %1 s: ").arg(timeoutMs / 1000) +
                            QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        setError(error, program + u' ' + args.join(u' ') + QStringLiteral(" failed: ") +
                            QString::fromLocal8Bit(p.readAll()).trimmed());
        return false;
    }
    return true;
}

bool PostgresServer::start(QString* error)
{
    if (postgres_.state() != QProcess::NotRunning || port_ != 0) {
        setError(error, QStringLiteral("the server was started before"));
        return false;
    }
    binDir_ = findBinDir();
    if (binDir_.isEmpty()) {
        setError(error, QStringLiteral("PostgreSQL's server programs (initdb, postgres) are not installed (Debian "
                                       "package postgresql): run scripts/install-deps"));
        return false;
    }
    if (!dir_.isValid()) {
        setError(error, QStringLiteral("no temporary folder: ") + dir_.errorString());
        return false;
    }

    // Nothing of the user's or the machine's PostgreSQL set-up (PGHOST,
    // PGDATA, PGOPTIONS, ...) reaches the programs, and they speak English.
    environment_ = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment_.keys())
        if (name.startsWith(QStringLiteral("PG")))
            environment_.remove(name);
    environment_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment_.remove(QStringLiteral("LANGUAGE"));

    const QString socketDir = dir_.filePath(QStringLiteral("socket"));
    if (!QDir().mkpath(socketDir)) {
        setError(error, QStringLiteral("cannot make ") + socketDir);
        return false;
    }
    // initdb and postgres refuse to run as root. As root, the cluster is
    // made and run by an unprivileged user, who owns the folder; the temporary
    // folder's parent (/tmp) lets everybody through.
    QString runAs;
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam("postgres");
        if (!user)
            user = ::getpwnam("nobody");
        if (!user) {
            setError(error, QStringLiteral("running as root, and there is neither a postgres nor a nobody user "
                                           "to run the server as"));
            return false;
        }
        runUid_ = int(user->pw_uid);
        runGid_ = int(user->pw_gid);
        runAs = QString::fromLocal8Bit(user->pw_name);
        for (const QString& path : {dir_.path(), socketDir}) {
            if (::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0) {
                setError(error, QStringLiteral("cannot give %1 to the user %2").arg(path, runAs));
                return false;
            }
        }
    }

    const QString dataDir = dir_.filePath(QStringLiteral("data"));
    QString why;
    // --no-sync: the cluster goes with the test, nothing in it has to survive
    // a crash of the machine.
    if (!runTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), dataDir, QStringLiteral("-U"), userName(), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--no-locale"), QStringLiteral("--auth-local=trust"),
                  QStringLiteral("--auth-host=trust"), QStringLiteral("--no-sync")},
                 true, 120000, &why)) {
        if (!runAs.isEmpty())
            why += QStringLiteral("\n(as root the cluster is made by the user %1, who must be able to reach %2)")
                       .arg(runAs, dir_.path());
        setError(error, why);
        return false;
    }

    // The log goes into a file: a pipe nobody reads would stop the server
    // once it is full.
    const QString logFile = dir_.filePath(QStringLiteral("server.log"));
    // The port is free when asked for but may be taken before the server
    // binds it; then the server ends at once, and another port is tried.
    for (int attempt = 0;; ++attempt) {
        port_ = freeLocalPort();
        if (port_ == 0) {
            setError(error, QStringLiteral("no free port on 127.0.0.1"));
            return false;
        }
        prepareProcess(postgres_, true);
        postgres_.setProcessChannelMode(QProcess::MergedChannels);
        postgres_.setStandardOutputFile(logFile, QIODevice::Append);
        // fsync=off as initdb's --no-sync: nothing has to survive a crash.
        postgres_.start(binDir_ + QStringLiteral("/postgres"),
                        {QStringLiteral("-D"), dataDir, QStringLiteral("-p"), QString::number(port_),
                         QStringLiteral("-h"), host(), QStringLiteral("-k"), socketDir, QStringLiteral("-c"),
                         QStringLiteral("fsync=off")});
        if (!postgres_.waitForStarted(10000)) {
            setError(error, QStringLiteral("postgres does not start: ") + postgres_.errorString());
            return false;
        }
        // Asked through its socket, which only this server makes in this
        // folder: another server that took the port must not pass for it. The
        // server makes its socket after binding the port, and ends when it
        // cannot bind it.
        const QDeadlineTimer deadline(60000);
        bool ready = false;
        while (!ready && postgres_.state() == QProcess::Running && !deadline.hasExpired()) {
            ready = runTool(QStringLiteral("pg_isready"),
                            {QStringLiteral("-q"), QStringLiteral("-h"), socketDir, QStringLiteral("-p"),
                             QString::number(port_), QStringLiteral("-U"), userName(), QStringLiteral("-d"),
                             QStringLiteral("postgres"), QStringLiteral("-t"), QStringLiteral("5")},
                            false, 10000, nullptr);
            // Waiting for the end of the server also sees it ending.
            if (!ready)
                postgres_.waitForFinished(100);
        }
        if (ready)
            break;
        const bool portTaken = postgres_.state() == QProcess::NotRunning && attempt < 4 &&
                               logTail().contains(QStringLiteral("could not bind"));
        if (!portTaken) {
            setError(error, QStringLiteral("postgres does not take connections on %1:%2: %3")
                                .arg(host())
                                .arg(port_)
                                .arg(logTail()));
            stop();
            return false;
        }
    }
    if (!createDatabase(databaseName(), error)) {
        stop();
        return false;
    }
    return true;
}

void PostgresServer::stop()
{
    if (postgres_.state() == QProcess::NotRunning)
        return;
    // SIGINT is the fast shutdown, which ends open sessions. QProcess's
    // terminate() sends SIGTERM, on which the server waits for every client
    // to leave, and a test that fails may leave one open.
    const qint64 pid = postgres_.processId();
    ::kill(pid_t(pid), SIGINT);
    if (postgres_.waitForFinished(30000))
        return;
    // Immediate shutdown, then no shutdown at all.
    ::kill(pid_t(pid), SIGQUIT);
    if (postgres_.waitForFinished(10000))
        return;
    postgres_.kill();
    postgres_.waitForFinished(5000);
}

bool PostgresServer::createDatabase(const QString& name, QString* error)
{
    return runTool(QStringLiteral("createdb"),
                   {QStringLiteral("-h"), host(), QStringLiteral("-p"), QString::number(port_), QStringLiteral("-U"),
                    userName(), QStringLiteral("--"), name},
                   false, 30000, error);
}

QString PostgresServer::logTail() const
{
    QFile f(dir_.filePath(QStringLiteral("server.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromLocal8Bit(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    return u'\n' + lines.mid(std::max<qsizetype>(0, lines.size() - 20)).join(u'\n');
}

std::vector<qint64> PostgresServer::processIds() const
{
    std::vector<qint64> ids;
    const qint64 postmaster = postgres_.processId();
    if (postgres_.state() != QProcess::Running || postmaster <= 0)
        return ids;
    ids.push_back(postmaster);
    // Field 4 of /proc/PID/stat is the parent's id; the name before it is in parentheses.
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == postmaster)
            ids.push_back(pid);
    }
    return ids;
}

} // namespace zentrova::test
