// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/FileIO.h"

#include "base/Logging.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
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

namespace {

// Opens the regular file `path` for reading; -1 with `error` set otherwise.
int openRegularFile(const QString& path, struct stat& st, QString* error, bool* opened)
{
    if (opened)
        *opened = false;
    const int fd = ::open(fileNameToSystem(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        setError(error, errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        setError(error, code);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = S_ISDIR(st.st_mode) ? systemError(EISDIR) : QStringLiteral("Not a regular file");
        return -1;
    }
    if (opened)
        *opened = true;
    return fd;
}

// Appends what `fd` holds to `bytes` until its end or until `bytes` holds
// `count` bytes; false with `error` set when reading fails.
bool readInto(int fd, std::string& bytes, size_t count, QString* error)
{
    char buffer[65536];
    while (bytes.size() < count) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setError(error, errno);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
    }
    return true;
}

bool readWhole(const QString& path, std::string& bytes, QString* error, bool* opened, qint64 sizeLimit)
{
    struct stat st {};
    const int fd = openRegularFile(path, st, error, opened);
    if (fd < 0)
        return false;
    bytes.clear();
    if (sizeLimit < 0 || st.st_size > sizeLimit) {
        ::close(fd);
        setError(error, EFBIG);
        return false;
    }
    bytes.reserve(size_t(st.st_size));
    // One byte past the limit tells a file that grew while it was read.
    const bool read = readInto(fd, bytes, size_t(sizeLimit) + 1, error);
    ::close(fd);
    if (read && bytes.size() > size_t(sizeLimit)) {
        bytes.clear();
        setError(error, EFBIG);
        return false;
    }
    return read;
}

} // namespace

bool readWholeFile(const QString& path, std::string& bytes, QString* error, bool* opened, qint64 sizeLimit)
{
    QString why;
    bool wasOpened = false;
    const bool read = readWhole(path, bytes, &why, &wasOpened, sizeLimit);
    if (opened)
        *opened = wasOpened;
    if (read) {
        qCDebug(logFile).noquote() << "read" << path << bytes.size() << "bytes";
        return true;
    }
    // A missing settings file is the usual case, and is read often.
    if (wasOpened)
        qCInfo(logFile).noquote() << "refused" << path + u':' << why;
    else
        qCDebug(logFile).noquote() << "not read" << path + u':' << why;
    if (error)
        *error = why;
    return false;
}

bool readFileStart(const QString& path, size_t count, std::string& bytes, qint64& size, QString* error, bool* opened)
{
    struct stat st {};
    const int fd = openRegularFile(path, st, error, opened);
    if (fd < 0)
        return false;
    bytes.clear();
    size = st.st_size;
    const bool read = readInto(fd, bytes, count, error);
    ::close(fd);
    return read;
}

namespace {

// What the symbolic link `name` points at, a relative target taken from the
// link's folder; empty when `name` is no link.
QByteArray linkTarget(const QByteArray& name)
{
    char link[PATH_MAX];
    const ssize_t n = ::readlink(name.constData(), link, sizeof link);
    if (n <= 0 || size_t(n) >= sizeof link)
        return {};
    const QByteArray next(link, n);
    const qsizetype slash = name.lastIndexOf('/');
    return next.startsWith('/') || slash < 0 ? next : name.left(slash + 1) + next;
}

// The name a chain of symbolic links ends in when its last link points at a
// file that does not exist yet; `name` itself when it is no link. Empty when
// the chain loops.
QByteArray danglingLinkTarget(QByteArray name)
{
    for (int depth = 0; depth < 40; ++depth) {
        const QByteArray next = linkTarget(name);
        if (next.isEmpty())
            return name;
        name = next;
    }
    return {};
}

// The descriptor a name such as /dev/stdout, /dev/fd/3 or /proc/self/fd/3
// leads to through its chain of links, or -1. Such a name stands for what the
// program was handed (a pipe, a terminal, a file opened for appending) and is
// written through that descriptor: replacing it would replace a name in /dev,
// and opening it anew would lose an append.
int descriptorNamed(QByteArray name)
{
    const QByteArray ownFolder = "/proc/" + QByteArray::number(qint64(::getpid())) + "/fd/";
    for (int depth = 0; depth < 40 && !name.isEmpty(); ++depth) {
        for (const QByteArray& folder : {QByteArray("/dev/fd/"), QByteArray("/proc/self/fd/"), ownFolder}) {
            if (!name.startsWith(folder))
                continue;
            bool number = false;
            const int fd = name.mid(folder.size()).toInt(&number);
            return number && fd >= 0 ? fd : -1;
        }
        name = linkTarget(name);
    }
    return -1;
}

} // namespace

OutputFile::~OutputFile()
{
    discard();
}

void OutputFile::discard()
{
    if (fd_ >= 0 && ownsDescriptor_)
        ::close(fd_);
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    fd_ = -1;
    ownsDescriptor_ = false;
    inPlace_ = false;
    temporary_.clear();
    target_.clear();
    buffer_.clear();
}

bool OutputFile::open(const QString& path, QString* error, bool syncToDisk)
{
    QString why;
    if (openTarget(path, &why, syncToDisk)) {
        name_ = path;
        qCDebug(logFile).noquote() << "writing" << path;
        return true;
    }
    qCInfo(logFile).noquote() << "cannot write" << path + u':' << why;
    if (error)
        *error = why;
    return false;
}

bool OutputFile::openTarget(const QString& path, QString* error, bool syncToDisk)
{
    discard();
    failure_ = 0;
    syncToDisk_ = syncToDisk;
    buffer_.reserve(BufferSize);
    if (path == QLatin1String("-")) {
        if (::fcntl(STDOUT_FILENO, F_GETFD) < 0) {
            setError(error, errno);
            return false;
        }
        // Whatever the program printed before comes first.
        std::fflush(stdout);
        fd_ = STDOUT_FILENO;
        return true;
    }
    const QByteArray name = fileNameToSystem(path);
    if (name.isEmpty()) {
        setError(error, ENOENT);
        return false;
    }
    if (const int named = descriptorNamed(name); named >= 0) {
        if (named == STDOUT_FILENO)
            std::fflush(stdout);
        fd_ = ::fcntl(named, F_DUPFD_CLOEXEC, 0);
        if (fd_ < 0) {
            setError(error, errno);
            return false;
        }
        ownsDescriptor_ = true;
        return true;
    }
    struct stat existing {};
    const bool replacing = ::stat(name.constData(), &existing) == 0;
    if (!replacing && errno != ENOENT) {
        setError(error, errno);
        return false;
    }
    QByteArray target = name;
    if (replacing) {
        if (S_ISDIR(existing.st_mode)) {
            setError(error, EISDIR);
            return false;
        }
        // Root may replace a file without write permission; it is refused
        // for everyone alike, as the file's owner asked.
        if (S_ISREG(existing.st_mode) && (::access(name.constData(), W_OK) != 0 || (existing.st_mode & 0222) == 0)) {
            setError(error, EACCES);
            return false;
        }
        // A link is replaced through: the file it names gets the new content.
        // A file that is not a regular one, and one whose name the system
        // cannot spell (a link to a removed file), is written into directly.
        char* resolved = S_ISREG(existing.st_mode) ? ::realpath(name.constData(), nullptr) : nullptr;
        if (!resolved) {
            const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (S_ISREG(existing.st_mode) ? O_TRUNC : 0);
            fd_ = ::open(name.constData(), flags);
            if (fd_ < 0) {
                setError(error, errno);
                return false;
            }
            ownsDescriptor_ = true;
            return true;
        }
        target = resolved;
        std::free(resolved);
    } else {
        target = danglingLinkTarget(name);
        if (target.isEmpty()) {
            setError(error, ELOOP);
            return false;
        }
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = slash < 0 ? target : target.mid(slash + 1);
    QByteArray temporary = folder + "/." + base + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        // A folder that takes no new file (not this user's to write) may
        // still hold a file this user can write: the shell writes into it.
        if (replacing && (errno == EACCES || errno == EPERM))
            return openInPlace(target, error);
        setError(error, errno);
        return false;
    }
    mode_t mode;
    if (replacing) {
        // The replaced file keeps its owner and group; the mode is set after,
        // as a change of owner clears the set-user-ID bits. A plain user
        // cannot give a file away (another user's file in a shared folder,
        // or one whose group is not theirs), and the rename would not even
        // be allowed in a sticky folder: such a file is written into, as the
        // shell's ">" does, which keeps its owner and group.
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            ::close(fd);
            ::unlink(temporary.constData());
            return openInPlace(target, error);
        }
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
        const int code = errno;
        ::close(fd);
        ::unlink(temporary.constData());
        setError(error, code);
        return false;
    }
    fd_ = fd;
    ownsDescriptor_ = true;
    temporary_ = temporary;
    target_ = target;
    return true;
}

