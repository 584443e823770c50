// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// receive --port DEVICE -o OUT and identify --port DEVICE: the instrument
// over a serial device, without windows.
#include "cli/Cli.h"

#include "base/FileIO.h"

#include "comm/InstrumentData.h"
#include "comm/InstrumentLink.h"
#include "comm/Port.h"
#include "comm/Receive.h"
#include "structure/StructureFile.h"

#include <cstdio>

namespace zentrova::cli {

namespace {

// A failed exchange start is given up at once: the question "stop
// communication?" is answered Yes without printing it, as nobody can answer
// it; the command then says in its own words that no instrument answered.
// Every other message goes to stderr.
class GiveUpPrompts : public CliPrompts {
public:
    unsigned message(MsgType type, const std::string& text, unsigned buttons, int help) override
    {
        if (buttons & MbYes)
            return MbYes;
        return CliPrompts::message(type, text, buttons, help);
    }
};

struct LinkOptions {
    QString port, out, trace;
    int baud = 9600;
};

// Parses --port, --baud, --trace and (when `wantsOutput`) -o. ExitOk or ExitUsage.
int parse(const QStringList& args, bool wantsOutput, const char* command, LinkOptions& o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& target) {
            if (i + 1 >= args.size())
                return false;
            target = args[++i];
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--port"))
            ok = value(o.port);
        else if (a == QLatin1String("--trace"))
            ok = value(o.trace);
        else if (wantsOutput && (a == QLatin1String("-o") || a == QLatin1String("--output")))
            ok = value(o.out);
        else if (a == QLatin1String("--baud")) {
            QString b;
            ok = value(b);
            o.baud = b.toInt(&ok);
            ok = ok && o.baud > 0;
        } else
            ok = false;
        if (!ok) {
            fail(QStringLiteral("bad or incomplete argument \"%1\" (see zentrova-cli %2 --help)")
                     .arg(a, QString::fromLatin1(command)));
            return ExitUsage;
        }
    }
    if (o.port.isEmpty() || (wantsOutput && o.out.isEmpty())) {
        fail(QStringLiteral("%1 needs %2 (see zentrova-cli %1 --help)")
                 .arg(QString::fromLatin1(command),
                      wantsOutput ? QStringLiteral("--port DEVICE and -o OUT") : QStringLiteral("--port DEVICE")));
        return ExitUsage;
    }
    return ExitOk;
}

// The program with its port set up as the options say; the questions of the
// exchange are answered by GiveUpPrompts.
struct LinkSession {
    std::unique_ptr<Program> program;
    GiveUpPrompts prompts;
    std::unique_ptr<InstrumentLink> link;

    // ExitOk, ExitUsage or ExitProgramData.
    int start(const QStringList& args, bool wantsOutput, const char* command, LinkOptions& o)
    {
        if (const int rc = parse(args, wantsOutput, command, o); rc != ExitOk)
            return rc;
        program = loadProgram();
        if (!program)
            return ExitProgramData;
        AppContext& ctx = *program->ctx;
        prompts.ctx = &ctx;
        ctx.language.prompts = &prompts;
        link = std::make_unique<InstrumentLink>(ctx.language.settings);
        link->port().setPortName(o.port);
        link->port().setBaudRate(o.baud);
        if (!o.trace.isEmpty())
            link->setTraceFile(o.trace);
        return ExitOk;
    }
};

// Instrument text goes to the terminal as the instrument's-data dialog shows
// it: escape sequences in it must not reach the terminal.
void printLine(const char* label, const std::string& line, const AppContext& ctx)
{
    std::printf("%s: %s\n", label, shownInstrumentLine(ctx.language.decode(line)).toUtf8().constData());
}

void printLines(const char* label, const std::vector<std::string>& lines, const AppContext& ctx)
{
    for (const std::string& l : lines)
        printLine(label, l, ctx);
}

// "an instrument of another kind answered on DEVICE: type code 370 (family
// 114; this program serves family 14)".
QString otherKindText(const QString& device, unsigned typeCode, const AppContext& ctx)
{
    return QStringLiteral("an instrument of another kind answered on %1: type code %2 (family %3; "
                          "this program serves family %4)")
        .arg(device)
        .arg(typeCode)
        .arg(unsigned(ctx.document.familyCode))
        .arg(unsigned(ctx.language.profileFamily));
}

// "33 results received into FILE": one line once every record is written.
QString receivedSummary(int results, const QString& file)
{
    return results == 1 ? QStringLiteral("1 result received into %1").arg(file)
                        : QStringLiteral("%1 results received into %2").arg(results).arg(file);
}

QString noAnswerText(const QString& device)
{
    return QStringLiteral("no instrument answered on %1").arg(device);
}

QString noIdentificationText(const QString& device)
{
    return QStringLiteral("the instrument on %1 answered, but its identification was not valid").arg(device);
}

// Why nothing could be received, on stderr. A port that failed or went away
// and a failed stage were already told by the transfer's own messages.
void explainNothingReceived(const ReceiveOutcome& outcome, const QString& device, const AppContext& ctx)
{
    using S = ReceiveOutcome::Status;
    if (outcome.status == S::NotAnswered)
        fail(noAnswerText(device));
    else if (outcome.status == S::OtherInstrument)
        fail(outcome.identified ? otherKindText(device, outcome.typeCode, ctx) : noIdentificationText(device));
}

} // namespace

