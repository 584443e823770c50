// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <string>

namespace zentrova {

// The progress dialog seam: a caption, a bold red first line, a second line
// for the current phase, a gauge 0..100 and a Cancel button. The windows show
// the dialog, the command-line tool draws on stderr, tests record the calls.
// The work that reports here never waits for the window: the windows run it
// off their thread (WorkRunner), and their dialog takes calls from any thread.
class Progress {
public:
    virtual ~Progress() = default;
    // Shows the dialog; `cancellable` false hides the Cancel button (file,
    // report and export work cannot be cancelled).
    virtual void show(const std::string& caption, const std::string& line1, bool cancellable) = 0;
    virtual void setLine2(const std::string& text) = 0;
    virtual void setPosition(int percent) = 0;
    virtual void hide() = 0;
    // True once the user pressed Cancel since the dialog was shown.
    virtual bool cancelRequested() const = 0;
};

// Progress that shows nothing: for work done without a person watching.
class NullProgress : public Progress {
public:
    void show(const std::string&, const std::string&, bool) override {}
    void setLine2(const std::string&) override {}
    void setPosition(int) override {}
    void hide() override {}
    bool cancelRequested() const override { return false; }
};

} // namespace zentrova
