// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace zentrova {

// File names are the system's bytes. Names that are not valid UTF-8 (a folder
// copied from an old Windows disk, say) must still open, so every byte that
// is not part of a valid UTF-8 sequence travels inside the QString as the
// lone surrogate U+DC80..U+DCFF and turns back into that byte on the way out.
// Qt's own conversion would replace such bytes for good.
QString fileNameFromSystem(const QByteArray& bytes);
QByteArray fileNameToSystem(const QString& name);

// The largest file of settings or texts that is read: several hundred times
// the largest language file. A larger one is refused before it is read.
inline constexpr qint64 MaxTextFileSize = 64 * 1024 * 1024;

// The whole content of the regular file `path`. False when it cannot be
// opened or read, is not a regular file (a folder, a device), or is larger
// than `sizeLimit` ("File too large", found before anything is read):
// `error` then holds the system's message and `opened` tells whether opening
// succeeded.
bool readWholeFile(const QString& path, std::string& bytes, QString* error = nullptr, bool* opened = nullptr,
                   qint64 sizeLimit = MaxTextFileSize);

// The first `count` bytes of the regular file `path` (all of it when it is
// shorter) and its size, for a look at a file before it is read whole.
// False as for readWholeFile.
bool readFileStart(const QString& path, size_t count, std::string& bytes, qint64& size, QString* error = nullptr,
                   bool* opened = nullptr);

// A file written piece by piece, as writeFileSafely writes it whole: a regular
// (or missing) target gets a temporary file beside it, which replaces the
// target only after every byte was written and reached the disk; a failed or
// abandoned file leaves the target as it was byte for byte. A new file gets
// the usual permissions; a replaced one keeps its own mode, owner and group.
// Where replacing could not keep the owner and group (another user's file
// in a folder shared with a group, or in a sticky folder; a file whose group
// is not the user's) or the folder takes no temporary file (a writable file
// in a folder that is not), the file is written into itself, as the shell's
// ">" does, but only at commit, once the whole output is there: a failure
// while it is composed leaves the file as it was, and a failure while it is
// written in place is reported by commit (the file may then be cut short).
// A symbolic link is written through: the file it names is replaced, the link
// stays. A target that is not a regular file (a device, a FIFO, a socket, a
// terminal, /dev/stdout) is never replaced but written into directly, and
// "-" is standard output. A regular target without write permission is
// refused, even for root, who could otherwise replace it.
class OutputFile {
public:
    OutputFile() = default;
    // An open file that was not committed is discarded (the temporary removed).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens `path` for writing. False with the system's reason. `syncToDisk`
    // false skips waiting for the disk: for small files written many times in
    // a row (the settings), where a crash costs at most the last change.
    bool open(const QString& path, QString* error = nullptr, bool syncToDisk = true);
    // Buffers `bytes`; false once any write failed (the failure is remembered
    // and later writes do nothing).
    bool write(std::string_view bytes);
    // Flushes, syncs, closes and (for a temporary) renames over the target.
    // False with the system's reason; on failure the previous target stays as
    // it was.
    bool commit(QString* error = nullptr);

private:
    bool openTarget(const QString& path, QString* error, bool syncToDisk);
    bool openInPlace(const QByteArray& target, QString* error);
    bool commitTarget(QString* error);
    bool flush();
    void discard();

    static constexpr size_t BufferSize = 64 * 1024;
    int fd_ = -1;
    bool ownsDescriptor_ = false; // false for standard output, which stays open
    bool syncToDisk_ = true;
    bool inPlace_ = false; // the target itself, written whole at commit
    QByteArray temporary_; // empty when written into directly
    QByteArray target_;
    QString name_; // as the caller named it, for the log
    std::string buffer_;
    int failure_ = 0; // errno of the first failed write
};

// Writes `bytes` to `path` through an OutputFile: all of it, or on any failure
// (full disk, file-size limit, no permission) nothing, with false returned and
// `error` holding the system's message.
bool writeFileSafely(const QString& path, std::string_view bytes, QString* error = nullptr, bool syncToDisk = true);

// True when `path` can be opened for reading: the question whether to replace
// a file is asked only for those.
bool canBeRead(const QString& path);

// True when both names lead to the same existing file (links followed).
bool sameFile(const QString& a, const QString& b);

// True when writing `output` ("-": standard output) would write over one of
// `files`: the same existing file, reached through a symbolic or a hard link
// of either name, or, for a name that is not there now, the same name in the
// same folder once links are followed (a file that is made only while another
// program writes, such as a database's journal).
bool outputWritesOver(const QString& output, const QStringList& files);

// Empty when `path` is missing or a regular file; otherwise why it cannot be
// used as a file of settings or texts ("is a directory", ...).
QString notARegularFile(const QString& path);

} // namespace zentrova
