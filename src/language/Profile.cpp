// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "language/Profile.h"

#include "language/LanguageContext.h"

#include <QFileInfo>

namespace zentrova {

int functionTextBase(uint8_t familyCode)
{
    if (familyCode >= 6 && familyCode <= 9)
        return 300;
    if (familyCode >= 10 && familyCode <= 13)
        return 400;
    if (familyCode == 14)
        return 500;
    return 0;
}

QString helpFileRule(const QString& programDir, const QString& helpKeyText)
{
    QString path = programDir + helpKeyText;
    const qsizetype at = path.toUpper().lastIndexOf(QStringLiteral(".HLP"));
    if (at >= 0 && at == path.size() - 4)
        path = path.left(at) + QStringLiteral(".CHM");
    return path;
}

QString replaceFileExtension(const QString& path, const QString& ext)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const qsizetype dot = path.indexOf(u'.', slash + 1);
    if (dot < 0)
        return path;
    return path.left(dot) + u'.' + ext;
}

void loadFamilyProfile(LanguageContext& ctx)
{
    Profile& p = ctx.profile;
    // Every family code is served by the family-14 profile.
    p.familyLogoShown = false;

    LanguageLoader& lang = ctx.languageFiles;
    lang.open(ctx);

    // The defaults.
    p.topLevelSelector = 3;
    ctx.profileFamily = DefaultProfileFamily;
    p.resultColumnCount = 7;
    p.treeLabelEditing = false;
    p.resultLengthWidth = 1;
    p.detailPanelShown = false;
    p.resultColumnMap = {0, 1, 2, 3, 4, 5, 6};
    p.treeHelpContext = 1200;
    p.resultsSorted = false;
    p.defaultBaudIndex = 3;
    p.helpFile = helpFileRule(ctx.programDir, ctx.decode(lang.readText(ctx, "HelpFileMINI_12")));
    ctx.texts.extension = "*";

    // The family-14 profile over the defaults.
    std::string ext = lang.readText(ctx, "ExtensionTIVE5kV_3");
    if (ext.size() > InterfaceTexts::SlotWidth)
        ext.resize(InterfaceTexts::SlotWidth);
    ctx.texts.extension = ext;
    p.helpFile = helpFileRule(ctx.programDir, ctx.decode(lang.readText(ctx, "HelpFileMini_12")));
    ctx.texts.set("MainCaptionTive5kV_20", lang.readText(ctx, "MainCaptionTive5kV_20"));
    ctx.texts.set("StructFiles_13", lang.readText(ctx, "StructFiles_13"));
    p.aboutProductName = lang.readText(ctx, "InstrNameTIVE5kV_20");
    p.aboutVersion = lang.readText(ctx, "Version_20") + " " + ProgramVersion;
    p.positionDepth = 1;
    p.resultColumnCount = 6;
    p.familyLogoShown = true;
    ctx.profileFamily = SupportedFamily;
    p.topLevelSelector = 12;
    p.treeLabelEditing = true;
    p.resultLengthWidth = 1;
    p.resultsSorted = false;
    p.resultColumnMap = {0, 1, 2, 3, 4, 255, 5};

    std::string def = ctx.texts.text("Noname_8") + "." + ctx.texts.extension;
    if (def.size() > InterfaceTexts::SlotWidth)
        def.resize(InterfaceTexts::SlotWidth);
    ctx.texts.defaultFileName = def;

    // One supported family, so the mask is "*." and its extension.
    ctx.structureFileMask = "*." + ctx.texts.extension;
    lang.close();
}

} // namespace zentrova
