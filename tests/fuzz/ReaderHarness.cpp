// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Structure files: every input must read without a crash or a read past a
// buffer, and whatever the reader made of it must survive a write and a
// second read unchanged: writing the model read from the written file gives
// the same bytes again.
#include "FuzzHarness.h"

#include "base/Progress.h"
#include "report/ReportPages.h"
#include "structure/StructureFile.h"

namespace zentrova::fuzz {

int fuzzReader(const uint8_t* data, size_t size)
{
    static LoadedFuzzProgram program;
    // Every question the reader asks is declined.
    program.prompts.order = {MbCancel, MbNo, MbOK};
    AppContext& ctx = *program.ctx;
    NullProgress progress;
    const DocumentRead first =
        readDocument(ctx.language, std::string_view(reinterpret_cast<const char*>(data), size), progress, Document());
    if (first.result.outcome != ReadOutcome::Read)
        return 0;
    const std::string written = composeStructureFile(ctx.language, first.document);

    const DocumentRead second = readDocument(ctx.language, written, progress, Document());
    if (second.result.outcome != ReadOutcome::Read)
        violated("reader", "a written file does not read back");
    else if (composeStructureFile(ctx.language, second.document) != written)
        violated("reader", "a written file does not read back as written");
    return 0;
}

} // namespace zentrova::fuzz
