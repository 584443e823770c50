// convert FILE -o OUT: reads a structure file (either version) and writes it
// in the current format.
#include "cli/Cli.h"

#include "report/ReportPages.h"
#include "structure/StructureFile.h"

#include <cstdio>

namespace zentrova::cli {

void convertHelp()
{
    std::printf("Usage: zentrova-cli convert FILE -o OUT\n\n"
                "Reads the structure file FILE (the current or the older format) and writes\n"
                "it to OUT in the current format. OUT is replaced without asking, through a\n"
                "temporary file beside it: when writing fails, a previous OUT stays as it was.\n");
}

int convertCommand(const QStringList& args)
{
    FileArgs a;
    if (const int rc = parseFileArgs(args, "convert", {QStringLiteral("-o")}, a); rc != ExitOk)
        return rc;
    const QString in = a.file, out = a.value(QStringLiteral("-o"));
    if (in.isEmpty() || out.isEmpty()) {
        fail(QStringLiteral("convert needs FILE and -o OUT (see zentrova-cli convert --help)"));
        return ExitUsage;
    }
    int rc = ExitOk;
    auto program = loadProgramWithInput(in, rc);
    if (!program)
        return rc;
    const ReportPages& pages = program->ctx->document.reportPages;
    AppContext& ctx = *program->ctx;
    ctx.document.fileName = out;
    const std::string bytes = composeStructureFile(ctx, pages, &program->progress);
    program->progress.hide();
    QString error;
    if (!writeFileSafely(out, bytes, &error)) {
        fail(out + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
