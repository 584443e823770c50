// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// libFuzzer's entry points around one harness, chosen at build time by
// ZENTROVA_FUZZ_ENTRY. Qt runs on its offscreen platform: the cell markup
// target measures and draws text.
#include "FuzzHarness.h"

#include <QFileInfo>
#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The private program folders go to memory where there is some: the
    // settings are written (and synced) on every change, many times a run.
    if (qgetenv("TMPDIR").isEmpty() && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return zentrova::fuzz::ZENTROVA_FUZZ_ENTRY(data, size);
}

// Fontconfig keeps what it allocates for Qt's font database until the end of
// the process: a cache, not a leak of the code under test.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
