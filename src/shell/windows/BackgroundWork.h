// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/WorkRunner.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>

namespace zentrova {

struct LanguageContext;

// Runs long work on a worker thread while the window's thread goes on
// answering the user: repaint, the progress dialog's Cancel, the questions
// the work asks (the prompts and the progress dialog take calls from any
// thread). run() returns when the work is over. Whatever the work throws
// ends there: the user is told in the language's words, with what failed,
// and run() returns false. Work started while other work runs, or from a
// thread other than the window's, runs where it is called, and its failure
// is told the same way.
class BackgroundRunner final : public WorkRunner {
public:
    explicit BackgroundRunner(const LanguageContext& language) : language_(language) {}
    bool run(const std::function<void()>& work) override;
    bool running() const { return running_; }
    // Told true before the work starts and false once it is over: the
    // windows turn off what would change what the work reads. Several
    // windows share one runner, so that the main window knows of the work
    // of each.
    std::function<void(bool)> busyChanged;

private:
    // Runs `work`; the reason when it threw, none when it ran to its end.
    static std::optional<std::string> failureOf(const std::function<void()>& work);
    void tellFailure(const std::string& what) const;

    const LanguageContext& language_;
    bool running_ = false;
};

// Calls `call` on `owner`'s thread and returns what it returned: directly
// when already there, else waits for that thread to run it.
template <class Call>
auto callOnThreadOf(QObject* owner, Call&& call) -> std::invoke_result_t<Call>
{
    using Result = std::invoke_result_t<Call>;
    if (QThread::currentThread() == owner->thread())
        return call();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(owner, std::forward<Call>(call), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            owner, [&] { result = call(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

} // namespace zentrova
