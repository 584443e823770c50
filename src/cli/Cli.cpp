// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "cli/Cli.h"

#include "base/ProgramPaths.h"

#include "base/FileIO.h"
#include "comm/InstrumentData.h"
#include "language/Language.h"
#include "language/Profile.h"
#include "report/ReportPages.h"
#include "shell/Startup.h"
#include "structure/Structure.h"
#include "structure/StructureFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace zentrova::cli {

namespace {
// One line for the terminal: line breaks and every other control character
// (an escape sequence in a name from a file) become spaces.
QString oneLine(QString s)
{
    for (QChar& c : s)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return s.trimmed();
}
} // namespace

void fail(const QString& text)
{
    // File names keep their bytes, also those that are not UTF-8.
    std::fprintf(stderr, "zentrova-cli: %s\n", fileNameToSystem(oneLine(text)).constData());
}

QString outputName(const QString& path)
{
    return path == QLatin1String("-") ? QStringLiteral("standard output") : path;
}

bool outputIsInput(const QString& in, const QString& out)
{
    // "-" is whatever standard output leads to, which may be the input
    // itself (">> FILE").
    return sameFile(in, out == QLatin1String("-") ? QStringLiteral("/dev/stdout") : out);
}

int refuseOutputOverReadFiles(const ReadFiles& reads, const QString& out, const char* option, const char* command)
{
    // "OUT: -o names ..."; standard output the command writes by itself
    // ("evaluate F >> F") is named alone.
    const QString named =
        option ? outputName(out) + QStringLiteral(": ") + QLatin1String(option) : QStringLiteral("standard output");
    QString why;
    if (outputWritesOver(out, reads.inputs))
        why = QStringLiteral("%1 names the input file; %2 would overwrite it").arg(named, QLatin1String(command));
    else if (outputWritesOver(out, reads.archive))
        why = QStringLiteral("%1 names the history archive's file; writing it would destroy the archive").arg(named);
    else
        return ExitOk;
    fail(why);
    return ExitUsage;
}

std::string shownLines(std::string_view utf8)
{
    std::string shown;
    shown.reserve(utf8.size());
    for (size_t at = 0; at <= utf8.size();) {
        size_t end = utf8.find('\n', at);
        if (end == std::string_view::npos)
            end = utf8.size();
        shown += shownInstrumentLine(QString::fromUtf8(utf8.data() + at, qsizetype(end - at))).toStdString();
        if (end < utf8.size())
            shown += '\n';
        at = end + 1;
    }
    return shown;
}

int writeStandardOutput(std::string_view bytes)
{
    OutputFile out;
    QString error;
    if (out.open(QStringLiteral("-"), &error)) {
        out.write(bytes);
        if (out.commit(&error))
            return ExitOk;
    }
    fail(QStringLiteral("standard output: ") + error);
    return ExitCannotWrite;
}

int closeStandardOutput(int rc)
{
    // Output held back in the stream fails here with its reason; a write
    // that failed earlier left only the stream's error mark, and is told as
    // a plain I/O error.
    errno = 0;
    int code = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        code = errno != 0 ? errno : EIO;
    // Closing reports what only the close learns (a file on a network
    // disk); a standard output that was never open has nothing to report.
    if (std::fclose(stdout) != 0 && code == 0 && errno != EBADF)
        code = errno;
    if (code == 0)
        return rc;
    fail(QStringLiteral("standard output: ") + QString::fromLocal8Bit(std::strerror(code)));
    return rc == ExitOk ? ExitCannotWrite : rc;
}

unsigned CliPrompts::message(MsgType, const std::string& text, unsigned buttons, int)
{
    fail(ctx ? ctx->language.decode(text) : QString::fromLatin1(text));
    if (buttons & MbCancel)
        return MbCancel;
    if (buttons & MbNo)
        return MbNo;
    return MbOK;
}

StderrProgress::StderrProgress() : terminal_(isatty(STDERR_FILENO) == 1)
{
}

void StderrProgress::show(const std::string&, const std::string&, bool)
{
    shown_ = true;
    percent_ = -1;
}

