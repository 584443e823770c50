// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// File names as the system's bytes, and the checked reading and writing of files.
#include "base/FileHistory.h"
#include "base/FileIO.h"
#include "base/Settings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zentrova::test {
namespace {

QString escaped(std::initializer_list<char16_t> units)
{
    return QString::fromStdU16String(std::u16string(units));
}

TEST(FileNames, EveryByteSequenceComesBackAsItWas)
{
    struct Case {
        QByteArray bytes;
        QString shown;
    };
    for (const Case& c : {
             Case{"plain/site.ZIT", QStringLiteral("plain/site.ZIT")},
             Case{"\xc4\x8d\xc5\xa1\xc5\xbe.ZIT", QStringLiteral("\u010d\u0161\u017e.ZIT")},
             Case{"\xf0\x9f\x94\x8c", QStringLiteral("\U0001F50C")},
             // Windows-1250 bytes, a cut-off sequence, an overlong slash, an
             // encoded surrogate, a byte past U+10FFFF: each byte kept on its own.
             Case{"b\xe8\xb9", escaped({u'b', char16_t(0xDCE8), char16_t(0xDCB9)})},
             Case{"x\xc4", escaped({u'x', char16_t(0xDCC4)})},
             Case{"\xc0\xaf", escaped({char16_t(0xDCC0), char16_t(0xDCAF)})},
             Case{"\xed\xa0\x80", escaped({char16_t(0xDCED), char16_t(0xDCA0), char16_t(0xDC80)})},
             Case{"\xf4\x90\x80\x80",
                  escaped({char16_t(0xDCF4), char16_t(0xDC90), char16_t(0xDC80), char16_t(0xDC80)})},
         }) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(fileNameFromSystem(c.bytes), c.shown);
        EXPECT_EQ(fileNameToSystem(fileNameFromSystem(c.bytes)), c.bytes);
    }
}

