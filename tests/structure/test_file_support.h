// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
// Shared pieces of the structure file and file command tests.
#include "base/Progress.h"
#include "report/ReportPages.h"
#include "structure/StructureFile.h"
#include "support/TestSupport.h"

#include <QFile>

#include <string>
#include <vector>

namespace zentrova::test {

// Records what the progress dialog was asked to do.
class RecordingProgress : public Progress {
public:
    void show(const std::string&, const std::string& line1, bool cancellable) override
    {
        visible = true;
        ++shows;
        this->line1 = line1;
        cancelShown = cancellable;
    }
    void setLine2(const std::string& t) override { line2 = t; }
    void setPosition(int p) override { positions.push_back(p); }
    void hide() override { visible = false; }
    bool cancelRequested() const override { return false; }

    bool visible = false;
    bool cancelShown = true;
    int shows = 0;
    std::string line1, line2;
    std::vector<int> positions;
};

// The main window as the file routines see it.
class TestView : public StructureView {
public:
    void updateMainCaption() override { ++captions; }
    void fillResultsGrid() override { ++fills; }
    void setResultsView(int flag) override { resultsViews.push_back(flag); }
    void showStructurePanel(bool shown) override { panel = shown; }
    bool structurePanelShown() const override { return panel; }
    void treeReplaced() override { ++treeReplacements; }

    bool panel = true;
    int captions = 0, fills = 0, treeReplacements = 0;
    std::vector<int> resultsViews;
};

// A loaded program, its document's page set, a progress recorder and a view.
struct FileFixture {
    LoadedProgram program;
    ReportPages& pages = program.ctx->document.reportPages;
    RecordingProgress progress;
    TestView view;
    FileEnv env{*program.ctx, progress, view};

    AppContext& ctx() { return *program.ctx; }
    ScriptedPrompts& prompts() { return program.prompts; }
    QString path(const QString& name) const { return program.dir.file(name); }
};

inline std::string fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// A hand-made structure file of tests/data/structure.
inline QString dataFile(const char* name)
{
    return QStringLiteral(ZENTROVA_TEST_DATA_DIR "/structure/") + QString::fromLatin1(name);
}
inline std::string dataBytes(const char* name)
{
    return fileBytes(dataFile(name));
}

// Text of the i-th result row's cell.
inline const std::string& cellOf(AppContext& ctx, int col, int row)
{
    return ctx.document.structure.table.cell(col, row);
}

} // namespace zentrova::test
