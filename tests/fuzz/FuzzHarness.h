// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
// The fuzz harnesses. Each takes one input, hands it to the code it covers and
// checks what came out; a broken property goes to Violated(). The same
// functions run under libFuzzer (FuzzMain.cpp) and in the corpus replay test.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QString>
#include <QTemporaryDir>

#include "base/Prompts.h"
#include "shell/AppContext.h"

namespace zentrova::fuzz {

int fuzzReader(const uint8_t* data, size_t size);          // structure files
int fuzzRecord(const uint8_t* data, size_t size);          // received records
int fuzzReceive(const uint8_t* data, size_t size);         // the whole transfer
int fuzzCellMarkup(const uint8_t* data, size_t size);      // annotated grid cells
int fuzzLanguage(const uint8_t* data, size_t size);        // language index, language file, settings
int fuzzIdentification(const uint8_t* data, size_t size);  // the identification payload
int fuzzMeasuredValue(const uint8_t* data, size_t size);   // result values with their units
int fuzzMeasurementTime(const uint8_t* data, size_t size); // a record's date and time cells

// An input of two texts: the bytes up to the first byte 0, and the rest
// (empty when there is no byte 0).
std::pair<std::string_view, std::string_view> twoTexts(const uint8_t* data, size_t size);

// Reports a broken property. By default it prints `what` and aborts, so that
// libFuzzer keeps the input; the replay test turns it into a failed test.
void violated(const char* target, const std::string& what);
using ViolationHandler = void (*)(const std::string& message);
void setViolationHandler(ViolationHandler handler);

// Answers every question without a person: the first button of `order`
// that the question offers.
class SilentPrompts : public Prompts {
public:
    std::vector<unsigned> order{MbOK, MbNo, MbCancel};
    unsigned message(MsgType, const std::string&, unsigned buttons, int) override;
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

// A private program folder holding a copy of the shipped data files.
class FuzzFolder {
public:
    FuzzFolder();
    QString path() const { return dir_.path() + u'/'; }
    // Writes `bytes` to `name` in the folder (replacing it); aborts when it cannot.
    void write(const QString& name, const std::string& bytes) const;
    // Puts back the shipped copy of `name`, or removes it when nothing ships.
    void restore(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// A program folder of its own with a context loaded as at start-up (the
// language tables and the family profile): each harness keeps one for all its
// inputs, so that one target's inputs never change another's state.
struct LoadedFuzzProgram {
    FuzzFolder folder;
    SilentPrompts prompts;
    std::unique_ptr<AppContext> ctx;
    LoadedFuzzProgram();
};

} // namespace zentrova::fuzz