void receiveHelp()
{
    std::printf("Usage: zentrova-cli receive --port DEVICE -o OUT [--baud N] [--trace FILE]\n\n"
                "Receives every stored measurement from the tester on DEVICE (a device path\n"
                "such as /dev/ttyUSB0, or COM1..COM16 as set up in the program) and writes\n"
                "them as the structure file OUT. When the exchange cannot be started the\n"
                "command gives up at once. --baud sets the line rate (default 9600);\n"
                "--trace appends every byte sent and received, with its direction and time.\n"
                "A structure file holds at most 65535 results: receiving stops there.\n"
                "When every record arrived, one line on stdout says how many results were\n"
                "received and into which file (\"33 results received into OUT\"); with\n"
                "-o - the file goes to stdout and this line to stderr.\n\n"
                "Exit codes: 0 every announced record arrived, 2 nothing was received and\n"
                "OUT is not written (the port could not be opened, no instrument answered,\n"
                "its identification was not valid, or it is of another kind: stderr says\n"
                "which), 3 the exchange started but fewer records arrived than the\n"
                "instrument holds, none included (OUT holds those that did; stderr says\n"
                "done/count, or that the result table is full), 5 OUT cannot be written.\n");
}

int receiveCommand(const QStringList& args)
{
    LinkOptions o;
    LinkSession session;
    if (const int rc = session.start(args, true, "receive", o); rc != ExitOk)
        return rc;
    Program* program = session.program.get();
    AppContext& ctx = *program->ctx;
    InstrumentLink& link = *session.link;

    ReceiveHooks hooks;
    hooks.querySaveChanges = [] { return true; };
    const ReceiveOutcome outcome = receiveResults(ctx, link, program->progress, hooks);
    program->progress.hide();
    const int rc = receiveExitCode(outcome);
    if (rc == 2) {
        explainNothingReceived(outcome, o.port, ctx);
        return rc;
    }
    // The transfer's own message gives done/count whenever records are
    // missing; a full table was told by its message too (the count, 0 for
    // 65,536 records, says nothing then). Only a stage that failed after
    // every record came leaves the count unsaid.
    if (rc == 3 && !outcome.tableFull && outcome.done >= outcome.count)
        fail(QStringLiteral("%1/%2 records received").arg(outcome.done).arg(outcome.count));

    ctx.document.fileName = o.out;
    const std::string bytes = composeStructureFile(ctx.language, ctx.document, &program->progress);
    program->progress.hide();
    QString error;
    if (!writeFileSafely(o.out, bytes, &error)) {
        fail(outputName(o.out) + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    // With the file on stdout, the summary goes beside it to stderr.
    if (rc == ExitOk)
        std::fprintf(o.out == QLatin1String("-") ? stderr : stdout, "%s\n",
                     fileNameToSystem(receivedSummary(outcome.done, o.out)).constData());
    return rc;
}

void identifyHelp()
{
    std::printf("Usage: zentrova-cli identify --port DEVICE [--baud N] [--trace FILE]\n\n"
                "Asks the tester on DEVICE for its identification and prints it: the\n"
                "instrument lines, the serial number, the firm and the user data. Control\n"
                "characters in them are printed as spaces.\n\n"
                "Exit codes: 0 identified, 2 no valid answer (the port could not be opened,\n"
                "no instrument answered, or its identification was not valid) or an\n"
                "instrument of another kind (printed, and stderr names its type code).\n");
}

int identifyCommand(const QStringList& args)
{
    LinkOptions o;
    LinkSession session;
    if (const int rc = session.start(args, false, "identify", o); rc != ExitOk)
        return rc;
    Program* program = session.program.get();
    AppContext& ctx = *program->ctx;
    InstrumentLink& link = *session.link;
    const InstrumentDataOutcome r = receiveInstrumentData(ctx, link, program->progress);
    program->progress.hide();
    if (!r.exchanged || !r.valid) {
        if (!r.error.empty() && !r.errorShown)
            fail(ctx.language.decode(r.error));
        if (r.error.empty())
            fail(r.exchanged ? noIdentificationText(o.port) : noAnswerText(o.port));
        return 2;
    }
    printLines("instrument", r.view.instrument, ctx);
    printLine("serial", r.view.serialNumber, ctx);
    printLines("firm", r.view.firm, ctx);
    printLines("user", r.view.user, ctx);
    if (ctx.document.familyCode != ctx.language.profileFamily) {
        fail(otherKindText(o.port, r.typeCode, ctx));
        return 2;
    }
    return ExitOk;
}

} // namespace zentrova::cli
