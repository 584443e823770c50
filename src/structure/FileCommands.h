// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/StructureFile.h"

#include <QString>
#include <string>

namespace zentrova {

class ElementNode;

// Writes an element's new name into the name cell (column 2) of each of its
// result rows: line 1 for a top-level element, 2 for depth 1, 3 for depth 2
// (levels shifted by the profile's position depth). Every row is examined;
// the cell is written back with exactly four lines. Returns the rows changed.
int propagateRename(StructureContext& ctx, const ElementNode& node, const std::string& name);

// The structure's file commands, free of windows: the main window calls
// them from its menu entries, tool buttons, tree events and close request,
// and answers through the StructureView it passes in.
class FileCommands {
public:
    explicit FileCommands(FileEnv env) : env_(env) {}

    // File > Open, tool button IcoOpen: the save question, the open dialog,
    // the reader; the results grid is refilled whatever the outcome.
    ReadResult open();
    // The structure file named on the command line, read at start-up without
    // any question; then the results grid is refilled.
    ReadResult openCommandLineFile(const QString& path);
    // A structure file chosen outside the open dialog (dropped on the
    // window): the save question, then the reader, as Open.
    ReadResult openFile(const QString& path);
    // An entry of the recent-files list. A file that is gone is taken out of
    // the list with a message, before any question.
    ReadResult openRecent(const QString& path);
    // File > Save, tool button IcoSave: writes at once to a structure's own
    // file, asks for a name when it still has the default one. Nothing
    // happens while no structure is shown.
    void save();
    // File > Save As.
    void saveAs();
    // File > Exit and every close request of the main window: false when the
    // user cancelled (keep running). Otherwise the report pages are
    // discarded (their values stay in the settings) and the window may close.
    bool closeRequested();
    // File > New, and the receiver when it ends with an empty tree: the save
    // question, then one new top-level element, the default name, saved.
    // False when the user cancelled.
    bool newStructure();
    // Whether the tree lets the user edit an element's label in place.
    bool canEditLabel() const;
    // An in-place edit of `node` ended with `name`: the element's result
    // rows take the new name, the grid is refilled, the structure is unsaved.
    void renameElement(ElementNode& node, const std::string& name);

    FileEnv& env() { return env_; }

private:
    // A file that was read whole, or written, heads the recent-files list.
    ReadResult remember(const ReadResult& r);
    void rememberSaved(bool written);
    FileEnv env_;
};

} // namespace zentrova
