// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/BackgroundWork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <exception>
#include <memory>

namespace zentrova {

void BackgroundRunner::run(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (running_ || !app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    running_ = true;
    if (busyChanged)
        busyChanged(true);
    std::exception_ptr failure;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    // Queued to this thread: a worker that ends before the loop runs still
    // ends it.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    running_ = false;
    if (busyChanged)
        busyChanged(false);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace zentrova
