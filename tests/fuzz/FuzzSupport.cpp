// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "FuzzHarness.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace zentrova::fuzz {

namespace {

ViolationHandler violationHandler = nullptr;

void fail(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    std::abort();
}

} // namespace

void setViolationHandler(ViolationHandler handler)
{
    violationHandler = handler;
}

std::pair<std::string_view, std::string_view> twoTexts(const uint8_t* data, size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t zero = all.find('\0');
    return {all.substr(0, zero), zero == std::string_view::npos ? std::string_view() : all.substr(zero + 1)};
}

void violated(const char* target, const std::string& what)
{
    const std::string message = std::string(target) + ": " + what;
    if (violationHandler)
        violationHandler(message);
    else
        fail(message);
}

unsigned SilentPrompts::message(MsgType, const std::string&, unsigned buttons, int)
{
    for (unsigned b : order)
        if (buttons & b)
            return b;
    return MbCancel;
}

FuzzFolder::FuzzFolder()
{
    if (!dir_.isValid())
        fail("fuzz: no temporary folder");
    const QString src = QStringLiteral(ZENTROVA_DATA_DIR);
    QDirIterator it(src, QDir::Files);
    while (it.hasNext()) {
        const QString f = it.next();
        QFile::copy(f, path() + QFileInfo(f).fileName());
    }
}

void FuzzFolder::write(const QString& name, const std::string& bytes) const
{
    QFile f(path() + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        fail("fuzz: cannot write " + name.toStdString());
}

void FuzzFolder::restore(const QString& name) const
{
    const QString target = path() + name;
    QFile::remove(target);
    const QString shipped = QStringLiteral(ZENTROVA_DATA_DIR) + u'/' + name;
    if (QFile::exists(shipped) && !QFile::copy(shipped, target))
        fail("fuzz: cannot restore " + name.toStdString());
}

LoadedFuzzProgram::LoadedFuzzProgram()
{
    ctx = std::make_unique<AppContext>(folder.path(), prompts);
    AppContext& c = *ctx;
    if (!c.language.languageFiles.loadLanguageList(c.language) || !loadInterfaceTexts(c.language) ||
        !loadReportTexts(c.language))
        fail("fuzz: the shipped language files did not load");
    applyFamilyProfile(c);
}

} // namespace zentrova::fuzz
