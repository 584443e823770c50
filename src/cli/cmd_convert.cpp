// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
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
                "temporary file beside it: when writing fails, a previous OUT stays as it was.\n"
                "OUT - is standard output; a device or FIFO is written into, not replaced.\n"
                "A file whose results were removed on reading (its identification does not\n"
                "match its seal) is not written over itself (exit code 1).\n");
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
    const bool overItself = outputIsInput(in, out);
    auto program = loadProgramWithInput(in, rc, !overItself);
    if (!program)
        return rc;
    AppContext& ctx = *program->ctx;
    // Results removed on reading would be gone for good: such a file is
    // written elsewhere or not at all.
    if (overItself && ctx.document.resultsDiscarded) {
        fail(QStringLiteral("%1: its results were removed on reading (the identification does not match the seal); "
                            "writing it over itself would lose them")
                 .arg(in));
        return ExitUsage;
    }
    if (overItself)
        tellReadLosses(*program, in, ctx.document, program->lastRead);
    ctx.document.fileName = out;
    const std::string bytes = composeStructureFile(ctx.language, ctx.document, &program->progress);
    program->progress.hide();
    QString error;
    if (!writeFileSafely(out, bytes, &error)) {
        fail(outputName(out) + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
