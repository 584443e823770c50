// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/FileIO.h"
#include "base/Prompts.h"
#include "base/WorkRunner.h"
#include "structure/Document.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrova {

struct StructureContext;
struct LanguageContext;
struct Document;
class InterfaceTexts;
class Progress;

// The structure file: a line-oriented text file of bytes, lines ended by
// CR LF ("*** INSTAL STRUCTURE v11" ... "*** KONEC"). Inside element lines and
// result cells a line break (CR) is stored as code 2.
namespace structure_file {
inline constexpr std::string_view Magic = "*** INSTAL STRUCTURE v11";
inline constexpr std::string_view MagicV10 = "*** INSTAL STRUCTURE";
inline constexpr std::string_view Comments2 = "*** COMMENTS2";
inline constexpr std::string_view StructureData = "*** STRUCTURE DATA";
inline constexpr std::string_view TableData = "*** TABLE DATA";
inline constexpr std::string_view ProtocolData = "*** PROTOCOL DATA";
inline constexpr std::string_view EndMarker = "*** KONEC";
// "*** STRUCTURE DATA" is always this line of a written file.
inline constexpr int StructureDataLine = 248;
// Limits of a result table read from a file. A transfer can fill 65,535
// result rows below the identification row.
inline constexpr int MaxTableRows = 65536;
inline constexpr int MaxTableColumns = 1000;
// The largest structure file that is read; a larger one is refused before
// it is read, as no file the writer writes comes near it. The writer's
// largest file is bounded by the result table: at most MaxTableRows rows,
// each the ten cells decoded from one record of at most 255 bytes (a record
// byte becomes at most four characters, a number of three digits and a line
// break) plus the function's name: under 2 KiB a row, under 128 MiB the
// table. Beside it stand the 247 header lines, at most one received element
// per result, and at most ReportPages::MaxEntries report pages of typed
// one-line texts: well under as much again. 1 GiB leaves a margin of several
// times that; reading a file also takes several times its size in memory.
inline constexpr qint64 MaxFileSize = qint64(1) << 30;
} // namespace structure_file

// The seal multiplier: a fixed constant of the format.
inline constexpr int32_t SealMultiplier = 5820417;

// The seal over the results: computed from the family code and the
// instrument's serial number (line 4 of the identification cell), signed
// 32-bit with wrap-around.
int32_t resultsSeal(uint8_t familyCode, std::string_view serialLine);
int32_t resultsSeal(const Document& document);

// What the main window does when the structure changes hands. Every call
// has a no-op default, so the command-line tool and tests give only what
// they watch.
class StructureView {
public:
    virtual ~StructureView() = default;
    virtual void updateMainCaption() {}
    // Rebuilds the results grid for the selected element.
    virtual void fillResultsGrid() {}
    virtual void setResultsView(int /*flag*/) {}
    // Shows or hides the structure panel (tree, splitter and, for profile
    // family 4, the mode button bar).
    virtual void showStructurePanel(bool /*shown*/) {}
    // False until a structure was read, received or made: Save and Save As
    // do nothing then.
    virtual bool structurePanelShown() const { return true; }
    // The reader applied the family profile of the file's family code:
    // caption, result columns and headings follow the profile values.
    virtual void profileApplied() {}
    // The element tree of the model was replaced: rebuild the tree widget
    // from it, expand the first top-level element with all its descendants
    // and select the model's selected element.
    virtual void treeReplaced() {}
};

// What the file routines of the open structure work with: the program's
// state, the progress dialog and the main window.
struct FileEnv {
    StructureContext& ctx;
    Progress& progress;
    StructureView& view;
    // Runs the reading and composing of a file's bytes (the windows: on a
    // worker thread); the questions and the model's change stay here.
    WorkRunner& runner = inPlace();
};

// ------------------------------------------------------------------ writer

// The file's bytes for `document` (the heading, comments, tree, result table
// and report pages). Advances `progress` when given, in `language`.
std::string composeStructureFile(const LanguageContext& language, const Document& document,
                                 Progress* progress = nullptr);

// The open and save dialogs of structure files: the title of `titleKey`,
// the structure-file filter, then all files.
FileDialogRequest structureDialog(const StructureContext& ctx, const char* titleKey);

// Writes the model to ctx.document.fileName. On success structureSaved becomes
// true; on failure the system's message is shown, the previous file stays
// untouched and structureSaved keeps its value.
bool writeStructureFile(FileEnv& env);

