// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/TracingPort.h"

#include <QDateTime>
#include <cstdio>

namespace zentrova {

TracingPort::~TracingPort()
{
    if (file_.isOpen())
        file_.close();
}

std::string TracingPort::hexLine(const char* data, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex, text;
    for (int i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (i)
            hex += ' ';
        hex += digits[b >> 4];
        hex += digits[b & 15];
        text += (b >= 32 && b < 127) ? char(b) : '.';
    }
    return hex + " | " + text;
}

void TracingPort::keepTrace(bool keep)
{
    keeping_ = keep;
    kept_.clear();
}

void TracingPort::note(const std::string& line)
{
    if (!tracing())
        return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%12.6f ", double(since_.nsecsElapsed()) / 1e9);
    if (keeping_)
        kept_.add(stamp + line);
    if (!file_.isOpen())
        return;
    file_.write(stamp);
    file_.write(line.data(), qint64(line.size()));
    file_.write("\n");
    file_.flush();
}

void TracingPort::bytes(char direction, const char* data, int n)
{
    if (!tracing() || n <= 0)
        return;
    // Long replies are split so that a line stays readable.
    for (int at = 0; at < n; at += 32)
        note(std::string(1, direction) + ' ' + hexLine(data + at, std::min(32, n - at)));
}

void TracingPort::open()
{
    const std::string head = "--- " + QDateTime::currentDateTime().toString(Qt::ISODate).toStdString() + " open " +
                             inner_.portName().toStdString() + " at " + std::to_string(inner_.baudRate()) + " baud";
    if (!path_.isEmpty() && !file_.isOpen()) {
        file_.setFileName(path_);
        if (file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
            since_.start();
            file_.write((head + '\n').c_str(), qint64(head.size() + 1));
        }
    }
    if (keeping_) {
        if (!file_.isOpen())
            since_.start();
        kept_.add(head);
    }
    try {
        inner_.open();
    } catch (const SerialError& e) {
        note(std::string("! ") + e.what());
        file_.close();
        throw;
    }
}

void TracingPort::close()
{
    inner_.close();
    note("closed");
    if (file_.isOpen())
        file_.close();
}

void TracingPort::purge()
{
    guard([&] {
        inner_.purge();
        return 0;
    });
    note("purge");
}

int TracingPort::read(char* buffer, int n)
{
    const int got = guard([&] { return inner_.read(buffer, n); });
    bytes('<', buffer, got);
    return got;
}

void TracingPort::write(const char* buffer, int n)
{
    bytes('>', buffer, n);
    guard([&] {
        inner_.write(buffer, n);
        return 0;
    });
}

} // namespace zentrova