void StderrProgress::setPosition(int percent)
{
    if (!terminal_ || !shown_ || percent == percent_)
        return;
    percent_ = percent;
    const int filled = std::clamp(percent, 0, 100) * 40 / 100;
    std::fprintf(stderr, "\r[%.*s%.*s] %3d%%", filled, "########################################", 40 - filled,
                 "                                        ", percent);
    std::fflush(stderr);
}

void StderrProgress::hide()
{
    if (terminal_ && shown_ && percent_ >= 0)
        std::fprintf(stderr, "\r%50s\r", "");
    shown_ = false;
}

std::unique_ptr<Program> loadProgram()
{
    auto p = std::make_unique<Program>();
    const QString executableDir = QCoreApplication::applicationDirPath();
    p->ctx = std::make_unique<AppContext>(programDataDir(executableDir), p->prompts, settingsFilePath(executableDir));
    AppContext& c = *p->ctx;
    c.language.settings.setWriteFailureHandler([&c](const QString& problem) {
        c.language.prompts->message(MsgType::Error, "Error in ZENTRO.INI\r" + c.language.encode(problem), MbOK);
    });
    // A broken language file ends the program, as it does the GUI.
    if (!loadProgramState(c))
        return nullptr;
    p->prompts.ctx = &c;
    c.document.fileName = c.language.decode(c.language.texts.defaultFileName);
    return p;
}

int parseFileArgs(const QStringList& args, const char* command, const QStringList& options, FileArgs& out)
{
    const QString name = QString::fromLatin1(command);
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString a = args[i];
        if (a == QLatin1String("--output"))
            a = QStringLiteral("-o");
        if (options.contains(a)) {
            if (i + 1 >= args.size() || out.values.contains(a)) {
                fail(QStringLiteral("%1 needs one value").arg(a));
                return ExitUsage;
            }
            out.values.insert(a, args[++i]);
        } else if (a.startsWith(u'-') || !out.file.isEmpty()) {
            fail(QStringLiteral("unexpected argument \"%1\" (see zentrova-cli %2 --help)").arg(args[i], name));
            return ExitUsage;
        } else {
            out.file = a;
        }
    }
    return ExitOk;
}

namespace {

// The bytes of the structure file `path`: ExitOk, or ExitBadInput after
// saying why there are none.
int readInputBytes(const QString& path, std::string& bytes)
{
    QString error;
    switch (readStructureFileBytes(path, bytes, &error)) {
    case FileBytesStatus::Read:
        break;
    case FileBytesStatus::CannotOpen:
    case FileBytesStatus::CannotRead:
        fail(path + QStringLiteral(": ") + error);
        return ExitBadInput;
    case FileBytesStatus::NotStructure:
        fail(path + QStringLiteral(": not a structure file"));
        return ExitBadInput;
    case FileBytesStatus::TooLarge:
        fail(
            path +
            QStringLiteral(": larger than any structure file (%1 MiB at most)").arg(structure_file::MaxFileSize >> 20));
        return ExitBadInput;
    }
    return ExitOk;
}

// How reading `path` into `document` went: ExitOk (with what was left out
// told when `tellLosses`), or ExitBadInput after saying why.
int judgeRead(const Program& program, const QString& path, const Document& document, const ReadResult& r,
              bool tellLosses)
{
    switch (r.outcome) {
    case ReadOutcome::Read:
        if (tellLosses)
            tellReadLosses(program, path, document, r);
        return ExitOk;
    case ReadOutcome::NotStructure:
        fail(path + QStringLiteral(": not a structure file"));
        return ExitBadInput;
    case ReadOutcome::FamilyNotServed:
        fail(path + QStringLiteral(": structure file of instrument family %1, which this program does not serve")
                        .arg(document.familyCode));
        return ExitBadInput;
    default:
        fail(program.ctx->language.decode(r.message));
        return ExitBadInput;
    }
}

} // namespace

int readInput(Program& program, const QString& path, bool tellLosses)
{
    AppContext& ctx = *program.ctx;
    std::string bytes;
    if (const int rc = readInputBytes(path, bytes); rc != ExitOk)
        return rc;
    ctx.document.fileName = path;
    StructureView view;
    FileEnv env{ctx, program.progress, view};
    program.lastRead = loadStructure(env, bytes, ctx.language.encode(path));
    return judgeRead(program, path, ctx.document, program.lastRead, tellLosses);
}

