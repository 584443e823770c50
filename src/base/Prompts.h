// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <optional>
#include <string>

namespace zentrova {

// Everything that waits for a person goes through this seam: the windows show
// message boxes and file dialogs, the command-line tool answers by itself and
// tests give scripted answers.
enum class MsgType { Warning, Error, Information, Confirmation, Custom };

enum MsgButton : unsigned {
    MbNone = 0,
    MbYes = 1u << 0,
    MbNo = 1u << 1,
    MbOK = 1u << 2,
    MbCancel = 1u << 3,
    MbAbort = 1u << 4,
    MbRetry = 1u << 5,
    MbIgnore = 1u << 6,
    MbAll = 1u << 7,
    MbNoToAll = 1u << 8,
    MbYesToAll = 1u << 9,
    MbHelp = 1u << 10,
};

struct FileDialogRequest {
    std::string title;      // bytes in the language's code page
    std::string filterName; // bytes, e.g. "Structure files"
    QString pattern;        // e.g. "*.ZIT"
    // Bytes, e.g. "All files": when not empty a second filter showing every
    // file follows the first.
    std::string allFilesName;
    QString proposedName; // path or file name offered
    bool mustExist = false;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // Shows `text` (bytes in the language's code page; CR separates lines) and
    // returns the button chosen (one of `buttons`).
    virtual unsigned message(MsgType type, const std::string& text, unsigned buttons, int helpContext = 0) = 0;
    // A message naming characters the code page cannot hold, so they cannot
    // travel in `text`: they follow it on a line of their own. Where they
    // cannot be shown as they are, each is written as its code ("U+010D").
    virtual unsigned messageWithCharacters(MsgType type, const std::string& text, const QString& characters,
                                           unsigned buttons);
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
};

// Prompts that show nothing: messages are answered OK (or Cancel where there
// is no OK) and file dialogs are cancelled. For work nobody watches.
class SilentPrompts : public Prompts {
public:
    unsigned message(MsgType, const std::string&, unsigned buttons, int = 0) override
    {
        return (buttons & MbOK) || buttons == MbNone ? MbOK : MbCancel;
    }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

} // namespace zentrova
