// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The archive's batch writers: rows of an import, written as each engine
// takes them fastest.
#pragma once
#include "structure/MeasuredValue.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zentrova::archive {

// "head VALUES (?, ..., ?)": an INSERT of one row of `columns` values.
QString oneRowInsert(const char* head, int columns);

// "unnest(CAST(? AS t1[]), CAST(? AS t2[]), ...)": the rows of arrays bound
// one a column, as the columns' types `types` name them.
QString unnestOf(const std::vector<const char*>& types);

// Where the rows of an import go, value by value: a row is the values given
// since the last endRow. Rows may be held back until flush().
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual void integer(qint64 v) = 0;
    virtual void number(const MeasuredValue& v) = 0; // NULL without a finite number
    virtual void text(const QString& v) = 0;         // a null text is stored empty
    virtual void utf8Text(const std::string& v) { text(QString::fromStdString(v)); }
    virtual void textOrNull(const QString& v) = 0; // an empty text is stored as NULL
    // False with the reason when the row could not be written.
    virtual bool endRow(QString* error) = 0;
    virtual bool flush(QString* error) = 0;
    // True when rows wait to be written.
    virtual bool holdsRows() const = 0;
    virtual bool full() const = 0;
    // The key the last row written was given, where the writer reads it.
    virtual qint64 insertedId() const { return 0; }
};

// Rows a server is sent at most in one statement.
constexpr int BatchRows = 5000;

// Rows for a server gathered column by column, each column sent as one
// array that the statement reads back into rows with unnest():
//   INSERT INTO t (a, b) SELECT * FROM unnest(CAST(? AS bigint[]), CAST(? AS text[]))
// Qt writes every bound value into the text of the statement it executes;
// a few long array texts cost it next to nothing where thousands of single
// values cost it most of an import, and the server takes thousands of rows
// a statement.
class ArrayWriter : public RowWriter {
public:
    // `head` is "INSERT INTO table (columns...)", `types` the columns' types
    // as the server names them, in the same order; `tail` may follow, as a
    // RETURNING clause.
    ArrayWriter(QSqlDatabase db, const char* head, const std::vector<const char*>& types, const char* tail = "");
    // Any statement whose `columns` parameters are the arrays, in order.
    ArrayWriter(QSqlDatabase db, const QString& statement, size_t columns);

    // Given each row the statement returns, as each batch is written.
    void readReturnedRows(std::function<void(const QSqlQuery&)> reader) { reader_ = std::move(reader); }

    void integer(qint64 v) override;
    void number(const MeasuredValue& v) override;
    void text(const QString& v) override;
    void utf8Text(const std::string& v) override { text(QString::fromStdString(v)); }
    void textOrNull(const QString& v) override;
    bool endRow(QString* error) override;
    bool holdsRows() const override { return rows_ > 0; }
    bool full() const override { return rows_ >= BatchRows; }
    bool flush(QString* error) override;

private:
    // The array the next value goes into, its separator written.
    QString& element();
    // An array element always in double quotes, so that no text reads as
    // NULL or splits at a comma or brace; inside, a backslash makes the
    // next character plain.
    static void quoted(QString& to, const QChar* text, qsizetype size);
    void restart();
    bool failed(QString* error);

    QSqlQuery query_;
    QString sql_;
    std::function<void(const QSqlQuery&)> reader_;
    std::vector<QString> columns_;
    size_t column_ = 0;
    int rows_ = 0;
    bool prepared_ = false;
};

// One prepared statement of SQLite's own, stepped once a row: an SQLite
// file is in this process, so there is no round trip to save, and going
// past Qt's binding of every value makes a large import several times as
// fast. The connection is Qt's (the same library, the same transaction).
class SqliteRowWriter : public RowWriter {
public:
    SqliteRowWriter(QSqlDatabase db, const QString& statement);

    void integer(qint64 v) override;
    void number(const MeasuredValue& v) override;
    void text(const QString& v) override;
    void utf8Text(const std::string& v) override;
    void textOrNull(const QString& v) override;
    bool endRow(QString* error) override;
    qint64 insertedId() const override { return lastId_; }
    bool flush(QString*) override { return true; }
    bool holdsRows() const override { return false; }
    bool full() const override { return false; }

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };
    sqlite3* db_ = nullptr; // Qt's connection, not ours to close
    std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
    QString prepareError_;
    int column_ = 0;
    qint64 lastId_ = 0;
    static constexpr int MaxColumns = 16;
    std::array<std::string, MaxColumns> buffer_;
};

} // namespace zentrova::archive