int readInputBeside(Program& program, const QString& path, Document& document)
{
    const AppContext& ctx = *program.ctx;
    std::string bytes;
    if (const int rc = readInputBytes(path, bytes); rc != ExitOk)
        return rc;
    Document start;
    start.fileName = path;
    DocumentRead read =
        readDocument(ctx.language, bytes, program.progress, std::move(start), ctx.language.encode(path));
    document = std::move(read.document);
    return judgeRead(program, path, document, read.result, true);
}

void tellReadLosses(const Program& program, const QString& path, const Document& document, const ReadResult& read)
{
    // What reading left out goes to stderr; the command still runs.
    const AppContext& ctx = *program.ctx;
    for (const QString& loss :
         ctx.language.decode(readLosses(ctx.language.texts, document, read)).split(u'\r', Qt::SkipEmptyParts))
        fail(QStringLiteral("warning: %1: %2").arg(path, loss));
}

std::unique_ptr<Program> loadProgramWithInput(const QString& path, int& rc, bool tellLosses)
{
    auto program = loadProgram();
    if (!program) {
        rc = ExitProgramData;
        return nullptr;
    }
    rc = readInput(*program, path, tellLosses);
    return rc == ExitOk ? std::move(program) : nullptr;
}

namespace {

// An element's name as given on the command line: lines joined by spaces.
QString nameOf(const AppContext& ctx, const ElementNode& node)
{
    QString name = ctx.language.decode(node.name);
    name.replace(u'\r', u' ');
    name.replace(u'\n', u' ');
    return name.trimmed();
}

const ElementNode* findChild(const AppContext& ctx, const std::vector<std::unique_ptr<ElementNode>>& nodes,
                             const QString& name)
{
    for (const auto& n : nodes)
        if (nameOf(ctx, *n) == name.trimmed())
            return n.get();
    return nullptr;
}

// A name as --element takes it: a "/" or a backslash within it escaped with a backslash.
QString escapedName(QString name)
{
    name.replace(u'\\', QStringLiteral("\\\\"));
    name.replace(u'/', QStringLiteral("\\/"));
    return name;
}

QString namesOf(const AppContext& ctx, const std::vector<std::unique_ptr<ElementNode>>& nodes)
{
    QStringList names;
    for (const auto& n : nodes)
        names << u'"' + escapedName(nameOf(ctx, *n)) + u'"';
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

// "NAME/NAME" split at each "/" that no backslash escapes: a backslash
// before a "/" or a backslash makes it part of the name ("TS 20\/0.4 kV").
QStringList elementPath(const QString& element)
{
    QStringList path{QString()};
    for (qsizetype i = 0; i < element.size(); ++i) {
        const QChar c = element.at(i);
        if (c == u'\\' && i + 1 < element.size() && (element.at(i + 1) == u'/' || element.at(i + 1) == u'\\'))
            path.back() += element.at(++i);
        else if (c == u'/')
            path << QString();
        else
            path.back() += c;
    }
    return path;
}

} // namespace

int findElement(const AppContext& ctx, const QString& in, const QString& element, const ElementNode*& node)
{
    const QStringList path = elementPath(element);
    if (path.size() > 2 || path.contains(QString())) {
        fail(QStringLiteral("--element takes NAME or NAME/NAME, not \"%1\"").arg(element));
        return ExitUsage;
    }
    node = findChild(ctx, ctx.document.structure.tree.roots(), path[0]);
    if (!node) {
        fail(QStringLiteral("%1: no top-level element \"%2\" (there are: %3)")
                 .arg(in, escapedName(path[0]), namesOf(ctx, ctx.document.structure.tree.roots())));
        return ExitUsage;
    }
    if (path.size() == 2) {
        const ElementNode* parent = node;
        node = findChild(ctx, parent->children(), path[1]);
        if (!node) {
            fail(QStringLiteral("%1: no element \"%2\" in \"%3\" (there are: %4)")
                     .arg(in, escapedName(path[1]), escapedName(path[0]), namesOf(ctx, parent->children())));
            return ExitUsage;
        }
    }
    return ExitOk;
}

bool wantsHelp(const QStringList& args)
{
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
}

} // namespace zentrova::cli
