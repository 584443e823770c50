// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace zentrova::test {

// A CUPS scheduler of the test's own: its configuration, spool, cache, state
// and logs in a temporary folder, listening on a free port of 127.0.0.1 and
// nowhere else, so the machine's own CUPS set-up is neither used nor
// changed. Its queues print through the PDF filter into files of that
// folder. It runs as the current user; as root it hands the filters to the
// `lp` user as the system's scheduler does. Stopped when the object goes.
class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Starts cupsd and waits until it answers. False with the reason (cupsd
    // or the PDF filter not installed, a configuration it refuses, ...).
    bool start(QString* error);
    void stop();

    // "127.0.0.1:PORT".
    QString address() const;
    // The environment for programs that are to use this server and no
    // default of the user's (lpoptions, LPDEST, PRINTER).
    QProcessEnvironment environment() const;

    // Makes this process's own CUPS calls (Qt's print support) go to this
    // server until it stops; then the process's server is the one before.
    void useInThisProcess();

    // Adds queue `name`, accepting jobs, that writes what it prints to
    // outputFile(name); `makeDefault` makes it the server's default queue.
    bool addQueue(const QString& name, bool makeDefault, QString* error);
    QString outputFile(const QString& queue) const;
    // Waits until every job of the server has ended; false after `timeoutMs`
    // or when a job ended other than completed (`error` then says which).
    bool waitForJobs(int timeoutMs, QString* error);
    // The end of the scheduler's error log, for a failure message.
    QString logTail() const;

private:
    bool runClient(const QString& program, const QStringList& args, QString* output, QString* error) const;

    QTemporaryDir dir_;
    QProcess cupsd_;
    int port_ = 0;
    bool usedHere_ = false;
    QByteArray previousServer_;
};

} // namespace zentrova::test
