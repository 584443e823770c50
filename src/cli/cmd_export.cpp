// export FILE -o OUT: the structure as delimited text, the same bytes as the
// windowed program's export.
#include "cli/Cli.h"

#include "report/Export.h"
#include "report/Protoc1.h"

#include <cstdio>

namespace zentrova::cli {

void ExportHelp()
{
    std::printf("Usage: zentrova-cli export FILE -o OUT [--delimiter tab|semicolon] [--eol crlf|cr|lf]\n\n"
                "Writes the structure file FILE as delimited text for spreadsheets: the\n"
                "printout heading, the element tree, the result rows and the report tables,\n"
                "in the language's code page, exactly as File > Export writes them.\n"
                "Defaults: tab and crlf. OUT is replaced without asking.\n");
}

int ExportCommand(const QStringList& args)
{
    QString in, out;
    ExportFormat format;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if ((a == QLatin1String("-o") || a == QLatin1String("--output")) && hasValue && out.isEmpty()) {
            out = args[++i];
        } else if (a == QLatin1String("--delimiter") && hasValue) {
            const QString v = args[++i].toLower();
            if (v == QLatin1String("tab"))
                format.column = ExportFormat::Tab;
            else if (v == QLatin1String("semicolon"))
                format.column = ExportFormat::Semicolon;
            else {
                Fail(QStringLiteral("--delimiter is tab or semicolon"));
                return ExitUsage;
            }
        } else if (a == QLatin1String("--eol") && hasValue) {
            const QString v = args[++i].toLower();
            if (v == QLatin1String("crlf"))
                format.row = ExportFormat::CrLf;
            else if (v == QLatin1String("cr"))
                format.row = ExportFormat::Cr;
            else if (v == QLatin1String("lf"))
                format.row = ExportFormat::Lf;
            else {
                Fail(QStringLiteral("--eol is crlf, cr or lf"));
                return ExitUsage;
            }
        } else if (!a.startsWith(u'-') && in.isEmpty()) {
            in = a;
        } else {
            Fail(QStringLiteral("unexpected argument \"%1\" (see zentrova-cli export --help)").arg(a));
            return ExitUsage;
        }
    }
    if (in.isEmpty() || out.isEmpty()) {
        Fail(QStringLiteral("export needs FILE and -o OUT (see zentrova-cli export --help)"));
        return ExitUsage;
    }
    auto program = LoadProgram();
    if (!program)
        return ExitProgramData;
    TProtocol pages;
    if (const int rc = ReadInput(*program, pages, in); rc != ExitOk)
        return rc;
    const std::string bytes = ExportText(*program->ctx, pages, format, program->progress);
    program->progress.hide();
    const QString error = WriteExportFile(out, bytes);
    if (!error.isEmpty()) {
        Fail(out + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
