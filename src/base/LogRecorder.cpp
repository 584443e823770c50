// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/LogRecorder.h"

#include "base/Logging.h"

#include <QMutex>

#include <cstdio>
#include <cstring>

namespace zentrova {

namespace {

// Qt has one message handler for the whole program: the recorder that
// installed it, guarded for messages from other threads.
QMutex activeLock;
LogRecorder* active = nullptr;

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

} // namespace

void RecentLines::add(std::string line)
{
    bytes_ += line.size() + 1;
    lines_.push_back(std::move(line));
    while (bytes_ > maxBytes_ && lines_.size() > 1) {
        bytes_ -= lines_.front().size() + 1;
        lines_.pop_front();
        ++dropped_;
    }
}

std::string RecentLines::text() const
{
    std::string out;
    out.reserve(bytes_ + 64);
    if (dropped_)
        out += "(earlier lines left out: " + std::to_string(dropped_) + ")\n";
    for (const std::string& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

void RecentLines::clear()
{
    lines_.clear();
    bytes_ = 0;
    dropped_ = 0;
}

LogRecorder::LogRecorder()
{
    QMutexLocker lock(&activeLock);
    if (active)
        return;
    for (QLoggingCategory* c : programLogCategories()) {
        categories_.push_back({c, c->isDebugEnabled(), c->isInfoEnabled()});
        c->setEnabled(QtDebugMsg, true);
        c->setEnabled(QtInfoMsg, true);
    }
    since_.start();
    active = this;
    installed_ = true;
    previous_ = qInstallMessageHandler(&LogRecorder::handle);
}

LogRecorder::~LogRecorder()
{
    if (!installed_)
        return;
    QMutexLocker lock(&activeLock);
    qInstallMessageHandler(previous_);
    active = nullptr;
    for (const Category& c : categories_) {
        c.category->setEnabled(QtDebugMsg, c.debug);
        c.category->setEnabled(QtInfoMsg, c.info);
    }
}

void LogRecorder::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QMutexLocker lock(&activeLock);
    LogRecorder* self = active;
    bool forward = true;
    if (self && context.category) {
        for (const Category& c : self->categories_) {
            if (std::strcmp(context.category, c.category->categoryName()) != 0)
                continue;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "%8.3f ", double(self->since_.elapsed()) / 1000);
            self->lines_.add(stamp + std::string(context.category) + ' ' + levelName(type) + ": " +
                             message.toStdString());
            forward = (type != QtDebugMsg || c.debug) && (type != QtInfoMsg || c.info);
            break;
        }
    }
    const QtMessageHandler previous = self ? self->previous_ : nullptr;
    lock.unlock();
    if (!forward)
        return;
    if (previous)
        previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
}

} // namespace zentrova
