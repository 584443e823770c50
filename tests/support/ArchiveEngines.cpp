// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "support/ArchiveEngines.h"

#include "support/PostgresServer.h"

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

// One server for the whole test program, started when a test first needs
// it; a failed start is told to every test that asks.
PostgresServer* sharedServer(QString* error)
{
    static std::unique_ptr<PostgresServer> server;
    static QString startError;
    static bool tried = false;
    if (!tried) {
        tried = true;
        server = std::make_unique<PostgresServer>();
        if (!server->start(&startError))
            server.reset();
    }
    if (!server)
        *error = QStringLiteral("the private PostgreSQL server did not start: ") + startError;
    return server.get();
}

} // namespace

std::vector<ArchiveEngine> availableArchiveEngines()
{
    return {ArchiveEngine::SQLite, ArchiveEngine::PostgreSQL};
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
    PostgresServer* server = sharedServer(error);
    const QString name = QStringLiteral("history_%1").arg(n);
    if (!server || !server->createDatabase(name, error))
        return false;
    return parseArchiveLocation(QStringLiteral("postgresql://%1@%2:%3/%4")
                                    .arg(server->userName(), server->host())
                                    .arg(server->port())
                                    .arg(name),
                                out, error);
}

bool runSql(const ArchiveLocation& where, const QString& sql, QString* error)
{
    const QString name = QStringLiteral("test-sql-%1").arg(++archiveCounter);
    bool ok = false;
    {
        QSqlDatabase db = addArchiveConnection(where, name);
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
