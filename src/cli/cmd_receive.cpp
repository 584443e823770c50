// receive --port DEVICE -o OUT and identify --port DEVICE: the instrument
// over a serial device, without windows.
#include "cli/Cli.h"

#include "comm/Comm.h"
#include "comm/InstrumentData.h"
#include "comm/InstrumentLink.h"
#include "comm/Receive.h"
#include "structure/StructureFile.h"

#include <cstdio>

namespace zentrova::cli {

namespace {

// A failed exchange start is given up at once: the question "stop
// communication?" is answered Yes; every message still goes to stderr.
class GiveUpPrompts : public CliPrompts {
public:
    unsigned message(MsgType type, const std::string& text, unsigned buttons, int help) override
    {
        if (buttons & MbYes) {
            Fail(ctx ? ctx->decode(text) : QString::fromLatin1(text));
            return MbYes;
        }
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
            Fail(QStringLiteral("bad or incomplete argument \"%1\" (see zentrova-cli %2 --help)")
                     .arg(a, QString::fromLatin1(command)));
            return ExitUsage;
        }
    }
    if (o.port.isEmpty() || (wantsOutput && o.out.isEmpty())) {
        Fail(QStringLiteral("%1 needs %2 (see zentrova-cli %1 --help)")
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
        program = LoadProgram();
        if (!program)
            return ExitProgramData;
        AppContext& ctx = *program->ctx;
        prompts.ctx = &ctx;
        ctx.prompts = &prompts;
        link = std::make_unique<InstrumentLink>(ctx.settings);
        link->port().setPortName(o.port);
        link->port().setBaudRate(o.baud);
        if (!o.trace.isEmpty())
            link->setTraceFile(o.trace);
        return ExitOk;
    }
};

void printLines(const char* label, const std::vector<std::string>& lines, const AppContext& ctx)
{
    for (const std::string& l : lines)
        std::printf("%s: %s\n", label, ctx.decode(l).toUtf8().constData());
}

} // namespace

void ReceiveHelp()
{
    std::printf("Usage: zentrova-cli receive --port DEVICE -o OUT [--baud N] [--trace FILE]\n\n"
                "Receives every stored measurement from the tester on DEVICE (a device path\n"
                "such as /dev/ttyUSB0, or COM1..COM16 as set up in the program) and writes\n"
                "them as the structure file OUT. When the exchange cannot be started the\n"
                "command gives up at once. --baud sets the line rate (default 9600);\n"
                "--trace appends every byte sent and received, with its direction and time.\n\n"
                "Exit codes: 0 every announced record arrived, 2 no exchange could be\n"
                "started, 3 fewer records arrived than announced (OUT holds those that did;\n"
                "stderr says done/count), 5 OUT cannot be written.\n");
}

int ReceiveCommand(const QStringList& args)
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
    const ReceiveOutcome outcome = ReceiveResults(ctx, link, program->progress, hooks);
    program->progress.hide();
    const int rc = ReceiveExitCode(outcome);
    if (rc == 2)
        return rc;
    if (rc == 3)
        Fail(QStringLiteral("%1/%2 records received").arg(outcome.done).arg(outcome.count));

    ctx.CurrentFileName = o.out;
    const std::string bytes = ComposeStructureFile(ctx, ctx.protocol, &program->progress);
    program->progress.hide();
    QString error;
    if (!WriteFileSafely(o.out, bytes, &error)) {
        Fail(o.out + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    return rc;
}

void IdentifyHelp()
{
    std::printf("Usage: zentrova-cli identify --port DEVICE [--baud N] [--trace FILE]\n\n"
                "Asks the tester on DEVICE for its identification and prints it: the\n"
                "instrument lines, the serial number, the firm and the user data.\n\n"
                "Exit codes: 0 identified, 2 no valid answer.\n");
}

int IdentifyCommand(const QStringList& args)
{
    LinkOptions o;
    LinkSession session;
    if (const int rc = session.start(args, false, "identify", o); rc != ExitOk)
        return rc;
    Program* program = session.program.get();
    AppContext& ctx = *program->ctx;
    InstrumentLink& link = *session.link;
    const InstrumentDataOutcome r = ReceiveInstrumentData(ctx, link, program->progress);
    program->progress.hide();
    if (!r.exchanged || !r.valid) {
        if (!r.error.empty())
            Fail(ctx.decode(r.error));
        Fail(QStringLiteral("no valid identification from %1").arg(o.port));
        return 2;
    }
    printLines("instrument", r.view.instrument, ctx);
    std::printf("serial: %s\n", ctx.decode(r.view.serialNumber).toUtf8().constData());
    printLines("firm", r.view.firm, ctx);
    printLines("user", r.view.user, ctx);
    return ExitOk;
}

} // namespace zentrova::cli
