// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/FileCommands.h"

#include "base/FileHistory.h"
#include "report/ReportPages.h"
#include "structure/ResultRow.h"
#include "structure/StructureContext.h"

#include <QFileInfo>

namespace zentrova {

int propagateRename(StructureContext& ctx, const ElementNode& node, const std::string& name)
{
    const Position p = positionOf(node, ctx.language.profile.positionDepth);
    const int d = p.depth;
    if (d < 0 || d > 3)
        return 0;
    ResultTable& t = ctx.document.structure.table;
    int changed = 0;
    // Unlike the grid's walk, every row is looked at: rows of one element
    // need not stand together.
    for (int r = 1; r < t.rowCount(); ++r) {
        const ResultRow row(t, r);
        if (row.object() != p.object)
            continue;
        if (d >= 1 && row.block() != p.block)
            continue;
        if (d >= 2 && row.element() != p.element)
            continue;
        // The names cell's lines from the object's to the kinds, the one of
        // the renamed element's level replaced.
        std::string lines[4];
        for (int i = 0; i < 4; ++i)
            lines[i] = row.name(PositionLine(ObjectLine + i));
        lines[d] = name;
        t.setCell(ResultColumn::Names, r, lines[0] + '\r' + lines[1] + '\r' + lines[2] + '\r' + lines[3]);
        ++changed;
    }
    return changed;
}

ReadResult FileCommands::remember(const ReadResult& r)
{
    // An incomplete or damaged file is shown under the default name: it is
    // not the file, so it is not offered again either.
    if (r.outcome == ReadOutcome::Read && hasOwnFileName(env_.ctx))
        addRecentFile(env_.ctx.language.settings, env_.ctx.document.fileName);
    return r;
}

void FileCommands::rememberSaved(bool written)
{
    if (written)
        addRecentFile(env_.ctx.language.settings, env_.ctx.document.fileName);
}

ReadResult FileCommands::open()
{
    ReadResult r = readStructureFile(env_);
    env_.view.fillResultsGrid();
    return remember(r);
}

ReadResult FileCommands::openCommandLineFile(const QString& path)
{
    ReadResult r = readStructureFile(env_, path);
    env_.view.fillResultsGrid();
    return remember(r);
}

ReadResult FileCommands::openFile(const QString& path)
{
    if (querySaveChanges(env_) == MbCancel)
        return {ReadOutcome::Cancelled, {}};
    return openCommandLineFile(path);
}

ReadResult FileCommands::openRecent(const QString& path)
{
    StructureContext& ctx = env_.ctx;
    if (!QFileInfo::exists(path)) {
        removeRecentFile(ctx.language.settings, path);
        ctx.language.prompts->message(
            MsgType::Error, ctx.language.encode(path) + "\r" + ctx.language.texts.text("FileNotExist_40"), MbOK, 1);
        return {ReadOutcome::CannotOpen, {}};
    }
    return openFile(path);
}

void FileCommands::save()
{
    if (!env_.view.structurePanelShown())
        return;
    if (hasOwnFileName(env_.ctx))
        rememberSaved(writeStructureFile(env_));
    else
        rememberSaved(saveStructureAs(env_, env_.ctx.document.fileName));
}

void FileCommands::saveAs()
{
    if (!env_.view.structurePanelShown())
        return;
    rememberSaved(saveStructureAs(env_, env_.ctx.document.fileName));
}

bool FileCommands::closeRequested()
{
    if (querySaveChanges(env_) == MbCancel)
        return false;
    env_.ctx.document.reportPages.discard(env_.ctx.language.settings);
    return true;
}

bool FileCommands::newStructure()
{
    if (querySaveChanges(env_) == MbCancel)
        return false;
    StructureContext& ctx = env_.ctx;
    resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames);
    env_.view.treeReplaced();
    env_.view.setResultsView(0);
    env_.view.updateMainCaption();
    env_.view.showStructurePanel(true);
    return true;
}

bool FileCommands::canEditLabel() const
{
    return env_.ctx.language.profile.treeLabelEditing;
}

void FileCommands::renameElement(ElementNode& node, const std::string& name)
{
    propagateRename(env_.ctx, node, name);
    env_.view.fillResultsGrid();
    env_.ctx.document.saved = false;
    node.name = name;
}

} // namespace zentrova
