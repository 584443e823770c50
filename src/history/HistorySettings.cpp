// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistorySettings.h"

#include "base/FileIO.h"
#include "base/Settings.h"
#include "history/HistoryArchive.h"

#include <QDir>
#include <QFileInfo>

#include <libpq-fe.h>

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

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Where the URI's authority starts (after "postgresql://" or "postgres://",
// any case), or npos when `address` is no such URI.
size_t uriAuthority(std::string_view address)
{
    size_t start = 0;
    while (start < address.size() && isSpace(address[start]))
        ++start;
    for (std::string_view scheme : {std::string_view("postgresql://"), std::string_view("postgres://")}) {
        if (address.size() - start < scheme.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < scheme.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(address[start + i])) == scheme[i];
        if (same)
            return start + scheme.size();
    }
    return std::string_view::npos;
}

// Whether `address` starts with "keyword =", as a libpq "key=value" string does.
bool startsWithKeyword(std::string_view address)
{
    size_t i = 0;
    while (i < address.size() && isSpace(address[i]))
        ++i;
    const size_t key = i;
    while (i < address.size() && (std::isalpha(static_cast<unsigned char>(address[i])) || address[i] == '_'))
        ++i;
    if (i == key)
        return false;
    while (i < address.size() && isSpace(address[i]))
        ++i;
    return i < address.size() && address[i] == '=';
}

// The keys libpq keeps secret ("password", "sslpassword"): those it shows as "*".
bool isSecretKey(std::string_view key)
{
    static const std::vector<std::string> secret = [] {
        std::vector<std::string> keys;
        if (PQconninfoOption* options = PQconndefaults()) {
            for (const PQconninfoOption* o = options; o->keyword; ++o)
                if (o->dispchar && std::strchr(o->dispchar, '*'))
                    keys.emplace_back(o->keyword);
            PQconninfoFree(options);
        }
        if (std::find(keys.begin(), keys.end(), "password") == keys.end())
            keys.emplace_back("password");
        return keys;
    }();
    return std::find(secret.begin(), secret.end(), key) != secret.end();
}

// The user info's end: the "@" before the host. libpq takes the first "@"
// before the first "/"; a person may have meant a later one, with "@" or
// "/" in the password ("u:p@ss@host/db", "u:se/cret@host/db"), and the
// password is hidden up to that one.
size_t userInfoEnd(std::string_view address, size_t authority)
{
    const size_t firstSlash = std::min(address.find('/', authority), address.size());
    const size_t firstAt = address.find('@', authority);
    if (firstAt == std::string_view::npos)
        return std::string_view::npos;
    size_t bound = firstSlash;
    if (firstAt > firstSlash) {
        // A "?" or "#" after the path starts the parameters, where an "@" is a value's.
        bound = std::min(address.find_first_of("?#", firstSlash), address.size());
        if (firstAt > bound)
            return std::string_view::npos;
    }
    return address.rfind('@', bound - 1);
}

} // namespace

std::string_view userInfoPassword(std::string_view address)
{
    const size_t authority = uriAuthority(address);
    if (authority == std::string_view::npos)
        return {};
    const size_t at = userInfoEnd(address, authority);
    if (at == std::string_view::npos)
        return {};
    const size_t colon = address.find(':', authority);
    if (colon == std::string_view::npos || colon > at)
        return {};
    return address.substr(colon + 1, at - colon - 1);
}

