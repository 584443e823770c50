// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Prompts.h"
#include "shell/AppContext.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zentrova::test {

// A port of 127.0.0.1 that nothing listens on, just now: for the test's own
// servers, and for an address where no server answers.
int freeLocalPort();

// Prompts that answer from a queue and fail the test on any question nobody
// expected. Every message shown is recorded.
class ScriptedPrompts : public Prompts {
public:
    ~ScriptedPrompts() override;
    void expectMessage(unsigned answer) { answers_.push_back(answer); }
    void expectFile(std::optional<QString> path) { files_.push_back(std::move(path)); }
    // Messages are answered with OK without being expected.
    void allowAnyMessage(bool allow = true) { allowAny_ = allow; }

    unsigned message(MsgType type, const std::string& text, unsigned buttons, int helpContext) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;

    std::vector<std::string> messages;
    std::vector<FileDialogRequest> fileRequests;

private:
    std::deque<unsigned> answers_;
    std::deque<std::optional<QString>> files_;
    bool allowAny_ = false;
};

// A fresh program folder with a copy of the shipped data files (languages,
// help), so no test sees another's settings.
class ProgramDir {
public:
    ProgramDir();
    QString path() const { return dir_.path() + u'/'; }
    QString file(const QString& name) const { return path() + name; }
    std::string readFile(const QString& name) const;
    void writeFile(const QString& name, const std::string& bytes) const;
    // Replaces the first line starting with `prefix` in a data file (or deletes it
    // when `replacement` is empty).
    void editLine(const QString& name, const std::string& prefix, const std::string& replacement) const;

private:
    QTemporaryDir dir_;
};

// A disk that fills up: a small tmpfs of its own, mounted for the test and
// filled until only `freeBytes` are left (0: to the last block). Where no
// file system may be mounted (not root), it is an ordinary folder under a
// file-size limit that gives writes the same failure one block past what
// it holds; the limit also binds programs the test starts.
class FullDisk {
public:
    explicit FullDisk(qint64 freeBytes = 0, int sizeKiB = 256);
    ~FullDisk();
    QString file(const QString& name) const { return dir_.path() + u'/' + name; }
    // The names in it other than the filler.
    QStringList names() const;
    bool mounted() const { return mounted_; }
    // Turns the file-size limit on (when not mounted); until then, files can be put there.
    void engage();

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    bool limited_ = false;
    qint64 free_ = 0;
    unsigned long long oldLimit_ = 0;
};

// A program folder with a context whose language tables are loaded the way
// the first activation loads them.
struct LoadedProgram {
    ProgramDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<AppContext> ctx;
    explicit LoadedProgram(bool load = true);
    bool load(); // languages, texts, report labels, profile, settings
};

// One diagnostic test with six items at (block, element) as the instrument
// sends it: insulation resistance `riso` (GΩ), PI `pi`, DAR 1.42, the
// capacitance, the test voltage measured and set; dated when `date` is given.
std::string diagnosticRecord(int block, int element, const std::string& riso, const std::string& pi = "3.1",
                             const std::string& date = {});

} // namespace zentrova::test
