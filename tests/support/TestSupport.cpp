// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "support/TestSupport.h"

#include "shell/Startup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <tuple>
#include <unistd.h>

namespace zentrova::test {

int freeLocalPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

ScriptedPrompts::~ScriptedPrompts()
{
    EXPECT_TRUE(answers_.empty()) << "expected messages never asked: " << answers_.size();
    EXPECT_TRUE(files_.empty()) << "expected file dialogs never shown: " << files_.size();
}

unsigned ScriptedPrompts::message(MsgType, const std::string& text, unsigned buttons, int)
{
    messages.push_back(text);
    if (answers_.empty()) {
        if (!allowAny_)
            ADD_FAILURE() << "unexpected message: " << text;
        return (buttons & MbOK) ? MbOK : (buttons & MbCancel) ? MbCancel : MbNo;
    }
    const unsigned a = answers_.front();
    answers_.pop_front();
    EXPECT_TRUE(buttons & a) << "answer not among the buttons of: " << text;
    return a;
}

std::optional<QString> ScriptedPrompts::openFileName(const FileDialogRequest& r)
{
    fileRequests.push_back(r);
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected open-file dialog: " << r.title;
        return std::nullopt;
    }
    auto f = files_.front();
    files_.pop_front();
    return f;
}

std::optional<QString> ScriptedPrompts::saveFileName(const FileDialogRequest& r)
{
    fileRequests.push_back(r);
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected save-file dialog: " << r.title;
        return std::nullopt;
    }
    auto f = files_.front();
    files_.pop_front();
    return f;
}

FullDisk::FullDisk(qint64 freeBytes, int sizeKiB) : free_(freeBytes)
{
    const QByteArray at = QFile::encodeName(dir_.path());
    const QByteArray options = "size=" + QByteArray::number(sizeKiB) + "k";
    mounted_ = ::mount("tmpfs", at.constData(), "tmpfs", 0, options.constData()) == 0;
}

void FullDisk::engage()
{
    if (mounted_) {
        // The filler takes everything but `free_` bytes, block by block.
        const QByteArray filler = QFile::encodeName(file(QStringLiteral(".filler")));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'f');
        for (;;) {
            struct statvfs vfs {};
            ASSERT_EQ(::fstatvfs(fd, &vfs), 0);
            const qint64 left = qint64(vfs.f_bavail) * qint64(vfs.f_bsize);
            if (left <= free_)
                break;
            const size_t chunk = size_t(std::min<qint64>(qint64(block.size()), left - free_));
            if (::write(fd, block.data(), chunk) <= 0)
                break; // full to the last block
        }
        ::close(fd);
        return;
    }
    // One byte past the largest file already there plus `free_` fails.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    oldLimit_ = old.rlim_cur;
    qint64 largest = 0;
    for (const QFileInfo& i : QDir(dir_.path()).entryInfoList(QDir::Files | QDir::Hidden))
        largest = std::max(largest, i.size());
    rlimit small = old;
    small.rlim_cur = rlim_t(std::max<qint64>(largest + free_, 1));
    std::signal(SIGXFSZ, SIG_IGN); // writes fail with EFBIG instead of ending the program
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    limited_ = true;
}

FullDisk::~FullDisk()
{
    if (limited_) {
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        old.rlim_cur = rlim_t(oldLimit_);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

QStringList FullDisk::names() const
{
    QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

ProgramDir::ProgramDir()
{
    const QString src = QStringLiteral(ZENTROVA_DATA_DIR);
    QDirIterator it(src, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        const QString rel = QDir(src).relativeFilePath(f);
        QDir().mkpath(QFileInfo(file(rel)).absolutePath());
        QFile::copy(f, file(rel));
    }
}

std::string ProgramDir::readFile(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

void ProgramDir::writeFile(const QString& name, const std::string& bytes) const
{
    QFile f(file(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
}

void ProgramDir::editLine(const QString& name, const std::string& prefix, const std::string& replacement) const
{
    std::string s = readFile(name);
    size_t pos = 0;
    while (pos < s.size()) {
        size_t end = s.find('\n', pos);
        end = end == std::string::npos ? s.size() : end + 1;
        if (s.compare(pos, prefix.size(), prefix) == 0) {
            std::string line = replacement.empty() ? std::string() : replacement + "\r\n";
            s.replace(pos, end - pos, line);
            writeFile(name, s);
            return;
        }
        pos = end;
    }
    ADD_FAILURE() << "no line starting with " << prefix << " in " << name.toStdString();
}

LoadedProgram::LoadedProgram(bool doLoad)
{
    ctx = std::make_unique<AppContext>(dir.path(), prompts);
    if (doLoad) {
        EXPECT_TRUE(load());
    }
}

bool LoadedProgram::load()
{
    return loadProgramState(*ctx);
}

std::string diagnosticRecord(int block, int element, const std::string& riso, const std::string& pi,
                             const std::string& date)
{
    std::string r{char((block >> 8) & 0xff), char(block & 0xff), char((element >> 8) & 0xff), char(element & 0xff),
                  char(1)};
    for (const auto& [tag, q, u, text] :
         {std::tuple{'R', 1, 8, riso.c_str()}, std::tuple{'R', 7, 0, pi.c_str()}, std::tuple{'R', 6, 0, "1.42"},
          std::tuple{'M', 4, 7, ">950"}, std::tuple{'M', 10, 2, "5.03"}, std::tuple{'P', 9, 2, "5.00"}}) {
        r += tag;
        r += char(q);
        r += char(u);
        r += text;
        r += '\0';
    }
    if (!date.empty()) {
        r += 'D';
        r += date;
        r += '\0';
    }
    return r;
}

} // namespace zentrova::test
