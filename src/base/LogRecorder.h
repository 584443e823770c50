// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zentrova {

// The latest lines of a text that may grow without end (a log, a trace of
// bytes): once they pass `maxBytes`, the oldest are dropped and counted.
class RecentLines {
public:
    explicit RecentLines(size_t maxBytes = 4 * 1024 * 1024) : maxBytes_(maxBytes) {}
    void add(std::string line);
    // The lines kept, each ended by "\n", after a line that says how many
    // earlier ones were dropped.
    std::string text() const;
    bool empty() const { return lines_.empty() && dropped_ == 0; }
    void clear();

private:
    size_t maxBytes_;
    size_t bytes_ = 0;
    size_t dropped_ = 0;
    std::deque<std::string> lines_;
};

// While it lives, keeps every message of the program's categories (see
// base/Logging.h) down to debug, with the time since it began, for a log
// the user can save and send. Messages the user's own rules turn on still
// reach standard error as before; the others are only kept. One recorder at
// a time: a second one made while another lives keeps nothing.
class LogRecorder {
public:
    LogRecorder();
    ~LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // "   0.012 zentrova.comm debug: ..." a line each.
    std::string text() const { return lines_.text(); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    struct Category {
        QLoggingCategory* category;
        bool debug, info; // as the user's rules had them
    };
    std::vector<Category> categories_;
    QtMessageHandler previous_ = nullptr;
    bool installed_ = false;
    QElapsedTimer since_;
    RecentLines lines_;
};

} // namespace zentrova
