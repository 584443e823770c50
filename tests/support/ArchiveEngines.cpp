#include "support/ArchiveEngines.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

namespace zentrova::test {

namespace {

std::atomic<int> archiveCounter{0};

QTemporaryDir& archiveFolder()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

std::vector<ArchiveEngine> availableArchiveEngines()
{
    return {ArchiveEngine::SQLite};
}

std::string engineName(ArchiveEngine engine)
{
    return engine == ArchiveEngine::SQLite ? "SQLite" : "PostgreSQL";
}

bool freshArchive(ArchiveEngine engine, ArchiveLocation& out, QString* error)
{
    const int n = ++archiveCounter;
    out = ArchiveLocation();
    if (engine == ArchiveEngine::SQLite) {
        if (!archiveFolder().isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        out.engine = ArchiveLocation::Engine::SQLite;
        out.path = archiveFolder().filePath(QStringLiteral("history-%1.sqlite").arg(n));
        return true;
    }
    *error = QStringLiteral("no PostgreSQL server");
    return false;
}

bool runSql(const ArchiveLocation& where, const QString& sql, QString* error)
{
    const QString name = QStringLiteral("test-sql-%1").arg(++archiveCounter);
    bool ok = false;
    {
        const bool sqlite = where.engine == ArchiveLocation::Engine::SQLite;
        QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
        if (sqlite) {
            db.setDatabaseName(where.path);
        } else {
            db.setHostName(where.host);
            db.setPort(where.port);
            db.setDatabaseName(where.database);
            db.setUserName(where.user);
            db.setPassword(where.password);
        }
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok)
                *error = q.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace zentrova::test
