// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/ArchiveWriters.h"

#include "history/ArchiveInternal.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zentrova::archive {

QString oneRowInsert(const char* head, int columns)
{
    QString row = QStringLiteral("(") + QStringLiteral("?,").repeated(columns);
    row.back() = u')';
    return QString::fromLatin1(head) + QStringLiteral(" VALUES ") + row;
}

QString unnestOf(const std::vector<const char*>& types)
{
    QString sql = QStringLiteral("unnest(");
    for (size_t i = 0; i < types.size(); ++i) {
        if (i)
            sql += QStringLiteral(", ");
        sql += QStringLiteral("CAST(? AS %1[])").arg(QLatin1String(types[i]));
    }
    return sql + u')';
}

ArrayWriter::ArrayWriter(QSqlDatabase db, const char* head, const std::vector<const char*>& types, const char* tail)
    : ArrayWriter(db,
                  QString::fromLatin1(head) + QStringLiteral(" SELECT * FROM ") + unnestOf(types) + QLatin1String(tail),
                  types.size())
{
}

ArrayWriter::ArrayWriter(QSqlDatabase db, const QString& statement, size_t columns)
    : query_(db), sql_(statement), columns_(columns)
{
    query_.setForwardOnly(true);
    restart();
}

void ArrayWriter::integer(qint64 v)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    element().append(QLatin1StringView(digits, end - digits));
}

void ArrayWriter::number(const MeasuredValue& v)
{
    if (!v.hasNumber || !std::isfinite(v.number)) {
        element().append(QLatin1StringView("NULL"));
        return;
    }
    // The shortest digits that read back as the same double.
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, v.number).ptr;
    element().append(QLatin1StringView(digits, end - digits));
}

void ArrayWriter::text(const QString& v)
{
    const QString kept = storedText(v);
    quoted(element(), kept.constData(), kept.size());
}

void ArrayWriter::textOrNull(const QString& v)
{
    if (v.isEmpty())
        element().append(QLatin1StringView("NULL"));
    else
        text(v);
}

bool ArrayWriter::endRow(QString* error)
{
    if (column_ != columns_.size()) {
        if (error)
            *error = QStringLiteral("a row of %1 values for %2 columns").arg(column_).arg(columns_.size());
        return false;
    }
    column_ = 0;
    ++rows_;
    return true;
}

bool ArrayWriter::flush(QString* error)
{
    if (rows_ == 0)
        return true;
    if (!prepared_) {
        if (!query_.prepare(sql_))
            return failed(error);
        prepared_ = true;
    }
    for (size_t i = 0; i < columns_.size(); ++i) {
        columns_[i].append(u'}');
        query_.bindValue(int(i), columns_[i]);
    }
    const bool ok = query_.exec();
    if (ok && reader_)
        while (query_.next())
            reader_(query_);
    query_.finish();
    restart();
    return ok || failed(error);
}

QString& ArrayWriter::element()
{
    QString& a = columns_[column_++ % columns_.size()];
    if (rows_ > 0)
        a.append(u',');
    return a;
}

void ArrayWriter::quoted(QString& to, const QChar* text, qsizetype size)
{
    to.append(u'"');
    const QChar* run = text;
    for (const QChar* c = text; c != text + size; ++c)
        if (*c == u'"' || *c == u'\\') {
            to.append(run, c - run);
            to.append(u'\\');
            run = c;
        }
    to.append(run, text + size - run);
    to.append(u'"');
}

void ArrayWriter::restart()
{
    for (QString& a : columns_) {
        // The bound values still share the last batch's texts: new ones,
        // as large as those were.
        const qsizetype last = a.size();
        a = QString();
        a.reserve(std::max<qsizetype>(last, 64));
        a.append(u'{');
    }
    column_ = 0;
    rows_ = 0;
}

bool ArrayWriter::failed(QString* error)
{
    if (error)
        *error = oneLineReason(query_.lastError().text());
    return false;
}

void SqliteRowWriter::Finalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

SqliteRowWriter::SqliteRowWriter(QSqlDatabase db, const QString& statement)
{
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0 && handle.data())
        db_ = *static_cast<sqlite3* const*>(handle.data());
    if (db_) {
        const QByteArray sql = statement.toUtf8();
        sqlite3_stmt* prepared = nullptr;
        const int rc = sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &prepared, nullptr);
        statement_.reset(prepared);
        if (rc != SQLITE_OK)
            prepareError_ = QString::fromUtf8(sqlite3_errmsg(db_));
    } else {
        prepareError_ = QStringLiteral("the SQLite connection is not reachable");
    }
}

void SqliteRowWriter::integer(qint64 v)
{
    sqlite3_bind_int64(statement_.get(), ++column_, v);
}

void SqliteRowWriter::number(const MeasuredValue& v)
{
    if (v.hasNumber && std::isfinite(v.number))
        sqlite3_bind_double(statement_.get(), ++column_, v.number);
    else
        sqlite3_bind_null(statement_.get(), ++column_);
}

void SqliteRowWriter::text(const QString& v)
{
    // Into the column's own buffer, which lives until the row is written.
    std::string& buffer = buffer_[size_t(column_ % MaxColumns)];
    buffer.clear();
    const QByteArray utf8 = storedText(v).toUtf8();
    buffer.append(utf8.constData(), size_t(utf8.size()));
    sqlite3_bind_text(statement_.get(), ++column_, buffer.data(), int(buffer.size()), SQLITE_STATIC);
}

void SqliteRowWriter::utf8Text(const std::string& v)
{
    sqlite3_bind_text(statement_.get(), ++column_, v.data(), int(v.size()), SQLITE_TRANSIENT);
}

void SqliteRowWriter::textOrNull(const QString& v)
{
    if (v.isEmpty())
        sqlite3_bind_null(statement_.get(), ++column_);
    else
        text(v);
}

bool SqliteRowWriter::endRow(QString* error)
{
    column_ = 0;
    if (!statement_) {
        if (error)
            *error = prepareError_;
        return false;
    }
    const int rc = sqlite3_step(statement_.get());
    if (rc != SQLITE_DONE && error)
        *error = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_reset(statement_.get());
    if (rc == SQLITE_DONE)
        lastId_ = sqlite3_last_insert_rowid(db_);
    return rc == SQLITE_DONE;
}

} // namespace zentrova::archive