TEST(FileNames, OnlyRegularFilesAreRead)
{
    ProgramDir dir;
    dir.writeFile(QStringLiteral("a.ZIT"), "abc");
    ASSERT_TRUE(QDir().mkdir(dir.file(QStringLiteral("folder.ZIT"))));
    std::string bytes;
    QString error;
    bool opened = false;
    EXPECT_TRUE(readWholeFile(dir.file(QStringLiteral("a.ZIT")), bytes, &error, &opened));
    EXPECT_EQ(bytes, "abc");
    for (const QString& name : {QStringLiteral("folder.ZIT"), QStringLiteral("missing.ZIT")}) {
        EXPECT_FALSE(readWholeFile(dir.file(name), bytes, &error, &opened));
        EXPECT_FALSE(opened);
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(readWholeFile(QStringLiteral("/dev/null"), bytes, &error));
    EXPECT_FALSE(notARegularFile(dir.file(QStringLiteral("folder.ZIT"))).isEmpty());
    EXPECT_TRUE(notARegularFile(dir.file(QStringLiteral("a.ZIT"))).isEmpty());
}

// A file larger than the reader's limit is refused before anything is read
// or reserved (a sparse file: nothing of it is on the disk); its start can
// still be looked at.
TEST(FileNames, FilesLargerThanTheLimitAreRefusedBeforeReading)
{
    ProgramDir dir;
    dir.writeFile(QStringLiteral("huge.INI"), "[Section]\r\n");
    const QString huge = dir.file(QStringLiteral("huge.INI"));
    ASSERT_EQ(::truncate(fileNameToSystem(huge).constData(), MaxTextFileSize + 1), 0);
    std::string bytes;
    QString error;
    bool opened = false;
    EXPECT_FALSE(readWholeFile(huge, bytes, &error, &opened));
    EXPECT_TRUE(opened);
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_LT(bytes.capacity(), size_t(1) << 20);
    EXPECT_FALSE(readWholeFile(dir.file(QStringLiteral("huge.INI")), bytes, &error, &opened, 5));

    qint64 size = 0;
    EXPECT_TRUE(readFileStart(huge, 9, bytes, size));
    EXPECT_EQ(bytes, "[Section]");
    EXPECT_EQ(size, MaxTextFileSize + 1);
}

TEST(FileNames, ReplacingKeepsTheTargetsPermissions)
{
    ProgramDir dir;
    const QString target = dir.file(QStringLiteral("site.ZIT"));
    ASSERT_TRUE(writeFileSafely(target, "one"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFile::Permissions before = QFile::permissions(target);
    ASSERT_TRUE(writeFileSafely(target, "two"));
    EXPECT_EQ(QFile::permissions(target), before);
    EXPECT_EQ(dir.readFile(QStringLiteral("site.ZIT")), "two");
    QString error;
    EXPECT_FALSE(writeFileSafely(dir.file(QString()), "x", &error)); // the folder itself
    EXPECT_FALSE(error.isEmpty());
}

// What a reader at the other end of a pipe or FIFO received until the writer
// closed it. A FIFO is opened in the reading thread, as opening waits for the writer.
class PipeReader {
public:
    explicit PipeReader(int fd) : thread_([this, fd] { readAll(fd); }) {}
    explicit PipeReader(const QByteArray& fifo) : thread_([this, fifo] { readAll(::open(fifo.constData(), O_RDONLY)); })
    {
    }
    ~PipeReader()
    {
        if (thread_.joinable())
            thread_.join();
    }
    std::string bytes()
    {
        thread_.join();
        return bytes_;
    }

private:
    void readAll(int fd)
    {
        char buffer[4096];
        ssize_t n;
        while (fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes_.append(buffer, size_t(n));
        ::close(fd);
    }
    std::string bytes_;
    std::thread thread_;
};

std::string manyPieces()
{
    std::string all;
    for (int i = 0; i < 20000; ++i)
        all += "line " + std::to_string(i) + '\n';
    return all;
}

// Written piece by piece, the file appears whole at commit or not at all.
TEST(OutputFile, PiecesReplaceTheTargetOnlyAtCommit)
{
    ProgramDir dir;
    dir.writeFile(QStringLiteral("out.csv"), "old");
    const QString target = dir.file(QStringLiteral("out.csv"));
    const std::string all = manyPieces();
    for (const bool committed : {false, true}) {
        {
            OutputFile file;
            ASSERT_TRUE(file.open(target));
            for (size_t at = 0; at < all.size(); at += 11)
                ASSERT_TRUE(file.write(std::string_view(all).substr(at, 11)));
            EXPECT_EQ(dir.readFile(QStringLiteral("out.csv")), "old");
            if (committed) {
                EXPECT_TRUE(file.commit());
            }
        }
        EXPECT_EQ(dir.readFile(QStringLiteral("out.csv")), committed ? all : "old");
        EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral(".out.csv*")}, QDir::Files | QDir::Hidden).isEmpty());
    }
}

// FIFOs, links to them and links into /proc/self/fd lead to a reader, not a
// file: they are written into and stay what they were.
TEST(OutputFile, TargetsThatAreNoRegularFileAreWrittenIntoDirectly)
{
    ProgramDir dir;
    const QString fifo = dir.file(QStringLiteral("fifo"));
    const QString link = dir.file(QStringLiteral("link"));
    ASSERT_EQ(::mkfifo(fileNameToSystem(fifo).constData(), 0600), 0);
    ASSERT_EQ(::symlink("fifo", fileNameToSystem(link).constData()), 0);
    const std::string all = manyPieces();
    for (const QString& name : {fifo, link, QString()}) {
        SCOPED_TRACE(name.toStdString());
        int ends[2] = {-1, -1};
        if (name.isEmpty()) {
            ASSERT_EQ(::pipe(ends), 0);
        }
        const QString target = name.isEmpty() ? QStringLiteral("/proc/self/fd/%1").arg(ends[1]) : name;
        PipeReader reader = name.isEmpty() ? PipeReader(ends[0]) : PipeReader(fileNameToSystem(fifo));
        OutputFile file;
        ASSERT_TRUE(file.open(target));
        if (name.isEmpty())
            ::close(ends[1]);
        EXPECT_TRUE(file.write(all));
        EXPECT_TRUE(file.commit());
        EXPECT_EQ(reader.bytes(), all);
    }
    struct stat st {};
    ASSERT_EQ(::lstat(fileNameToSystem(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(fileNameToSystem(link).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// "-" is standard output, after whatever the program printed there before.
TEST(OutputFile, DashIsStandardOutput)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    PipeReader reader(ends[0]);
    const int saved = ::dup(STDOUT_FILENO);
    std::fflush(stdout);
    ::dup2(ends[1], STDOUT_FILENO);
    ::close(ends[1]);
    std::fputs("before ", stdout);
    OutputFile file;
    const bool ok = file.open(QStringLiteral("-")) && file.write("written") && file.commit();
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    EXPECT_TRUE(ok);
    EXPECT_EQ(reader.bytes(), "before written");
}

// A failed write is remembered and fails the commit with the system's reason.
TEST(OutputFile, AFailedWriteFailsTheCommit)
{
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    OutputFile file;
    ASSERT_TRUE(file.open(QStringLiteral("/proc/self/fd/%1").arg(ends[1])));
    ::close(ends[1]);
    EXPECT_FALSE(file.write(manyPieces()));
    EXPECT_FALSE(file.write("x"));
    QString error;
    EXPECT_FALSE(file.commit(&error));
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EPIPE)));
    std::signal(SIGPIPE, previous);
}

// A file without write permission is refused, even for root; one reached
// through a link is replaced with its owner, group and mode, the link kept.
TEST(OutputFile, ReadOnlyTargetsAreRefusedAndLinkedOnesKeepTheirOwner)
{
    ProgramDir dir;
    dir.writeFile(QStringLiteral("locked"), "locked");
    dir.writeFile(QStringLiteral("shared"), "old");
    const QByteArray locked = fileNameToSystem(dir.file(QStringLiteral("locked")));
    const QByteArray shared = fileNameToSystem(dir.file(QStringLiteral("shared")));
    ASSERT_EQ(::chmod(locked.constData(), 0444), 0);
    QString error;
    EXPECT_FALSE(writeFileSafely(dir.file(QStringLiteral("locked")), "new", &error));
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(dir.readFile(QStringLiteral("locked")), "locked");

    ASSERT_EQ(::chmod(shared.constData(), 0664), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(shared.constData(), 4321, 4322), 0);
    }
    ASSERT_EQ(::symlink("shared", fileNameToSystem(dir.file(QStringLiteral("link"))).constData()), 0);
    ASSERT_TRUE(writeFileSafely(dir.file(QStringLiteral("link")), "new", &error)) << error.toStdString();
    EXPECT_EQ(dir.readFile(QStringLiteral("shared")), "new");
    struct stat st {};
    ASSERT_EQ(::stat(shared.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }
    ASSERT_EQ(::lstat(fileNameToSystem(dir.file(QStringLiteral("link"))).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// What a plain user's write of a file did, run in a child process that
// became user 65534 with group `group` as its only group.
struct UserWrite {
    bool ran = false; // false: the system would not let the test become that user
    bool written = false;
    std::string error;
};

UserWrite writeAsUser(gid_t group, const std::function<bool(QString*)>& write)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        if (::setgroups(1, &group) != 0 || ::setgid(group) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        QString error;
        const bool written = write(&error);
        const std::string result = (written ? "1" : "0") + error.toStdString();
        ::_exit(::write(ends[1], result.data(), result.size()) == ssize_t(result.size()) ? 0 : 4);
    }
    ::close(ends[1]);
    std::string result;
    char buffer[256];
    ssize_t n;
    while (child > 0 && (n = ::read(ends[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, size_t(n));
    ::close(ends[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        result.empty())
        return {};
    return {true, result[0] == '1', result.substr(1)};
}

// A plain user writes as the shell's ">" would where replacing the file
// could not keep its owner and group or the folder takes no new file: into
// the file itself, once the whole output is there. A file of their own in a
// folder of theirs is still replaced.
TEST(OutputFile, APlainUserWritesIntoAFileReplacingCouldNotKeep)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "becoming another user needs root";
    constexpr gid_t Group = 4322;
    constexpr uid_t User = 65534;
    QTemporaryDir top(QDir::tempPath() + QStringLiteral("/zentrova-user-XXXXXX"));
    ASSERT_TRUE(top.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(top.path()).constData(), 0755), 0);
    enum class Step { Write, Abandon, WriteOverLimit };
    struct Case {
        const char* name;
        uid_t folderOwner;
        gid_t folderGroup;
        mode_t folderMode;
        uid_t fileOwner;
        mode_t fileMode;
        Step step;
        bool written;
        const char* content;
        bool sameFile; // the file written into, not a new one put in its place
    };
    const Case cases[] = {
        {"group folder", 0, Group, 02775, 0, 0664, Step::Write, true, "new content", true},
        {"sticky folder", 0, 0, 01777, 0, 0664, Step::Write, true, "new content", true},
        {"folder not the user's", 0, 0, 0755, 0, 0666, Step::Write, true, "new content", true},
        {"failure while composing", 0, Group, 02775, 0, 0664, Step::Abandon, false, "old", true},
        {"failure while writing", 0, Group, 02775, 0, 0664, Step::WriteOverLimit, false, nullptr, true},
        {"own file", 0, Group, 02775, User, 0644, Step::Write, true, "new content", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray folder = QFile::encodeName(top.path() + u'/' + QLatin1String(c.name));
        const QByteArray file = folder + "/values.csv";
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
        ASSERT_EQ(::chown(folder.constData(), c.folderOwner, c.folderGroup), 0);
        ASSERT_EQ(::chmod(folder.constData(), c.folderMode), 0);
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_TRUE(fd >= 0 && ::write(fd, "old", 3) == 3 && ::close(fd) == 0);
        ASSERT_EQ(::chown(file.constData(), c.fileOwner, Group), 0);
        ASSERT_EQ(::chmod(file.constData(), c.fileMode), 0);
        struct stat before {};
        ASSERT_EQ(::stat(file.constData(), &before), 0);

        const QString target = fileNameFromSystem(file);
        const UserWrite w = writeAsUser(Group, [&](QString* error) {
            OutputFile out;
            if (!out.open(target, error))
                return false;
            if (c.step == Step::WriteOverLimit) {
                // The file may grow to 4 bytes: the write in place fails past them.
                const rlimit limit{4, 4};
                std::signal(SIGXFSZ, SIG_IGN);
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            out.write("new ");
            out.write("content");
            return c.step != Step::Abandon && out.commit(error);
        });
        if (!w.ran)
            GTEST_SKIP() << "the system does not let the test become user 65534";
        EXPECT_EQ(w.written, c.written) << w.error;
        if (c.step == Step::WriteOverLimit) {
            EXPECT_EQ(w.error, std::strerror(EFBIG));
        }
        struct stat after {};
        ASSERT_EQ(::stat(file.constData(), &after), 0);
        if (c.content) {
            QFile f(fileNameFromSystem(file));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll().toStdString(), c.content);
        }
        EXPECT_EQ(after.st_uid, c.fileOwner);
        EXPECT_EQ(after.st_gid, Group);
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
        EXPECT_EQ(QDir(fileNameFromSystem(folder)).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

// The file dialogs start where the user last was, in this run or the next;
// names that are not UTF-8 survive the settings file.
TEST(FileHistory, DialogFolderAndRecentNamesKeepTheirBytes)
{
    ProgramDir dir;
    const Settings settings((dir.path() + QStringLiteral("ZENTRO.INI")).toStdString());
    const QString odd = dir.file(fileNameFromSystem("b\xe8 job"));
    ASSERT_TRUE(QDir().mkdir(odd));

    EXPECT_EQ(dialogStartPath(settings, QStringLiteral("Noname.ZIT")), QStringLiteral("Noname.ZIT"));
    rememberDialogFolder(settings, odd + QStringLiteral("/site.ZIT"));
    EXPECT_EQ(dialogStartPath(settings, QStringLiteral("Noname.ZIT")), odd + QStringLiteral("/Noname.ZIT"));
    EXPECT_EQ(dialogStartPath(settings, QString()), odd);
    EXPECT_EQ(dialogStartPath(settings, QStringLiteral("/elsewhere/a.ZIT")), QStringLiteral("/elsewhere/a.ZIT"));
    // A folder removed since is not offered.
    ASSERT_TRUE(QDir(odd).removeRecursively());
    EXPECT_EQ(dialogStartPath(settings, QStringLiteral("Noname.ZIT")), QStringLiteral("Noname.ZIT"));

    addRecentFile(settings, odd + QStringLiteral("/site.ZIT"));
    EXPECT_EQ(recentFiles(settings), QStringList{odd + QStringLiteral("/site.ZIT")});
    removeRecentFile(settings, odd + QStringLiteral("/site.ZIT"));
    EXPECT_TRUE(recentFiles(settings).isEmpty());
}

} // namespace
} // namespace zentrova::test
