// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Progress.h"
#include "base/Prompts.h"
#include "shell/AppContext.h"
#include "structure/StructureFile.h"

#include <QHash>
#include <QStringList>
#include <map>
#include <memory>

namespace zentrova {
struct EquipmentData;
struct SiteRuleChoice;
class PageRecorder;
class ReportPages;
} // namespace zentrova

namespace zentrova::cli {

// Exit codes of zentrova-cli.
enum ExitCode {
    ExitOk = 0,
    ExitUsage = 1,       // unknown command or option, missing argument
    ExitProgramData = 2, // the language files beside the program are broken
    ExitBadInput = 4,    // the input is not a structure file or cannot be read
    ExitCannotWrite = 5, // the output file cannot be written; print: the printer cannot be reached
};

// Answers without a person: every message goes to stderr (one line) and is
// answered with Cancel where offered, else No, else OK; file dialogs are
// cancelled. Commands that must not ask name their files on the command line.
class CliPrompts : public Prompts {
public:
    unsigned message(MsgType type, const std::string& text, unsigned buttons, int helpContext) override;
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    const AppContext* ctx = nullptr; // decodes the messages once the language is known
};

// A bar on stderr while it is a terminal; nothing otherwise.
class StderrProgress : public Progress {
public:
    StderrProgress();
    void show(const std::string& caption, const std::string& line1, bool cancellable) override;
    void setLine2(const std::string&) override {}
    void setPosition(int percent) override;
    void hide() override;
    bool cancelRequested() const override { return false; }

private:
    bool terminal_ = false;
    bool shown_ = false;
    int percent_ = -1;
};

// The program as the GUI has it after its first activation: languages,
// interface texts, report labels, family profile, heading and comments,
// from the program's own folder.
struct Program {
    CliPrompts prompts;
    StderrProgress progress;
    std::unique_ptr<AppContext> ctx;
    ReadResult lastRead; // how the input file read
};

// Loads the program's state; on failure prints the reason and returns nullptr.
std::unique_ptr<Program> loadProgram();

// The program with the structure file `path` read into its document.
// nullptr after printing the reason; `rc` then holds ExitProgramData or
// ExitBadInput. What reading left out (results removed, a file cut short)
// is told as warnings unless `tellLosses` is false.
std::unique_ptr<Program> loadProgramWithInput(const QString& path, int& rc, bool tellLosses = true);

// Tells what reading `path` into `document` left out, one warning a line.
void tellReadLosses(const Program& program, const QString& path, const Document& document, const ReadResult& read);

// Reads the structure file `path` into the program's document, as
// loadProgramWithInput does. ExitOk, or ExitBadInput after printing the reason.
int readInput(Program& program, const QString& path, bool tellLosses = true);

// Reads the structure file `path` into `document`, beside the program's own,
// as loadProgramWithInput reads its input. ExitOk, or ExitBadInput after
// printing the reason.
int readInputBeside(Program& program, const QString& path, Document& document);

// Prints one line to stderr ("zentrova-cli: " + text).
void fail(const QString& text);

// An output's name in a message: "standard output" for "-".
QString outputName(const QString& path);

// True when the output `out` ("-": standard output) is the file `in`.
bool outputIsInput(const QString& in, const QString& out);

// The files a command reads, which its output must not replace.
struct ReadFiles {
    QStringList inputs;  // the files named on the command line
    QStringList archive; // the history archive's, with its side files (archiveFiles)
};

// ExitUsage after saying so when `out` (given with `option`, or standard
// output the command writes by itself when `option` is null; "-" is standard
// output) would write over one of the files the command reads: an input
// file, or the history archive or a file SQLite keeps beside it, the same
// file also through a symbolic or hard link (outputWritesOver). ExitOk
// otherwise. Every command that writes a file calls it before it writes.
int refuseOutputOverReadFiles(const ReadFiles& reads, const QString& out, const char* option, const char* command);

// `utf8` as a terminal is given it: in every line, control characters (an
// escape sequence in a name or in a rule set's title) become spaces, as
// shownInstrumentLine shows them.
std::string shownLines(std::string_view utf8);

// Writes `bytes` to standard output; ExitOk, or ExitCannotWrite after
// saying why (a full disk, a reader that went away).
int writeStandardOutput(std::string_view bytes);

// Flushes and closes standard output once the command is done: anything
// written there that did not arrive makes the exit code ExitCannotWrite
// (unless the command failed already), after one line saying why. `rc` is
// the command's own exit code.
int closeStandardOutput(int rc);

// A subcommand: `run` gets the arguments after its name.
struct Command {
    const char* name;
    const char* synopsis; // arguments, for the command list
    const char* summary;  // one line, for the command list
    int (*run)(const QStringList& args);
    void (*help)();
    bool drawsText;    // runs with the GUI application object (offscreen)
    bool drawsWidgets; // runs with the widget application object (offscreen)
};

// Subcommands, each in its own cmd_*.cpp.
int dumpCommand(const QStringList& args);
void dumpHelp();
int convertCommand(const QStringList& args);
void convertHelp();
int reportCommand(const QStringList& args);
void reportHelp();
int exportCommand(const QStringList& args);
void exportHelp();
int receiveCommand(const QStringList& args);
void receiveHelp();
int identifyCommand(const QStringList& args);
void identifyHelp();
int printCommand(const QStringList& args);
void printHelp();
int compareCommand(const QStringList& args);
void compareHelp();
int chartCommand(const QStringList& args);
void chartHelp();
int evaluateCommand(const QStringList& args);
void evaluateHelp();
int historyCommand(const QStringList& args);
void historyHelp();

// The arguments of a command that reads one FILE: the file and the values of
// the options it knows, each taking one value and given at most once ("-o"
// also spelled "--output"). ExitOk, or ExitUsage after printing the reason.
struct FileArgs {
    QString file;
    QHash<QString, QString> values; // option -> value, for the options given
    QString value(const QString& option) const { return values.value(option); }
    bool has(const QString& option) const { return values.contains(option); }
};
int parseFileArgs(const QStringList& args, const char* command, const QStringList& options, FileArgs& out);

// The measuring points' equipment data by block and element number.
using PointEquipment = std::map<std::pair<long, long>, EquipmentData>;

// The files of the history archive a command with --db in `args` opens:
// the one --db names, else the one the settings name, else the default.
QStringList commandArchiveFiles(const FileArgs& args, const Program& program);

// The equipment data and the chosen correction rules of the installation
// --site names (else the test site of the program's document) in the archive
// --db names (else the configured one), as `args` holds them; `site` is the
// installation looked for. Without
// --db and --site an archive that cannot be used leaves `out` empty, told of
// on stderr when `noteWhenUnavailable`. ExitOk, or the exit code after
// saying why.
int archiveEquipment(const FileArgs& args, const Program& program, bool noteWhenUnavailable, PointEquipment& out,
                     SiteRuleChoice& rules, QString& site);

// The results report of the element `args` selects (--element, else the one
// the file selects) of the structure file args.file, composed into `pages`
// as `report` writes it: A4 at 300 dpi, the margins and the grid font from
// the settings. ExitOk, or the exit code after printing the reason;
// `command` names the command in the messages.
int composeFileReport(const FileArgs& args, const char* command, PageRecorder& pages);

// The element `element` names ("NAME" for a top-level element, "NAME/NAME"
// for one within it; a name of several lines with its lines joined by
// spaces; a "/" or a backslash within a name written "\/" or "\\") in the
// document read from `in`. ExitOk with `node` set, or
// ExitUsage after saying which names there are.
int findElement(const AppContext& ctx, const QString& in, const QString& element, const ElementNode*& node);

// True when `args` asks for help (-h or --help anywhere).
bool wantsHelp(const QStringList& args);

} // namespace zentrova::cli
