// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "history/HistorySettings.h"

#include <QDir>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QUrl>

#include <libpq-fe.h>

#include <map>
#include <memory>

namespace zentrova {

QString ArchiveLocation::describe() const
{
    if (engine == Engine::SQLite)
        return QDir::toNativeSeparators(path);
    const QString shownHost = host.contains(u':') && !host.startsWith(u'/') ? u'[' + host + u']' : host;
    return QStringLiteral("postgresql://%1%2:%3/%4")
        .arg(user.isEmpty() ? QString() : user + u'@', shownHost)
        .arg(port)
        .arg(database);
}

namespace {

// A value of a driver option, in single quotes as libpq reads it.
QString quotedOption(const QString& value)
{
    QString quoted = value;
    quoted.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'"));
    return u'\'' + quoted + u'\'';
}

} // namespace

bool parseArchiveLocation(const QString& text, ArchiveLocation& out, QString* error)
{
    out = ArchiveLocation();
    const QString trimmed = text.trimmed();
    if (!isServerAddress(trimmed)) {
        out.engine = ArchiveLocation::Engine::SQLite;
        out.path = trimmed.isEmpty() ? defaultArchivePath() : trimmed;
        return true;
    }
    // libpq's own message is never passed on: it may quote a piece of a
    // password that was not read as one.
    auto refuse = [&](const char* why) {
        out = ArchiveLocation();
        // Put together, not through arg(): the hint's "%2F" is no place marker.
        if (error)
            *error = u'"' + maskedArchiveAddress(trimmed) + QStringLiteral("\" is no server address: ") +
                     QLatin1String(why) +
                     QStringLiteral("; write postgresql://USER@HOST:PORT/DATABASE (a password as USER:PASSWORD, "
                                    "its /, @, ?, # and : written %2F, %40, %3F, %23 and %3A) or host=HOST "
                                    "dbname=DATABASE user=USER");
        return false;
    };

    // libpq knows the scheme in small letters only.
    QByteArray conninfo = trimmed.toUtf8();
    if (trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        const qsizetype scheme = conninfo.indexOf("://");
        conninfo.replace(0, scheme, conninfo.left(scheme).toLower());
    }
    char* parseError = nullptr;
    std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption*)> parsed(
        PQconninfoParse(conninfo.constData(), &parseError), PQconninfoFree);
    if (parseError)
        PQfreemem(parseError);
    if (!parsed)
        return refuse("libpq does not read it so");
    std::map<std::string, QString> values;
    for (const PQconninfoOption* o = parsed.get(); o->keyword; ++o)
        if (o->val && *o->val)
            values[o->keyword] = QString::fromUtf8(o->val);
    auto take = [&](const char* key) {
        const auto found = values.find(key);
        if (found == values.end())
            return QString();
        const QString value = found->second;
        values.erase(found);
        return value;
    };
    out.engine = ArchiveLocation::Engine::PostgreSQL;
    out.host = take("host");
    if (out.host.isEmpty())
        out.host = take("hostaddr");
    out.database = take("dbname");
    out.user = take("user");
    out.password = take("password");
    const QString port = take("port");
    if (out.host.isEmpty())
        return refuse("it names no host");
    if (out.database.isEmpty())
        return refuse("it names no database");
    bool number = port.isEmpty();
    out.port = number ? 5432 : port.toInt(&number);
    if (!number || out.port < 1 || out.port > 65535)
        return refuse("its port is no number from 1 to 65535");
    // A password with "/" or "@" in it, not percent-encoded, reads to libpq
    // as part of the host or the database, where it would reach a message.
    const QByteArray bytes = trimmed.toLatin1();
    const std::string_view meant = userInfoPassword(std::string_view(bytes.constData(), size_t(bytes.size())));
    const QString meantPassword =
        QUrl::fromPercentEncoding(trimmed.mid(meant.data() - bytes.constData(), qsizetype(meant.size())).toUtf8());
    if ((!meant.empty() && meantPassword != out.password) || out.host.contains(u'@') || out.database.contains(u'@') ||
        out.database.contains(u'/'))
        return refuse("libpq would read a password's / or @ as part of the host or the database");
    for (const auto& [key, value] : values) {
        // The driver's options are split at ";".
        if (value.contains(u';'))
            return refuse("a parameter's value holds \";\", which the driver cannot pass on");
        out.options << QString::fromStdString(key) + u'=' + quotedOption(value);
    }
    return true;
}

QSqlDatabase addArchiveConnection(const ArchiveLocation& where, const QString& name)
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
        db.setConnectOptions(where.options.join(u';'));
    }
    return db;
}

QString defaultArchivePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zentrova/history.sqlite");
}

} // namespace zentrova