std::vector<PasswordSpan> passwordSpans(std::string_view address)
{
    std::vector<PasswordSpan> spans;
    const size_t authority = uriAuthority(address);
    if (authority != std::string_view::npos) {
        size_t parameters = authority;
        const std::string_view userInfo = userInfoPassword(address);
        if (!userInfo.empty()) {
            const size_t at = size_t(userInfo.data() - address.data());
            spans.push_back({at, userInfo.size(), at - 1, userInfo.size() + 1});
            parameters = at + userInfo.size() + 1;
        }
        if (userInfo.empty()) {
            // No user info: what follows a ":" of the host that is no port
            // number may be a password whose "@" is missing; it is hidden,
            // with the path, where a "/" of it would have gone.
            const size_t hostEnd = std::min(address.find_first_of("/?#", authority), address.size());
            const size_t bracket = address.substr(0, hostEnd).rfind(']');
            const size_t colon = address.substr(0, hostEnd).rfind(':');
            const bool userPart = address.substr(authority, hostEnd - authority).find('@') != std::string_view::npos;
            if (!userPart && colon != std::string_view::npos && colon >= authority &&
                (bracket == std::string_view::npos || bracket < authority || colon > bracket)) {
                const std::string_view port = address.substr(colon + 1, hostEnd - colon - 1);
                if (!port.empty() && port.find_first_not_of("0123456789,") != std::string_view::npos) {
                    const size_t end = std::min(address.find('?', colon), address.size());
                    spans.push_back({colon + 1, end - colon - 1, colon, end - colon});
                    parameters = end;
                }
            }
        }
        const size_t question = address.find('?', parameters);
        if (question == std::string_view::npos)
            return spans;
        // "?key=value&key=value": a secret key's value, to the next "&".
        size_t from = question + 1;
        while (from <= address.size()) {
            const size_t end = std::min(address.find('&', from), address.size());
            const std::string_view pair = address.substr(from, end - from);
            const size_t equals = pair.find('=');
            if (equals != std::string_view::npos && isSecretKey(pair.substr(0, equals))) {
                // Left out with its "&" (or the "?" when it is the only one).
                size_t removedAt = from, removedLength = end - from;
                if (end < address.size()) {
                    ++removedLength;
                } else {
                    --removedAt;
                    ++removedLength;
                }
                spans.push_back({from + equals + 1, pair.size() - equals - 1, removedAt, removedLength});
            }
            from = end + 1;
        }
        return spans;
    }
    if (!startsWithKeyword(address))
        return spans;
    // "key = value key='a value'": values quoted or not, "\" escaping the next character.
    size_t i = 0;
    while (i < address.size()) {
        while (i < address.size() && isSpace(address[i]))
            ++i;
        const size_t keyAt = i;
        while (i < address.size() && address[i] != '=' && !isSpace(address[i]))
            ++i;
        const std::string_view key = address.substr(keyAt, i - keyAt);
        while (i < address.size() && isSpace(address[i]))
            ++i;
        if (key.empty() || i >= address.size() || address[i] != '=')
            break;
        ++i;
        while (i < address.size() && isSpace(address[i]))
            ++i;
        const size_t valueAt = i;
        if (i < address.size() && address[i] == '\'') {
            for (++i; i < address.size() && address[i] != '\''; ++i)
                if (address[i] == '\\')
                    ++i;
            i = std::min(i + 1, address.size());
        } else {
            for (; i < address.size() && !isSpace(address[i]); ++i)
                if (address[i] == '\\')
                    ++i;
            i = std::min(i, address.size());
        }
        if (isSecretKey(key) && i > valueAt) {
            size_t end = i;
            while (end < address.size() && isSpace(address[end]))
                ++end;
            spans.push_back({valueAt, i - valueAt, keyAt, end - keyAt});
        }
    }
    return spans;
}

PasswordSpan passwordSpan(std::string_view address)
{
    const std::vector<PasswordSpan> spans = passwordSpans(address);
    return spans.empty() ? PasswordSpan{} : spans.front();
}

PasswordSpan passwordSpan(const QString& address)
{
    // One byte for each UTF-16 unit: the ASCII delimiters keep their places.
    const QByteArray bytes = address.toLatin1();
    return passwordSpan(std::string_view(bytes.constData(), size_t(bytes.size())));
}

bool isServerAddress(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    const std::string_view address(bytes.constData(), size_t(bytes.size()));
    return uriAuthority(address) != std::string_view::npos || startsWithKeyword(address);
}

namespace {

std::vector<PasswordSpan> spansOf(const QString& address)
{
    const QByteArray bytes = address.toLatin1();
    return passwordSpans(std::string_view(bytes.constData(), size_t(bytes.size())));
}

} // namespace

QString maskedArchiveAddress(const QString& address)
{
    QString masked = address;
    const std::vector<PasswordSpan> spans = spansOf(address);
    for (auto p = spans.rbegin(); p != spans.rend(); ++p)
        if (p->length > 0)
            masked.replace(qsizetype(p->at), qsizetype(p->length), QStringLiteral("***"));
    return masked;
}

QString archiveAddressWithoutPassword(const QString& address)
{
    QString without = address;
    const std::vector<PasswordSpan> spans = spansOf(address);
    for (auto p = spans.rbegin(); p != spans.rend(); ++p)
        if (p->length > 0)
            without.remove(qsizetype(p->removedAt), qsizetype(p->removedLength));
    return without;
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
    // A day at most; anything else that is no whole number of seconds keeps the default.
    bool number = false;
    const int seconds =
        QString::fromStdString(settings.readSetting(HistorySection, "StatementTimeout", "")).trimmed().toInt(&number);
    if (number && seconds >= 1 && seconds <= 86400)
        h.statementTimeoutSeconds = seconds;
    return h;
}

void applyServerTimeouts(const HistorySettings& history, HistoryArchive& archive)
{
    // A writer waits for a lock no longer than for a statement.
    const int statement = history.statementTimeoutSeconds * 1000;
    archive.setServerTimeouts(statement, std::min(statement, 30000));
}

void saveHistorySettings(const Settings& settings, const HistorySettings& history)
{
    settings.writeSetting(HistorySection, "Database", fileNameToSystem(history.database.trimmed()).toStdString());
    settings.writeSetting(HistorySection, "AddAfterReceive", history.addAfterReceive ? "1" : "0");
}

} // namespace zentrova
