// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The private PostgreSQL server that database tests run against, reached
// through Qt's driver by the address the program's --db option takes.
#include "support/PostgresServer.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zentrova::test {
namespace {

// A session of its own on the database `url` names, ended when it goes.
class Session {
public:
    Session(const QUrl& url, const QString& name) : name_(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        if (!db.open())
            error_ = db.lastError().text().toStdString();
    }
    ~Session()
    {
        database().close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }
    bool isOpen() const { return database().isOpen(); }
    const std::string& error() const { return error_; }

    // Runs `sql` with `values` bound in order; the query for its rows.
    // Qt's driver prepares through SQL PREPARE, which takes no CREATE: a
    // statement without values is run as it is.
    QSqlQuery run(const QString& sql, const QVariantList& values = {}) const
    {
        QSqlQuery q(database());
        bool ran = values.isEmpty() ? q.exec(sql) : q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (ran && !values.isEmpty())
            ran = q.exec();
        EXPECT_TRUE(ran) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    QVariant value(const QString& sql, const QVariantList& values = {}) const
    {
        QSqlQuery q = run(sql, values);
        return q.next() ? q.value(0) : QVariant();
    }

private:
    QString name_;
    std::string error_;
};

// Whether a server could listen on 127.0.0.1:`port` now. SO_REUSEADDR as
// servers set it: connections that ended there a moment ago do not count.
bool canListenOn(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    const int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(s, 1) == 0;
    ::close(s);
    return free;
}

TEST(PostgresServer, KeepsUtf8TextSharesCommittedRowsAndFreesItsPortWhenStopped)
{
    PostgresServer server;
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    const int port = server.port();
    EXPECT_FALSE(canListenOn(port));
    {
        const QUrl url(server.connectionString());
        ASSERT_EQ(url.scheme(), QStringLiteral("postgresql"));
        const Session writer(url, QStringLiteral("writer"));
        const Session reader(url, QStringLiteral("reader"));
        ASSERT_TRUE(writer.isOpen()) << writer.error();
        ASSERT_TRUE(reader.isOpen()) << reader.error();

        writer.run(QStringLiteral("CREATE TABLE inspection (id integer PRIMARY KEY, place text NOT NULL)"));
        const QString place = QStringLiteral("Umspannwerk Süd – Zelle Ω7, 絶縁検査");
        ASSERT_TRUE(writer.database().transaction());
        writer.run(QStringLiteral("INSERT INTO inspection VALUES (1, ?)"), {place});
        EXPECT_EQ(reader.value(QStringLiteral("SELECT count(*) FROM inspection")).toInt(), 0)
            << "the other session sees a row before it is committed";
        ASSERT_TRUE(writer.database().commit());

        EXPECT_EQ(reader.value(QStringLiteral("SELECT place FROM inspection WHERE id = 1")).toString(), place);
        // length() counts characters in a UTF8 database; in an SQL_ASCII one
        // the same text would round-trip but count its bytes.
        EXPECT_EQ(reader.value(QStringLiteral("SELECT length(place) FROM inspection WHERE id = 1")).toInt(),
                  place.toUcs4().size());
        reader.run(QStringLiteral("INSERT INTO inspection VALUES (2, ?)"), {QStringLiteral("Ærø")});
        EXPECT_EQ(writer.value(QStringLiteral("SELECT place FROM inspection WHERE id = 2")).toString(),
                  QStringLiteral("Ærø"));
    }
    server.stop();
    EXPECT_TRUE(canListenOn(port));
}

TEST(PostgresServer, TwoRunSideBySideEachWithItsOwnDatabases)
{
    PostgresServer first;
    PostgresServer second;
    QString error;
    ASSERT_TRUE(first.start(&error)) << error.toStdString();
    ASSERT_TRUE(second.start(&error)) << error.toStdString();
    EXPECT_NE(first.port(), second.port());
    ASSERT_TRUE(second.createDatabase(QStringLiteral("fresh"), &error)) << error.toStdString();

    QUrl fresh(second.connectionString());
    fresh.setPath(QStringLiteral("/fresh"));
    const Session onSecond(fresh, QStringLiteral("second"));
    EXPECT_TRUE(onSecond.isOpen()) << onSecond.error();
    // Two clusters, not one server twice: the database is on the second only.
    fresh.setPort(first.port());
    EXPECT_FALSE(Session(fresh, QStringLiteral("first")).isOpen());
}

} // namespace
} // namespace zentrova::test
