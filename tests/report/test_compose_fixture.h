// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
// A results report as the program composes it: a loaded program, a results
// grid filled from a result table of insulation measurements, and the page
// recorder the preview would hold.
#include "base/Progress.h"
#include "report/Compose.h"
#include "report/GridData.h"
#include "structure/ResultsGrid.h"
#include "support/TestSupport.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <ostream>
#include <string>
#include <vector>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace zentrova::test {

// Records what the composition tells the progress dialog.
struct RecordingProgress : Progress {
    void show(const std::string&, const std::string& line1, bool cancellable) override
    {
        shownLine1 = line1;
        shownCancellable = cancellable;
        ++shows;
    }
    void setLine2(const std::string&) override {}
    void setPosition(int percent) override { positions.push_back(percent); }
    void hide() override { ++hides; }
    bool cancelRequested() const override { return false; }

    std::string shownLine1;
    bool shownCancellable = true;
    int shows = 0, hides = 0;
    std::vector<int> positions;
};

struct ReportSample {
    LoadedProgram p;
    GridData grid{6, 1};
    PageRecorder prn;
    RecordingProgress progress;
    MarginTexts margins;
    ElementNode* block = nullptr;

    ReportSample()
    {
        // The program maps the report's typeface onto the installed one.
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        AppContext& c = *p.ctx;
        QFont mono(QStringLiteral("Courier New"));
        mono.setPointSize(10);
        grid.setFont(mono);
        grid.setColCount(c.language.profile.resultColumnCount);
        writeResultHeadings(c, grid);
        block = c.document.structure.tree.add(nullptr);
        block->name = "001";
        block->info.kind = KindObject;
        block->info.number = 1;
        c.document.structure.tree.selected = block;
        c.document.comments.lines = {};
        c.document.comments.checks = "101";
        c.document.heading.op = {"Volta Electric Ltd.", "Testing and inspection", "Licence 2231/7"};
        c.document.heading.site = {"Riverside Plant", "Substation 4", "Feeder bay B"};
        c.document.heading.footer = {"Footer one", "Footer two", "Footer three"};
        c.document.heading.logoMode = 0;
        PageSetup setup;
        prn.setPageSetup(setup);
    }

    // `n` measurements of block 1, one measuring point per 20 of them.
    void addRows(int n)
    {
        ResultTable& t = p.ctx->document.structure.table;
        for (int i = 0; i < n; ++i) {
            const int r = t.appendRow();
            const int element = 1 + i / 20;
            t.setCell(1, r, "1\r1\r" + std::to_string(element));
            t.setCell(2, r, "\r001\rPoint " + std::to_string(element) + "\r13,0");
            t.setCell(3, r, i % 3 ? "500" : "501");
            t.setCell(4, r,
                      i % 3 ? "501507 " + std::to_string(120 + i % 900) + ".5"
                            : "501508 4.21\r5060001.62\r5070002.35!");
            t.setCell(6, r, "509501 5000");
            t.setCell(7, r, "07.12.2026");
            t.setCell(8, r, "10:15:32");
        }
        fillResultsGrid(*p.ctx, block, grid);
    }

    bool compose(int dpi = 300)
    {
        PageSetup setup = prn.pageSetup();
        setup.dpiX = setup.dpiY = dpi;
        prn.setPageSetup(setup);
        return composeReport(p.ctx->language, {p.ctx->document.heading, p.ctx->document.comments}, PrintResults, grid,
                             margins, prn, progress, &error);
    }

    // Page n (1-based) painted at the recorded resolution on white paper.
    QImage render(int n) const
    {
        QImage image(prn.pagePixels(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        prn.page(n).paint(painter);
        return image;
    }

    // All texts of page n joined by "|".
    QString pageText(int n) const
    {
        QString all;
        for (const QString& t : prn.page(n).texts())
            all += t + u'|';
        return all;
    }

    std::string error;
};

} // namespace zentrova::test
