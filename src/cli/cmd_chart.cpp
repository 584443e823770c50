// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// chart FILE -o OUT.svg|png [--element NAME[/NAME]] [--kind block|absorption|step]:
// draws a chart of the results of a structure file's element with Qt
// Charts, on the offscreen platform, into an SVG drawing or a PNG image.
#include "cli/Cli.h"

#include "base/FileIO.h"
#include "structure/ChartData.h"
#include "structure/Structure.h"
#include "structure/windows/ChartDrawing.h"

#include <QApplication>
#include <QFont>

#include <cstdio>

namespace zentrova::cli {

void chartHelp()
{
    std::printf("Usage: zentrova-cli chart FILE -o OUT.svg|OUT.png [--element NAME[/NAME]]\n"
                "                          [--kind block|absorption|step] [--size WxH]\n\n"
                "Reads the structure file FILE and draws a chart of one element's results,\n"
                "resistance on a logarithmic axis:\n"
                "  block       every measuring point's insulation resistance (Riso) as a bar,\n"
                "              its limit (Rlim) drawn across it, bars below the limit in red\n"
                "  absorption  the last diagnostic test's R15s, R30s, R60s and R10min over\n"
                "              time, with DAR and PI and their ratings (advice)\n"
                "  step        the last step voltage test's resistance at each test voltage\n"
                "A value beyond the instrument's range (\"<\" or \">\") is drawn at its bound\n"
                "and marked with a triangle.\n\n"
                "  --element NAME        a top-level element (block) by its name\n"
                "  --element NAME/NAME   a measuring point within it\n"
                "                        (a \"/\" within a name is written \\/, a\n"
                "                        backslash \\\\: --element \"TS 20\\/0.4 kV\")\n"
                "  --kind KIND           the chart; without it a block is drawn as a block\n"
                "                        chart, a measuring point as its absorption curve,\n"
                "                        else its step voltage test\n"
                "  --size WxH            the drawing's size in pixels (default 1000x600)\n"
                "  -o, --output OUT      OUT ending in .svg is written as SVG, else as PNG\n"
                "Without --element the element the file selects is drawn (the first\n"
                "top-level element); for a block chart of a measuring point its block is\n"
                "drawn. A name with several lines is given with its lines joined by spaces.\n"
                "OUT is replaced without asking, through a temporary file. Exit code 4 when\n"
                "the element holds nothing to draw.\n");
}

int chartCommand(const QStringList& args)
{
    FileArgs a;
    const QString elementOption = QStringLiteral("--element"), kindOption = QStringLiteral("--kind"),
                  sizeOption = QStringLiteral("--size");
    if (const int rc = parseFileArgs(args, "chart", {QStringLiteral("-o"), elementOption, kindOption, sizeOption}, a);
        rc != ExitOk)
        return rc;
    const QString in = a.file, out = a.value(QStringLiteral("-o"));
    if (in.isEmpty() || out.isEmpty()) {
        fail(QStringLiteral("chart needs FILE and -o OUT.svg or OUT.png (see zentrova-cli chart --help)"));
        return ExitUsage;
    }
    if (const int rc = refuseOutputOverReadFiles({{in}, {}}, out, "-o", "chart"); rc != ExitOk)
        return rc;
    const QString kindName = a.value(kindOption);
    ChartKind kind = ChartKind::Block;
    if (a.has(kindOption)) {
        if (kindName == QLatin1String("block"))
            kind = ChartKind::Block;
        else if (kindName == QLatin1String("absorption"))
            kind = ChartKind::Absorption;
        else if (kindName == QLatin1String("step"))
            kind = ChartKind::Step;
        else {
            fail(QStringLiteral("--kind takes block, absorption or step, not \"%1\"").arg(kindName));
            return ExitUsage;
        }
    }
    QSize size(1000, 600);
    if (a.has(sizeOption)) {
        const QStringList wh = a.value(sizeOption).split(u'x');
        bool wOk = false, hOk = false;
        if (wh.size() == 2)
            size = QSize(wh[0].toInt(&wOk), wh[1].toInt(&hOk));
        if (!wOk || !hOk || size.width() < 200 || size.height() < 150 || size.width() > 10000 ||
            size.height() > 10000) {
            fail(
                QStringLiteral("--size takes WxH from 200x150 up to 10000x10000, not \"%1\"").arg(a.value(sizeOption)));
            return ExitUsage;
        }
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        fail(QStringLiteral("chart cannot draw: zentrova-cli was started without its application object"));
        return ExitProgramData;
    }
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    int rc = ExitOk;
    auto program = loadProgramWithInput(in, rc);
    if (!program)
        return rc;
    AppContext& ctx = *program->ctx;
    const ElementNode* node = ctx.document.structure.tree.selected ? ctx.document.structure.tree.selected
                                                                   : ctx.document.structure.tree.first();
    if (a.has(elementOption))
        if (const int found = findElement(ctx, in, a.value(elementOption), node); found != ExitOk)
            return found;
    if (!node) {
        fail(in + QStringLiteral(": no element to draw"));
        return ExitBadInput;
    }
    if (!a.has(kindOption)) {
        // A measuring point is drawn as its own test. The chart window falls
        // back on the point's block when it has neither; here that would be a
        // chart of something else under the point's name, so it is refused.
        kind = defaultChartKind(ctx, *node);
        if (kind == ChartKind::Block && node->children().empty())
            kind = ChartKind::Step;
    }
    ChartData data;
    std::string reason;
    if (!chartOfElement(ctx, *node, kind, data, &reason)) {
        fail(in + QStringLiteral(": ") + ctx.language.decode(reason));
        return ExitBadInput;
    }
    const QByteArray bytes = isSvgFileName(out) ? chartSvg(ctx, data, size) : chartPng(ctx, data, size);
    QString writeError;
    if (!writeFileSafely(out, std::string_view(bytes.constData(), size_t(bytes.size())), &writeError)) {
        fail(outputName(out) + QStringLiteral(": ") + writeError);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
