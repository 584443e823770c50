// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <string>

namespace zentrova {

// The progress dialog seam: a caption, a bold red first line, a second line
// for the current phase, a gauge 0..100 and a Cancel button. The windows show
// the dialog, the command-line tool draws on stderr, tests record the calls.
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
    // Lets pending window messages run (repaint, the Cancel button) for at
    // most `ms` milliseconds of waiting; 0 only processes what is queued.
    virtual void processEvents(int ms = 0) = 0;
};

// Progress that shows nothing: for work done without a person watching.
class NullProgress : public Progress {
public:
    void show(const std::string&, const std::string&, bool) override {}
    void setLine2(const std::string&) override {}
    void setPosition(int) override {}
    void hide() override {}
    bool cancelRequested() const override { return false; }
    void processEvents(int) override {}
};

} // namespace zentrova
