#include "base/FileIO.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrova {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // + byte 0x80..0xFF

// The length of the valid UTF-8 sequence at `p` (at most `left` bytes), or 0.
int validSequence(const unsigned char* p, size_t left, char32_t& code)
{
    const unsigned char b = p[0];
    int n;
    char32_t min;
    if (b < 0x80) {
        code = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2, min = 0x80, code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, min = 0x800, code = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, min = 0x10000, code = b & 0x07;
    } else {
        return 0;
    }
    if (size_t(n) > left)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void setError(QString* error, int code)
{
    if (error)
        *error = systemError(code);
}

// Writes all of `bytes` to `fd`, going on after partial writes and signals.
bool writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

} // namespace

QString fileNameFromSystem(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    for (size_t i = 0; i < size;) {
        char32_t code = 0;
        const int n = validSequence(p + i, size - i, code);
        if (n == 0) {
            out += QChar(char16_t(EscapeBase + p[i]));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i += size_t(n);
    }
    return out;
}

QByteArray fileNameToSystem(const QString& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF) {
            out += char(c - EscapeBase);
        } else if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out += QString(name.constData() + i, 2).toUtf8();
            ++i;
        } else {
            out += QString(QChar(c)).toUtf8();
        }
    }
    return out;
}

bool readWholeFile(const QString& path, std::string& bytes, QString* error, bool* opened)
{
    if (opened)
        *opened = false;
    const QByteArray name = fileNameToSystem(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        setError(error, errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        setError(error, code);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = S_ISDIR(st.st_mode) ? systemError(EISDIR) : QStringLiteral("Not a regular file");
        return false;
    }
    if (opened)
        *opened = true;
    bytes.clear();
    bytes.reserve(size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            setError(error, code);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

bool writeFileSafely(const QString& path, std::string_view bytes, QString* error, bool syncToDisk)
{
    QByteArray target = fileNameToSystem(path);
    if (target.isEmpty()) {
        setError(error, ENOENT);
        return false;
    }
    // A link is replaced through: the file it names gets the new content.
    if (char* resolved = ::realpath(target.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool replacing = ::stat(target.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) {
        setError(error, EISDIR);
        return false;
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = slash < 0 ? target : target.mid(slash + 1);
    QByteArray temporary = folder + "/." + base + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        setError(error, errno);
        return false;
    }
    auto fail = [&](int code) {
        ::close(fd);
        ::unlink(temporary.constData());
        setError(error, code);
        return false;
    };
    mode_t mode;
    if (replacing) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    if (!writeAll(fd, bytes))
        return fail(errno);
    // The data must be on the disk before the name moves to it, or a crash
    // right after could leave an empty file under the old name.
    if (syncToDisk && ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        setError(error, code);
        return false;
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        setError(error, code);
        return false;
    }
    return true;
}

bool canBeRead(const QString& path)
{
    const int fd = ::open(fileNameToSystem(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa {
    }, sb{};
    return ::stat(fileNameToSystem(a).constData(), &sa) == 0 && ::stat(fileNameToSystem(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString notARegularFile(const QString& path)
{
    struct stat st {};
    if (::stat(fileNameToSystem(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return S_ISDIR(st.st_mode) ? systemError(EISDIR) : QStringLiteral("Not a regular file");
}

} // namespace zentrova
