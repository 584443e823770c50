#include "structure/FileCommands.h"

#include "report/ReportPages.h"
#include "shell/AppContext.h"
#include "base/TextRules.h"

namespace zentrova {

int PropagateRename(AppContext& ctx, const ElementNode& node, const std::string& name)
{
    const Position p = PositionOf(node, ctx.profile.PositionDepth);
    const int d = p.depth;
    if (d < 0 || d > 3)
        return 0;
    ResultTable& t = ctx.structure.table;
    int changed = 0;
    // Unlike the grid's walk, every row is looked at: rows of one element
    // need not stand together.
    for (int r = 1; r < t.rowCount(); ++r) {
        const std::string& pos = t.cell(1, r);
        if (DigitsValue(NthLine(pos, 1)) != p.object)
            continue;
        if (d >= 1 && DigitsValue(NthLine(pos, 2)) != p.block)
            continue;
        if (d >= 2 && DigitsValue(NthLine(pos, 3)) != p.element)
            continue;
        const std::string& names = t.cell(2, r);
        std::string lines[4];
        for (int i = 0; i < 4; ++i)
            lines[i] = NthLine(names, i + 1);
        lines[d] = name;
        t.setCell(2, r, lines[0] + '\r' + lines[1] + '\r' + lines[2] + '\r' + lines[3]);
        ++changed;
    }
    return changed;
}

ReadResult FileCommands::Open()
{
    ReadResult r = ReadStructureFile(env_);
    env_.view.FillResultsGrid();
    return r;
}

ReadResult FileCommands::OpenCommandLineFile(const QString& path)
{
    ReadResult r = ReadStructureFile(env_, path);
    env_.view.FillResultsGrid();
    return r;
}

void FileCommands::Save()
{
    if (!env_.view.StructurePanelShown())
        return;
    AppContext& ctx = env_.ctx;
    if (!ctx.CurrentFileName.isEmpty() && ctx.CurrentFileName != ctx.decode(ctx.texts.defaultFileName))
        WriteStructureFile(env_);
    else
        SaveStructureAs(env_, ctx.CurrentFileName);
}

void FileCommands::SaveAs()
{
    if (!env_.view.StructurePanelShown())
        return;
    SaveStructureAs(env_, env_.ctx.CurrentFileName);
}

bool FileCommands::CloseRequested()
{
    if (QuerySaveChanges(env_) == MbCancel)
        return false;
    env_.pages.discard(env_.ctx.settings);
    return true;
}

bool FileCommands::NewStructure()
{
    if (QuerySaveChanges(env_) == MbCancel)
        return false;
    AppContext& ctx = env_.ctx;
    ResetToNewStructure(ctx);
    ctx.ResultsView = 0;
    env_.view.TreeReplaced();
    env_.view.SetResultsView(0);
    env_.view.UpdateMainCaption();
    env_.view.ShowStructurePanel(true);
    return true;
}

bool FileCommands::CanEditLabel() const { return env_.ctx.profile.TreeLabelEditing; }

void FileCommands::RenameElement(ElementNode& node, const std::string& name)
{
    PropagateRename(env_.ctx, node, name);
    env_.view.FillResultsGrid();
    env_.ctx.StructureSaved = false;
    node.name = name;
}

} // namespace zentrova
