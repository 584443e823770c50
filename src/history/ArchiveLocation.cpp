// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "history/HistorySettings.h"

#include <QDir>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QUrl>

namespace zentrova {

QString ArchiveLocation::describe() const
{
    if (engine == Engine::SQLite)
        return QDir::toNativeSeparators(path);
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

bool parseArchiveLocation(const QString& text, ArchiveLocation& out, QString* error)
{
    out = ArchiveLocation();
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) &&
        !trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        out.engine = ArchiveLocation::Engine::SQLite;
        out.path = trimmed.isEmpty() ? defaultArchivePath() : trimmed;
        return true;
    }
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString database = url.path().mid(1);
    if (!url.isValid() || url.host().isEmpty() || database.isEmpty() || database.contains(u'/')) {
        if (error)
            *error = QStringLiteral("\"%1\" is no server address of the form postgresql://USER@HOST:PORT/DATABASE")
                         .arg(maskedArchiveAddress(trimmed));
        return false;
    }
    out.engine = ArchiveLocation::Engine::PostgreSQL;
    out.host = url.host();
    out.port = url.port(5432);
    out.database = database;
    out.user = url.userName();
    out.password = url.password();
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
    }
    return db;
}

QString defaultArchivePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zentrova/history.sqlite");
}

} // namespace zentrova
