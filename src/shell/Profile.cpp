#include "shell/Profile.h"

#include "shell/AppContext.h"

#include <QFileInfo>

namespace zentrova {

int FunctionTextBase(uint8_t familyCode)
{
    if (familyCode >= 6 && familyCode <= 9)
        return 300;
    if (familyCode >= 10 && familyCode <= 13)
        return 400;
    if (familyCode == 14)
        return 500;
    return 0;
}

QString HelpFileRule(const QString& programDir, const QString& helpKeyText)
{
    QString path = programDir + helpKeyText;
    const qsizetype at = path.toUpper().lastIndexOf(QStringLiteral(".HLP"));
    if (at >= 0 && at == path.size() - 4)
        path = path.left(at) + QStringLiteral(".CHM");
    return path;
}

QString ReplaceFileExtension(const QString& path, const QString& ext)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.indexOf(u'.', slash + 1);
    if (dot < 0)
        return path;
    return path.left(dot) + u'.' + ext;
}

void ApplyFamilyProfile(AppContext& ctx)
{
    Profile& p = ctx.profile;
    // Step 1: every code is served by the family-14 profile.
    const uint8_t family = SupportedFamily;
    p.FamilyLogoShown = false;
    const QString oldDefault = ctx.decode(ctx.texts.defaultFileName);

    LanguageLoader& lang = ctx.language;
    lang.open(ctx);

    // The defaults.
    p.TopLevelSelector = 3;
    ctx.ProfileFamily = 4;
    p.ResultColumnCount = 7;
    p.TreeLabelEditing = false;
    p.ResultLengthWidth = 1;
    p.DetailPanelShown = false;
    p.ResultColumnMap = {0, 1, 2, 3, 4, 5, 6};
    p.TreeHelpContext = 1200;
    p.ResultsSorted = false;
    p.DefaultBaudIndex = 3;
    p.HelpFile = HelpFileRule(ctx.ProgramDir, ctx.decode(lang.ReadText(ctx, "HelpFileMINI_12")));
    ctx.texts.extension = "*";

    if (family == SupportedFamily) {
        std::string ext = lang.ReadText(ctx, "ExtensionTIVE5kV_3");
        if (ext.size() > InterfaceTexts::SlotWidth)
            ext.resize(InterfaceTexts::SlotWidth);
        ctx.texts.extension = ext;
        p.HelpFile = HelpFileRule(ctx.ProgramDir, ctx.decode(lang.ReadText(ctx, "HelpFileMini_12")));
        ctx.texts.set("MainCaptionTive5kV_20", lang.ReadText(ctx, "MainCaptionTive5kV_20"));
        ctx.texts.set("StructFiles_13", lang.ReadText(ctx, "StructFiles_13"));
        p.AboutProductName = lang.ReadText(ctx, "InstrNameTIVE5kV_20");
        p.AboutVersion = lang.ReadText(ctx, "Version_20") + " " + ProgramVersion;
        p.PositionDepth = 1;
        p.ResultColumnCount = 6;
        p.FamilyLogoShown = true;
        ctx.ProfileFamily = SupportedFamily;
        p.TopLevelSelector = 12;
        p.TreeLabelEditing = true;
        p.ResultLengthWidth = 1;
        p.ResultsSorted = false;
        p.ResultColumnMap = {0, 1, 2, 3, 4, 255, 5};
    }

    std::string def = ctx.texts.text("Noname_8") + "." + ctx.texts.extension;
    if (def.size() > InterfaceTexts::SlotWidth)
        def.resize(InterfaceTexts::SlotWidth);
    ctx.texts.defaultFileName = def;

    // One supported family, so the mask is "*." and its extension.
    ctx.StructureFileMask = "*." + ctx.texts.extension;
    lang.close();

    if (ctx.CurrentFileName == oldDefault)
        ctx.CurrentFileName = ctx.decode(def);
    ctx.CurrentFileName = ReplaceFileExtension(ctx.CurrentFileName, ctx.decode(ctx.texts.extension));
}

} // namespace zentrova
