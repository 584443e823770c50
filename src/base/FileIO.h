#pragma once
#include <QByteArray>
#include <QString>

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

// The whole content of the regular file `path`. False when it cannot be
// opened or read, or is not a regular file (a folder, a device): `error`
// then holds the system's message and `opened` tells whether opening
// succeeded.
bool readWholeFile(const QString& path, std::string& bytes, QString* error = nullptr, bool* opened = nullptr);

// Writes `bytes` to `path` through a temporary file beside it, which replaces
// the target only after every byte was written and reached the disk. On any
// failure (full disk, file-size limit, no permission) the temporary file is
// removed, the target stays as it was byte for byte, false is returned and
// `error` holds the system's message. A new file gets the usual permissions;
// a replaced one keeps its own. `syncToDisk` false skips waiting for the
// disk: for small files written many times in a row (the settings), where
// a crash costs at most the last change.
bool writeFileSafely(const QString& path, std::string_view bytes, QString* error = nullptr, bool syncToDisk = true);

// True when `path` can be opened for reading: the question whether to replace
// a file is asked only for those.
bool canBeRead(const QString& path);

// True when both names lead to the same existing file (links followed).
bool sameFile(const QString& a, const QString& b);

// Empty when `path` is missing or a regular file; otherwise why it cannot be
// used as a file of settings or texts ("is a directory", ...).
QString notARegularFile(const QString& path);

} // namespace zentrova