bool OutputFile::openInPlace(const QByteArray& target, QString* error)
{
    // Nothing is written before commit, so that a failure while the output is
    // composed leaves the file as it was.
    fd_ = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        setError(error, errno);
        return false;
    }
    qCDebug(logFile).noquote() << "writing into the file itself:" << fileNameFromSystem(target);
    ownsDescriptor_ = true;
    inPlace_ = true;
    return true;
}

bool OutputFile::flush()
{
    if (!buffer_.empty() && failure_ == 0 && !writeAll(fd_, buffer_))
        failure_ = errno;
    buffer_.clear();
    return failure_ == 0;
}

bool OutputFile::write(std::string_view bytes)
{
    if (fd_ < 0 && failure_ == 0)
        failure_ = EBADF;
    if (failure_ != 0)
        return false;
    if (inPlace_) {
        buffer_.append(bytes);
        return true;
    }
    if (buffer_.size() + bytes.size() > BufferSize && !flush())
        return false;
    if (bytes.size() >= BufferSize) {
        if (!writeAll(fd_, bytes))
            failure_ = errno;
    } else {
        buffer_.append(bytes);
    }
    return failure_ == 0;
}

bool OutputFile::commit(QString* error)
{
    QString why;
    if (commitTarget(&why)) {
        qCInfo(logFile).noquote() << "written" << name_;
        return true;
    }
    qCInfo(logFile).noquote() << "not written" << name_ + u':' << why;
    if (error)
        *error = why;
    return false;
}