// The Save As dialog loop with `proposed` offered; writes when the user
// confirms a name. False when cancelled or the write failed.
bool saveStructureAs(FileEnv& env, const QString& proposed);

// Offers to save unsaved changes. Returns MbYes (saved, or nothing to lose),
// MbNo (the user declined) or MbCancel (stop what you were doing).
unsigned querySaveChanges(FileEnv& env);

// ------------------------------------------------------------------ reader

enum class ReadOutcome {
    Read,            // the file's content is the model
    NotStructure,    // first line is no structure-file magic: the model is empty
    FamilyNotServed, // the file is for another instrument family: no structure shown
    Damaged,         // a damaged record ended reading: the model holds what was read
    CannotOpen,      // the file could not be opened or read: the model is unchanged
    Cancelled,       // the save question or the open dialog was cancelled: unchanged
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Read;
    std::string message; // for Damaged and CannotOpen: what went wrong (bytes)
    // The file ends with its end marker. A file cut short still reads up to
    // the break, so the user must be told that the rest is missing.
    bool complete = true;
    // The file ends inside the result table's last row it reached: that
    // result holds only the cells before the break.
    bool lastResultCut = false;
};

// The words for what reading left out although the outcome is Read: the
// results removed because the seal did not match, the file cut short. Empty
// when nothing was left out; the lines are joined by CR.
std::string readLosses(const InterfaceTexts& texts, const Document& document, const ReadResult& result);

// Whether `bytes` start with the first line of a structure file (either
// version): what the reader and the command-line tool take for a structure
// file. Anything else reads as ReadOutcome::NotStructure.
bool isStructureFile(std::string_view bytes);

// How the bytes of a structure file came from the disk.
enum class FileBytesStatus {
    Read,         // `bytes` holds the whole file
    CannotOpen,   // missing, no permission, not a regular file: `error` says why
    CannotRead,   // opened, but reading failed: `error` says why
    NotStructure, // its first line is no structure file's first line
    TooLarge,     // larger than structure_file::MaxFileSize
};

// Reads the structure file `path` into `bytes` after a look at its first
// line and its size: a file that is no structure file, or larger than any
// the writer writes, is refused before the rest of it is read.
FileBytesStatus readStructureFileBytes(const QString& path, std::string& bytes, QString* error = nullptr);

// The structure file Save writes to: false while the structure has no name of
// its own (empty, or the language's default file name).
bool hasOwnFileName(const StructureContext& ctx);

// A document read from the bytes of a structure file.
struct DocumentRead {
    Document document;
    ReadResult result;
};

// Reads `bytes` into `start`, which holds what the file may leave unsaid (an
// older file's missing heading lines, the family code of a file that is no
// structure file); its structure and report pages are replaced. Touches
// nothing of the program: the language gives the texts, the report labels
// and the profile. `fileName` names the file in the progress dialog.
DocumentRead readDocument(const LanguageContext& language, std::string_view bytes, Progress& progress, Document start,
                          const std::string& fileName = {});

// Replaces the open document by the content of `bytes` (readDocument over
// successorOf the open one): the steps of reading after the file was opened,
// without the windows. The previous report pages leave their values in the
// settings, and the family profile of the file is applied. `fileName` names
// the file in messages and the progress dialog. When the reading itself
// failed in the runner (which told the user), the open document stays as it
// was and the outcome is Cancelled.
ReadResult loadStructure(FileEnv& env, std::string_view bytes, const std::string& fileName = {});

// Reads the structure file `path` into a document of its own, beside the
// open one, telling the user of failures and losses as readStructureFile
// does. Nothing when the file could not be read or was not read whole up to
// a damaged record, or is no structure of this family.
std::optional<Document> readDocumentBeside(const LanguageContext& language, const QString& path, Progress& progress);

// Reads a structure file. Without `path` the save question and the open
// dialog come first; with it (the command-line file) the file is read at
// once. Shows the messages of the failures; the caller refills the results
// grid afterwards. A file that is no structure file leaves the model and its
// name as they were. What is read of a damaged or incomplete file is shown
// under the default name, so that Save asks where to put it.
ReadResult readStructureFile(FileEnv& env, const std::optional<QString>& path = std::nullopt);

} // namespace zentrova
