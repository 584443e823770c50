// export FILE -o OUT: the structure as delimited text, the same bytes as the
// windowed program's export.
#include "cli/Cli.h"

#include "report/ReportPages.h"
#include "structure/Export.h"

#include <cstdio>

namespace zentrova::cli {

void exportHelp()
{
    std::printf("Usage: zentrova-cli export FILE -o OUT [--delimiter tab|semicolon] [--eol crlf|cr|lf]\n\n"
                "Writes the structure file FILE as delimited text for spreadsheets: the\n"
                "printout heading, the element tree, the result rows and the report tables,\n"
                "in the language's code page, exactly as File > Export writes them.\n"
                "Defaults: tab and crlf. OUT is replaced without asking.\n");
}

int exportCommand(const QStringList& args)
{
    FileArgs a;
    const QString delimiter = QStringLiteral("--delimiter"), eol = QStringLiteral("--eol");
    if (const int rc = parseFileArgs(args, "export", {QStringLiteral("-o"), delimiter, eol}, a); rc != ExitOk)
        return rc;
    const QString in = a.file, out = a.value(QStringLiteral("-o"));
    ExportFormat format;
    if (a.has(delimiter)) {
        const QString v = a.value(delimiter).toLower();
        if (v != QLatin1String("tab") && v != QLatin1String("semicolon")) {
            fail(QStringLiteral("--delimiter is tab or semicolon"));
            return ExitUsage;
        }
        format.column = v == QLatin1String("tab") ? ExportFormat::Tab : ExportFormat::Semicolon;
    }
    if (a.has(eol)) {
        const QString v = a.value(eol).toLower();
        if (v == QLatin1String("crlf"))
            format.row = ExportFormat::CrLf;
        else if (v == QLatin1String("cr"))
            format.row = ExportFormat::Cr;
        else if (v == QLatin1String("lf"))
            format.row = ExportFormat::Lf;
        else {
            fail(QStringLiteral("--eol is crlf, cr or lf"));
            return ExitUsage;
        }
    }
    if (in.isEmpty() || out.isEmpty()) {
        fail(QStringLiteral("export needs FILE and -o OUT (see zentrova-cli export --help)"));
        return ExitUsage;
    }
    if (const int rc = refuseOutputOverInput(in, out, "export"); rc != ExitOk)
        return rc;
    int rc = ExitOk;
    auto program = loadProgramWithInput(in, rc);
    if (!program)
        return rc;
    const ReportPages& pages = program->ctx->document.reportPages;
    const std::string bytes = exportText(*program->ctx, pages, format, program->progress);
    program->progress.hide();
    QString error;
    if (!writeFileSafely(out, bytes, &error)) {
        fail(out + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