bool OutputFile::commitTarget(QString* error)
{
    if (fd_ < 0) {
        setError(error, failure_ != 0 ? failure_ : EBADF);
        return false;
    }
    auto fail = [&](int code) {
        discard();
        failure_ = code;
        setError(error, code);
        return false;
    };
    if (!flush())
        return fail(failure_);
    // A file written in place ends where the new content ends; what it held
    // beyond is cut off only after the new content is written over it, so
    // that the blocks it had are used first.
    if (inPlace_) {
        const off_t end = ::lseek(fd_, 0, SEEK_CUR);
        if (end < 0 || ::ftruncate(fd_, end) != 0)
            return fail(errno);
    }
    // The data must be on the disk before the name moves to it, or a crash
    // right after could leave an empty file under the old name. A pipe or a
    // device has no disk to wait for.
    struct stat st {};
    if (syncToDisk_ && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && ::fsync(fd_) != 0 &&
        (!temporary_.isEmpty() || errno != EINVAL))
        return fail(errno);
    if (ownsDescriptor_) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return fail(errno);
    }
    if (!temporary_.isEmpty() && ::rename(temporary_.constData(), target_.constData()) != 0)
        return fail(errno);
    temporary_.clear();
    discard();
    return true;
}

bool writeFileSafely(const QString& path, std::string_view bytes, QString* error, bool syncToDisk)
{
    OutputFile file;
    return file.open(path, error, syncToDisk) && (file.write(bytes), file.commit(error));
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

namespace {

// The file writing `name` makes or replaces, links followed to their end, in
// its folder's own name (no link, no ".."); empty when the folder is not there.
QByteArray writtenFileName(const QByteArray& name)
{
    const QByteArray target = danglingLinkTarget(name);
    if (target.isEmpty())
        return {};
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    char* resolved = ::realpath(folder.constData(), nullptr);
    if (!resolved)
        return {};
    QByteArray written(resolved);
    std::free(resolved);
    return written + (written.endsWith('/') ? "" : "/") + target.mid(slash + 1);
}

} // namespace

bool outputWritesOver(const QString& output, const QStringList& files)
{
    // "-" is whatever standard output leads to ("> FILE", ">> FILE").
    const QString out = output == QLatin1String("-") ? QStringLiteral("/dev/stdout") : output;
    const QByteArray written = writtenFileName(fileNameToSystem(out));
    for (const QString& file : files)
        if (sameFile(file, out) || (!written.isEmpty() && written == writtenFileName(fileNameToSystem(file))))
            return true;
    return false;
}

QString notARegularFile(const QString& path)
{
    struct stat st {};
    if (::stat(fileNameToSystem(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return S_ISDIR(st.st_mode) ? systemError(EISDIR) : QStringLiteral("Not a regular file");
}

} // namespace zentrova
