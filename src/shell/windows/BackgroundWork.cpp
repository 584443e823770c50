// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/BackgroundWork.h"

#include "base/Prompts.h"
#include "language/LanguageContext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <exception>
#include <memory>
#include <optional>

namespace zentrova {

std::optional<std::string> BackgroundRunner::failureOf(const std::function<void()>& work)
{
    try {
        work();
        return std::nullopt;
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
        return std::string("unknown exception");
    }
}

void BackgroundRunner::tellFailure(const std::string& what) const
{
    try {
        language_.prompts->message(MsgType::Error, language_.texts.text("WorkFailed_60") + '\r' + what, MbOK, 0);
    } catch (...) {
        // Nothing is left to tell it with; the window goes on all the same.
    }
}

bool BackgroundRunner::run(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (running_ || !app || QThread::currentThread() != app->thread()) {
        if (const std::optional<std::string> failure = failureOf(work)) {
            tellFailure(*failure);
            return false;
        }
        return true;
    }
    running_ = true;
    if (busyChanged)
        busyChanged(true);
    std::optional<std::string> failure;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] { failure = failureOf(work); }));
    // Queued to this thread: a worker that ends before the loop runs still
    // ends it.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    running_ = false;
    if (busyChanged)
        busyChanged(false);
    if (failure) {
        tellFailure(*failure);
        return false;
    }
    return true;
}

} // namespace zentrova
