// File names as the system's bytes, and the checked reading and writing of files.
#include "base/FileHistory.h"
#include "base/FileIO.h"
#include "base/Settings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

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
