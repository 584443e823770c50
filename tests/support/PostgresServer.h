// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace zentrova::test {

// A PostgreSQL server of the test's own: a fresh cluster in a temporary
// folder (UTF8, no locale, trust for local and 127.0.0.1 connections),
// listening on a free port of 127.0.0.1 and nowhere else, its socket and log
// in that folder, so the machine's own clusters are neither used nor
// changed. PostgreSQL refuses to run as root; as root the cluster is made and
// run as the `postgres` user (or `nobody` where there is none), who owns the
// folder. Stopped when the object goes, and when the test process dies.
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Makes the cluster, starts the server, waits until it takes connections
    // and creates databaseName(). False with the reason (PostgreSQL not
    // installed, initdb or the server failing, with the end of its log).
    bool start(QString* error);
    // Fast shutdown: open sessions are ended, the server is waited for.
    void stop();

    // "127.0.0.1".
    QString host() const;
    int port() const { return port_; }
    QString databaseName() const;
    // The cluster's superuser; it needs no password.
    QString userName() const;
    // "postgresql://USER@127.0.0.1:PORT/DBNAME", as the program's --db takes it.
    QString connectionString() const;

    // Creates an empty database `name` owned by userName().
    bool createDatabase(const QString& name, QString* error);
    // The end of the server's log, for a failure message.
    QString logTail() const;
    // The server's processes: the postmaster and its children (to stop
    // and continue them, as a frozen machine would be). Empty when it is
    // not running.
    std::vector<qint64> processIds() const;

private:
    bool runTool(const QString& program, const QStringList& args, bool asServerUser, int timeoutMs,
                 QString* error) const;
    void prepareProcess(QProcess& process, bool asServerUser) const;

    QTemporaryDir dir_;
    QProcess postgres_;
    QString binDir_;
    QProcessEnvironment environment_;
    // The user the cluster belongs to when this process is root; -1 otherwise.
    int runUid_ = -1;
    int runGid_ = -1;
    int port_ = 0;
};

} // namespace zentrova::test
