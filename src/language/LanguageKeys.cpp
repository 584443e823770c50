#include "LanguageKeys.h"

#include <algorithm>
#include <array>

namespace zentrova {

namespace {

bool sameKey(std::string_view a, std::string_view b)
{
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

const std::vector<std::string_view>& interfaceKeys()
{
    static const std::vector<std::string_view> keys{
        // structure file extension, default file name, communication question
        "ExtensionVEKO_3", "Noname_8", "CommError_40", "TerminateComm_40",
        // structure-editing buttons
        "AddObject_13", "AddBlock_13", "AddStrelovod_13", "AddGip_13",
        "AddRCD_13", "DeleteRCD_13", "DeleteObject_13", "DeleteBlock_13",
        "AddFuse_13", "DeleteStrelovod_13", "AddSteber_13", "AddPovezava_13",
        "DeleteGIP_13", "AddOzemljitev_13", "DeleteFuse_13", "DeleteSteber_13",
        "DeletePovezava_13", "DeleteOzemljitev_13", "AddObjectIT_13",
        "AddCircuit_13", "AddParticular_13", "DeleteObjectIT_13",
        "DeleteCircuit_13", "DeleteParticular_13",
        // element kind names
        "Object_20", "BLOCK_20", "STRELOVOD_20", "GIP_20", "FUSE_20", "RCD_20",
        "STEBER_20", "POVEZAVA_20", "OZEMLJITEV_20", "OBJECTIT_20",
        "CIRCUIT_20", "PARTICULAR_20",
        // main window buttons, file and transfer messages
        "NoMeasuresIn_30", "MeasuresMissing_30", "ViewResults_16",
        "ModifyStruct_16", "CreateReport_15", "ViewReport_15", "Version_20",
        "SaveResults_30", "Open_30", "FileNotExist_40", "SaveAs_30",
        "AlreadyExists_40", "ReplaceIt_40", "LoseAllData_50", "YouSure_40",
        "SendStruct_30", "Searching_30", "ClearingMem_40", "SendingStruct_30",
        "OutOfMEM_30", "ReceiveResults_30", "ReceivingResults_30",
        "Receiving_30",
        // results-grid headings, "$" = line break
        "VGlava0_0", "VGlava1_0", "VGlava2_0", "VGlava3_0", "VGlava4_0",
        "VGlava5_0", "VGlava6_0",
        // page indicator and tool-button hints
        "of_5", "HintNew_30", "HintOpen_30", "HintSave_30", "HintSendS_30",
        "HintReceiveR_30", "HintPrintResults_30", "HintFirstPage_30",
        "HintPreviousPage_30", "HintNextPage_30", "HintLastPage_30",
        "HintZoomIn_30", "HintZoomOut_30", "HintPrintSetup_30",
        "HintMargins_30", "HintPrint_30", "HintStopPreview_30",
        "HintPrintPreview_30", "HintLoadImage_30",
        // block result table A: headings, then units
        "Glava0_0", "Glava1_0", "Glava2_0", "Glava3_0", "Glava4_0", "Glava5_0",
        "Glava6_0", "Glava7_0", "Glava8_0", "Glava9_0", "Glava10_0",
        "GlavaE1_0", "GlavaE2_0", "GlavaE3_0", "GlavaE4_0", "GlavaE5_0",
        "GlavaE6_0", "GlavaE7_0", "GlavaE8_0", "GlavaE9_0", "GlavaE10_0",
        // lightning-protection result tables A and B
        "GlavaS10_0", "GlavaS11_0", "GlavaS12_0", "GlavaS13_0", "GlavaS14_0",
        "GlavaS1E1_0", "GlavaS1E2_0", "GlavaS1E3_0", "GlavaS20_0",
        "GlavaS21_0", "GlavaS2E1_0",
        // block result table B: headings, then units
        "GlavaF0_0", "GlavaF1_0", "GlavaF2_0", "GlavaF3_0", "GlavaF4_0",
        "GlavaFE1_0", "GlavaFE2_0", "GlavaFE3_0", "GlavaFE4_0",
        // picture dialogs, progress text
        "LoadImage_30", "ImageFiles_13", "LoadLogo_30", "Wait_25",
        // main menu, in menu order
        "&File_30", "&Instrument_30", "&Configuration_30",
        "&PrintoutHeading_30", "&Help_30", "&New_30", "&Open_30", "&Save_30",
        "&SaveAs_30", "&Export_30", "&PrintPreview_30", "&Exit_30",
        "&SendStructure_30", "&ReceiveResults_30", "&InstrumentsData_30",
        "&COMPort_30", "&SelectLanguage_30", "&SetDefaultNames_30",
        "CalcLength_30", "&OperatorTestSite_30", "&Comments_30",
        "&Contents_30", "&About_30",
        // preview, margins and language dialogs
        "PrintPreview_40", "Stop_11", "Margins_20", "Left_7", "Right_7",
        "Top_7", "Bottom_7", "&Cancel_11", "&Save_11", "SelectLanguage_25",
        "Language_25", "&OK_11",
        // report pages, printout heading, about box, length dialog
        "Protocol_30", "OperatorTestSite_40", "Operator_30", "TestSite_30",
        "Text_11", "Picture_11", "Load_11", "Footer_30", "About_30",
        "Length_11", "Autotests_11",
        // text for an element without results
        "NoResult_20",
        // COM dialog
        "ConfigureCOMPort_30", "COMPort_20", "BaudRAte_20",
        "SearchConfig_25", "&AutoFind_11",
        // message-box buttons and titles
        "&Yes_11", "&No_11", "&Abort_11", "&Retry_11", "&Ignore_11", "&All_11",
        "&NoToAll_11", "&YesToAll_11", "&Help_11", "&Close_11", "&Custom_11",
        "Warning_30", "Error_30", "Information_30", "Confirmation_30",
        "Custom_30",
        // export dialog
        "ExportFormat_30", "Delimiter_25", "EOLSign_25", "TAB_15",
        "semicolon_15", "CRLF_15", "CR_15", "LF_15", "ExportTo_40",
        "TextFiles_12",
        // instrument's data dialog
        "InstrumentsData_30", "Instrument_25", "SerialNumber_25",
        "FirmData_25", "UserData_25", "&ReceiveData_15",
        // grid context menu
        "&Copy_30", "&Paste_30", "&InsertRow_30", "&DeleteRow_30",
        // comments, default names, page selection, detail report, zoom list
        "Comments_30", "AutotestComments", "PageNumbers", "Measurements_30",
        "DefaultNames_30", "&Default_11", "SelectPages_25", "PagesToPrint_30",
        "&Print_11", "DetailReport_30", "Full_15", "Medium_15", "Low_15",
        "All_15", "Absolute_15", "relative_15", "PageWidth_12", "WholePage_12",
        // what opening a file dropped, a full result table, a busy port
        "ResultsDiscarded_50", "FileIncomplete_50", "TableFull_50", "PortBusy_40",
    };
    return keys;
}

const std::vector<std::string_view>& profileKeys()
{
    static const std::vector<std::string_view> keys{
        "HelpFileMINI_12", "HelpFileMini_12", "ExtensionTIVE5kV_3",
        "MainCaptionTive5kV_20", "StructFiles_13", "InstrNameTIVE5kV_20",
    };
    return keys;
}

const std::vector<std::string_view>& protocolKeys()
{
    static const std::vector<std::string_view> keys{
        // object page, labels 1..21
        "OO_Lab1_0", "OO_Lab2_0", "OO_Lab3_0", "OO_Lab4_0", "OO_Lab5_0",
        "OO_Lab6_0", "OO_Lab7_0", "OO_Lab8_0", "OO_Lab9_0", "OO_Lab10_0",
        "OO_Lab11_0", "OO_Lab12_0", "OO_Lab13_0", "OO_Lab14_0", "OO_Lab15_0",
        "OO_Lab16_0", "OO_Lab17_0", "OO_Lab18_0", "OO_Lab19_0", "OO_Lab20_0",
        "OO_Lab21_0",
        // distribution block page, labels 1..9
        "BB_Lab1_0", "BB_Lab2_0", "BB_Lab3_0", "BB_Lab4_0", "BB_Lab5_0",
        "BB_Lab6_0", "BB_Lab7_0", "BB_Lab8_0", "BB_Lab9_0",
        // distribution block page, texts of check boxes 1..29
        "BB_CBox1_0", "BB_CBox2_0", "BB_CBox3_0", "BB_CBox4_0", "BB_CBox5_0",
        "BB_CBox6_0", "BB_CBox7_0", "BB_CBox8_0", "BB_CBox9_0", "BB_CBox10_0",
        "BB_CBox11_0", "BB_CBox12_0", "BB_CBox13_0", "BB_CBox14_0",
        "BB_CBox15_0", "BB_CBox16_0", "BB_CBox17_0", "BB_CBox18_0",
        "BB_CBox19_0", "BB_CBox20_0", "BB_CBox21_0", "BB_CBox22_0",
        "BB_CBox23_0", "BB_CBox24_0", "BB_CBox25_0", "BB_CBox26_0",
        "BB_CBox27_0", "BB_CBox28_0", "BB_CBox29_0",
        // lightning-protection page, labels 1..33
        "SS_Lab1_0", "SS_Lab2_0", "SS_Lab3_0", "SS_Lab4_0", "SS_Lab5_0",
        "SS_Lab6_0", "SS_Lab7_0", "SS_Lab8_0", "SS_Lab9_0", "SS_Lab10_0",
        "SS_Lab11_0", "SS_Lab12_0", "SS_Lab13_0", "SS_Lab14_0", "SS_Lab15_0",
        "SS_Lab16_0", "SS_Lab17_0", "SS_Lab18_0", "SS_Lab19_0", "SS_Lab20_0",
        "SS_Lab21_0", "SS_Lab22_0", "SS_Lab23_0", "SS_Lab24_0", "SS_Lab25_0",
        "SS_Lab26_0", "SS_Lab27_0", "SS_Lab28_0", "SS_Lab29_0", "SS_Lab30_0",
        "SS_Lab31_0", "SS_Lab32_0", "SS_Lab33_0",
        // lightning-protection page, texts of check boxes 1..9 and 19..24;
        // boxes 10..18 have no text of their own
        "SS_CBox1_0", "SS_CBox2_0", "SS_CBox3_0", "SS_CBox4_0", "SS_CBox5_0",
        "SS_CBox6_0", "SS_CBox7_0", "SS_CBox8_0", "SS_CBox9_0", "SS_CBox19_0",
        "SS_CBox20_0", "SS_CBox21_0", "SS_CBox22_0", "SS_CBox23_0",
        "SS_CBox24_0",
        // floor-plan page
        "TT_Lab1_0", "TT_Lab2_0",
    };
    return keys;
}

bool isShortSlotKey(std::string_view key)
{
    // The unit rows under the report table headings: table A and B of a
    // block, table A and B of a lightning-protection set.
    static constexpr std::array<std::string_view, 18> shortKeys{
        "GlavaE1_0", "GlavaE2_0", "GlavaE3_0", "GlavaE4_0", "GlavaE5_0",
        "GlavaE6_0", "GlavaE7_0", "GlavaE8_0", "GlavaE9_0", "GlavaE10_0",
        "GlavaS1E1_0", "GlavaS1E2_0", "GlavaS1E3_0", "GlavaS2E1_0",
        "GlavaFE1_0", "GlavaFE2_0", "GlavaFE3_0", "GlavaFE4_0",
    };
    return std::any_of(shortKeys.begin(), shortKeys.end(),
                       [key](std::string_view k) { return sameKey(k, key); });
}

}  // namespace zentrova
