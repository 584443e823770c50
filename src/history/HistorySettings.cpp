// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistorySettings.h"

#include "base/FileIO.h"
#include "base/Settings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrova {

namespace {
const std::string HistorySection = "HISTORY";
} // namespace

PasswordSpan passwordSpan(std::string_view address)
{
    size_t start = 0;
    while (start < address.size() && (address[start] == ' ' || address[start] == '\t'))
        ++start;
    const auto startsWith = [&](std::string_view scheme) {
        if (address.size() - start < scheme.size())
            return false;
        for (size_t i = 0; i < scheme.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(address[start + i])) != scheme[i])
                return false;
        return true;
    };
    size_t authority = 0;
    if (startsWith("postgresql://"))
        authority = start + 13;
    else if (startsWith("postgres://"))
        authority = start + 11;
    else
        return {};
    const size_t end = std::min(address.find_first_of("/?#", authority), address.size());
    const size_t at = address.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string_view::npos || at < authority)
        return {};
    const size_t colon = address.find(':', authority);
    if (colon == std::string_view::npos || colon > at)
        return {};
    return {colon + 1, at - colon - 1};
}

PasswordSpan passwordSpan(const QString& address)
{
    // One byte for each UTF-16 unit: the ASCII delimiters keep their places.
    const QByteArray bytes = address.toLatin1();
    return passwordSpan(std::string_view(bytes.constData(), size_t(bytes.size())));
}

QString maskedArchiveAddress(const QString& address)
{
    const PasswordSpan p = passwordSpan(address);
    return p.length == 0 ? address
                         : QString(address).replace(qsizetype(p.at), qsizetype(p.length), QStringLiteral("***"));
}

QString archiveAddressWithoutPassword(const QString& address)
{
    const PasswordSpan p = passwordSpan(address);
    return p.length == 0 ? address : QString(address).remove(qsizetype(p.at) - 1, qsizetype(p.length) + 1);
}

QString passwordFilePath()
{
    const QString named = qEnvironmentVariable("PGPASSFILE");
    return named.isEmpty() ? QDir::homePath() + QStringLiteral("/.pgpass") : named;
}

namespace {

// A field of a password-file line: "\" and ":" escaped with "\".
QString passFileField(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c == u'\\' || c == u':')
            out += u'\\';
        out += c;
    }
    return out;
}

// The first four fields of a password-file line, escapes kept, joined by ":".
QString passFileKey(const QString& line)
{
    int fields = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\') {
            ++i;
        } else if (line[i] == u':' && ++fields == 4) {
            return line.left(i);
        }
    }
    return {};
}

} // namespace

bool storeArchivePassword(const QString& host, int port, const QString& database, const QString& user,
                          const QString& password, QString* error)
{
    const QString path = passwordFilePath();
    const QString key = passFileField(host) + u':' + QString::number(port) + u':' + passFileField(database) + u':' +
                        passFileField(user);
    std::string before;
    if (!readWholeFile(path, before, error) && QFileInfo::exists(path))
        return false;
    QStringList lines = QString::fromUtf8(before).split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    const QString entry = key + u':' + passFileField(password);
    bool replaced = false;
    for (QString& line : lines) {
        if (passFileKey(line) == key) {
            line = entry;
            replaced = true;
        }
    }
    if (!replaced)
        lines << entry;
    // Owner-only before the password is in it: a replaced file keeps its mode.
    const QByteArray name = fileNameToSystem(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0 || ::fchmod(fd, 0600) != 0) {
        const int code = errno;
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(code));
        return false;
    }
    ::close(fd);
    return writeFileSafely(path, (lines.join(u'\n') + u'\n').toStdString(), error);
}

HistorySettings loadHistorySettings(const Settings& settings)
{
    HistorySettings h;
    // A file's path is kept as the system's bytes, as the recent files are.
    h.database =
        fileNameFromSystem(QByteArray::fromStdString(settings.readSetting(HistorySection, "Database", ""))).trimmed();
    h.addAfterReceive = settings.readSetting(HistorySection, "AddAfterReceive", "0") == "1";
    return h;
}

void saveHistorySettings(const Settings& settings, const HistorySettings& history)
{
    settings.writeSetting(HistorySection, "Database", fileNameToSystem(history.database.trimmed()).toStdString());
    settings.writeSetting(HistorySection, "AddAfterReceive", history.addAfterReceive ? "1" : "0");
}

} // namespace zentrova
