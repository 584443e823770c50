// zentrova-cli: the program's core work without windows. Each subcommand is
// a function in its own cmd_*.cpp; adding one means adding its line to the
// table below.
#include "cli/Cli.h"

#include <QCoreApplication>

#include <cstdio>

namespace zentrova::cli {
namespace {

const Command kCommands[] = {
    {"dump", "FILE", "print a structure file as JSON", DumpCommand, DumpHelp},
    {"convert", "FILE -o OUT", "read a structure file and write it in the current format",
     ConvertCommand, ConvertHelp},
};

void usage(FILE* to)
{
    std::fprintf(to, "Usage: zentrova-cli COMMAND [ARGS]\n"
                     "       zentrova-cli COMMAND --help\n\n"
                     "Commands:\n");
    for (const Command& c : kCommands) {
        const std::string left = std::string(c.name) + " " + c.synopsis;
        std::fprintf(to, "  %-24s %s\n", left.c_str(), c.summary);
    }
    std::fprintf(to, "\nThe language, texts and settings come from the program's folder, as for\n"
                     "the windowed program. Questions are answered without asking: see each\n"
                     "command's help.\n\n"
                     "Exit codes: 0 success, 1 usage error, 2 broken language files,\n"
                     "4 input is not a structure file or cannot be read, 5 output cannot be written.\n");
}

} // namespace
} // namespace zentrova::cli

int main(int argc, char* argv[])
{
    using namespace zentrova::cli;
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        usage(stderr);
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        usage(stdout);
        return ExitOk;
    }
    for (const Command& c : kCommands) {
        if (name != QLatin1String(c.name))
            continue;
        if (WantsHelp(args)) {
            c.help();
            return ExitOk;
        }
        return c.run(args);
    }
    Fail(QStringLiteral("unknown command \"%1\"").arg(name));
    usage(stderr);
    return ExitUsage;
}
