// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <functional>

namespace zentrova {

// The seam for long work: reading or writing a structure file, an export, a
// comparison, a transfer, an import into the archive. The work reports
// through the progress seam and asks through the prompts seam; it gets the
// values it reads and writes into values of its own, which the caller takes
// afterwards, so it touches nothing a window shows while it runs. The windows
// run it on a worker thread and keep answering the user (repaint, Cancel)
// meanwhile; the command-line tool and the tests run it where they are.
// Either way run() returns when the work is over: true when it ran to its
// end. Here an exception the work throws comes out of run(); the windows'
// runner catches whatever the work throws, tells the user and returns false,
// and the caller then leaves its state as it was.
class WorkRunner {
public:
    virtual ~WorkRunner() = default;
    virtual bool run(const std::function<void()>& work)
    {
        work();
        return true;
    }
};

// Runs the work on the calling thread.
inline WorkRunner& inPlace()
{
    static WorkRunner runner;
    return runner;
}

} // namespace zentrova
