// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Every input of every fuzz target's corpus, through the harness the fuzzer
// runs: what the fuzzer once found stays fixed, and the seeds keep reading.
#include "FuzzHarness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <ostream>

namespace zentrova::fuzz {
namespace {

struct Target {
    const char* name;
    const char* corpus; // beside this file
    int (*run)(const uint8_t*, size_t);
};

const Target Targets[] = {
    {"Reader", "corpus", fuzzReader},
    {"Record", "corpus-record", fuzzRecord},
    {"Receive", "corpus-receive", fuzzReceive},
    {"CellMarkup", "corpus-cell_markup", fuzzCellMarkup},
    {"Language", "corpus-language", fuzzLanguage},
    {"Identification", "corpus-identification", fuzzIdentification},
    {"MeasuredValue", "corpus-measured_value", fuzzMeasuredValue},
    {"MeasurementTime", "corpus-measurement_time", fuzzMeasurementTime},
};

void PrintTo(const Target& target, std::ostream* os)
{
    *os << target.name;
}

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryInputKeepsItsProperties)
{
    setViolationHandler([](const std::string& message) { ADD_FAILURE() << message; });
    const QDir dir(QStringLiteral(ZENTROVA_FUZZ_DIR "/") + QLatin1String(GetParam().corpus));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        GetParam().run(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
    setViolationHandler(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(Targets),
                         [](const ::testing::TestParamInfo<Target>& info) { return info.param.name; });

} // namespace
} // namespace zentrova::fuzz
