// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The history archive on both engines: a download of 65,535 results (the
// most a transfer gives; 262 blocks of 250 points, each a diagnostic test
// with six items) imported into an empty archive, and the trend of one point
// over 20 inspections of 10,000 points each, and that download exported
// as CSV; and the judging of an installation of 500 points over 5
// inspections, as the history window refreshes it, point by point and all
// at once. PostgreSQL runs on a private server started for the run.
#include "base/FileIO.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "comm/Receive.h"
#include "history/HistoryArchive.h"
#include "history/HistoryExport.h"
#include "history/Inspection.h"
#include "history/PointJudgement.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "structure/Evaluation.h"
#include "structure/StructureContext.h"
#include "support/PostgresServer.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstring>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

using namespace zentrova;

namespace {

constexpr int ResultCount = 65535;
constexpr int TrendInspections = 20;
constexpr int TrendPoints = 10000;

class QuietPrompts : public Prompts {
public:
    unsigned message(MsgType, const std::string&, unsigned, int) override { return MbOK; }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

std::string record(int block, int element, int i)
{
    return test::diagnosticRecord(block, element, std::to_string(10 + i % 90) + ".4", "3.1", "12.03.2024");
}

// The largest download as a transfer leaves it, decoded from records as the
// instrument sends them, and as the archive takes it.
struct Download {
    QTemporaryDir dir;
    QuietPrompts prompts;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<Inspection> inspection;
};

Download& largestDownload()
{
    static std::unique_ptr<Download> made;
    if (!made) {
        made = std::make_unique<Download>();
        const auto here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        for (const char* f : {"LNG_MAIN.INI", "english.lng", "slovenski.lng"})
            QFile::copy(QString::fromStdString((here / f).string()), made->dir.filePath(QString::fromLatin1(f)));
        made->ctx = std::make_unique<AppContext>(made->dir.path(), made->prompts);
        AppContext& ctx = *made->ctx;
        if (!loadProgramState(ctx))
            std::abort();
        ctx.document.familyCode = 14;
        applyFamilyProfile(ctx);
        for (int i = 0; i < ResultCount; ++i) {
            const std::string r = record(1 + i / 250, 1 + i % 250, i);
            decodeRecord(ctx, r.data(), r.size(), i + 1);
        }
        ctx.document.structure.table.setCell(1, 0, "Bench tester\r\r\r21480173");
        NullProgress progress;
        buildTreeFromResults(ctx, progress);
        made->inspection = std::make_unique<Inspection>(inspectionFromDocument(
            ctx.language, ctx.document, QString(), QDateTime::currentDateTime(), QStringLiteral("Bench plant")));
    }
    return *made;
}

// The step before an import: the open structure read into an inspection.
void BM_InspectionOfLargestDownload(benchmark::State& state)
{
    const AppContext& ctx = *largestDownload().ctx;
    size_t items = 0;
    for (auto _ : state) {
        const Inspection in =
            inspectionFromDocument(ctx.language, ctx.document, QString(), QDateTime::currentDateTime());
        items = 0;
        for (const InspectionMeasurement& m : in.measurements)
            items += m.items.size();
    }
    state.counters["items"] = double(items);
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
}
BENCHMARK(BM_InspectionOfLargestDownload)->Unit(benchmark::kMillisecond);

// Measurement `row` of a made inspection: point `row` of blocks of
// `perBlock` points, by `function` counted from the family's base of 500.
InspectionMeasurement madeMeasurement(int row, int perBlock, const char* elementName, long function,
                                      const char* functionName)
{
    InspectionMeasurement m;
    m.row = row;
    m.object = 1;
    m.block = 1 + (row - 1) / perBlock;
    m.element = 1 + (row - 1) % perBlock;
    m.blockName = QStringLiteral("Block %1").arg(m.block);
    m.elementName = QStringLiteral("%1 %2").arg(QLatin1String(elementName)).arg(m.element);
    m.functionCode = 500 + function;
    m.function = function;
    m.functionName = QString::fromLatin1(functionName);
    return m;
}

// An item added to `m`: its quantity and unit with the family's base (500)
// included, as a download holds them.
void addItem(InspectionMeasurement& m, StoredItemKind kind, long quantity, const char* quantityName, long unit,
             const QString& unitName, const QString& text, double number, const char* baseUnit)
{
    InspectionItem item;
    item.kind = kind;
    item.sequence = int(m.items.size());
    item.quantity = quantity;
    item.unit = unit;
    item.quantityName = QString::fromLatin1(quantityName);
    item.unitName = unitName;
    item.text = text;
    item.value.hasNumber = true;
    item.value.number = number;
    item.value.baseUnit = baseUnit;
    m.items.push_back(std::move(item));
}

// An inspection of `points` points made directly: year `year`, each point a
// resistance with its limit.
Inspection yearlyInspection(int year)
{
    Inspection in;
    in.site = QStringLiteral("Trend plant");
    in.takenAt = QDateTime(QDate(2000 + year, 3, 1), QTime(9, 0), Qt::UTC);
    in.fingerprint = QByteArray::number(year).toHex();
    for (int p = 0; p < TrendPoints; ++p) {
        InspectionMeasurement m = madeMeasurement(p + 1, 100, "Point", 0, "Insulation resistance");
        addItem(m, StoredItemKind::Result, 501, "Riso", 508, QStringLiteral("GOhm"), QString::number(40 - year),
                (40.0 - year) * 1e9, "Ohm");
        addItem(m, StoredItemKind::Parameter, 516, "Rlim", 508, QStringLiteral("MOhm"), QStringLiteral("50"), 50e6,
                "Ohm");
        in.measurements.push_back(std::move(m));
    }
    return in;
}

zentrova::test::PostgresServer* postgres(std::string* error)
{
    static std::unique_ptr<zentrova::test::PostgresServer> server;
    static QString why;
    static bool tried = false;
    if (!tried) {
        tried = true;
        server = std::make_unique<zentrova::test::PostgresServer>();
        if (!server->start(&why))
            server.reset();
    }
    if (!server)
        *error = "the private PostgreSQL server did not start: " + why.toStdString();
    return server.get();
}

// A new, empty archive on the engine: a file, or a database of the server.
bool freshLocation(bool server, ArchiveLocation& where, std::string* error)
{
    static QTemporaryDir dir;
    static int n = 0;
    ++n;
    if (!server) {
        where.engine = ArchiveLocation::Engine::SQLite;
        where.path = dir.filePath(QStringLiteral("bench-%1.sqlite").arg(n));
        return true;
    }
    zentrova::test::PostgresServer* pg = postgres(error);
    QString why;
    const QString name = QStringLiteral("bench_%1").arg(n);
    if (!pg || !pg->createDatabase(name, &why)) {
        if (error->empty())
            *error = why.toStdString();
        return false;
    }
    QString parseError;
    parseArchiveLocation(
        QStringLiteral("postgresql://%1@%2:%3/%4").arg(pg->userName(), pg->host()).arg(pg->port()).arg(name), where,
        &parseError);
    return true;
}

// A new, empty archive opened for writing; false after skipping the
// benchmark with the reason.
bool openFreshArchive(benchmark::State& state, bool server, HistoryArchive& archive)
{
    ArchiveLocation where;
    std::string error;
    QString why;
    if (!freshLocation(server, where, &error) || !archive.open(where, ArchiveAccess::Write, &why)) {
        state.SkipWithError((error + why.toStdString()).c_str());
        return false;
    }
    return true;
}

void BM_ImportLargestDownload(benchmark::State& state)
{
    const bool server = state.range(0) == 1;
    const Inspection& in = *largestDownload().inspection;
    for (auto _ : state) {
        state.PauseTiming();
        HistoryArchive archive;
        if (!openFreshArchive(state, server, archive))
            break;
        state.ResumeTiming();
        const ImportOutcome out = archive.importInspection(in);
        if (out.status != ImportOutcome::Status::Added) {
            state.SkipWithError(out.error.toStdString().c_str());
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
    state.SetLabel(server ? "PostgreSQL" : "SQLite");
}
BENCHMARK(BM_ImportLargestDownload)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TrendOfOnePoint(benchmark::State& state)
{
    const bool server = state.range(0) == 1;
    HistoryArchive archive;
    if (!openFreshArchive(state, server, archive))
        return;
    QString why;
    for (int year = 1; year <= TrendInspections; ++year)
        if (const ImportOutcome out = archive.importInspection(yearlyInspection(year));
            out.status != ImportOutcome::Status::Added) {
            state.SkipWithError(out.error.toStdString().c_str());
            return;
        }
    const qint64 site = archive.findInstallation(QStringLiteral("Trend plant"), &why);
    const qint64 point = archive.findPoint(site, 57, 42, &why);
    size_t samples = 0;
    for (auto _ : state) {
        Trend t;
        if (!archive.trend(point, 1, t, &why)) {
            state.SkipWithError(why.toStdString().c_str());
            break;
        }
        samples = t.samples.size();
    }
    state.counters["samples"] = double(samples);
    state.SetLabel(server ? "PostgreSQL" : "SQLite");
}
BENCHMARK(BM_TrendOfOnePoint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A figure of /proc/self/status, in kB: "VmRSS", "VmHWM".
long memoryFigure(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(std::strlen(name)) + 1).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The largest download exported as CSV into a file, as history export
// writes it: the archive holds that one inspection, its installation named
// after all its blocks as an older program named it (about 22 KB), or as it
// is named now. The memory counter is how far the peak of the process's
// resident memory rose during the exports.
void BM_ExportLargestInspection(benchmark::State& state)
{
    const bool server = state.range(0) == 1;
    const bool longSite = state.range(1) == 1;
    HistoryArchive archive;
    if (!openFreshArchive(state, server, archive))
        return;
    QString why;
    if (const ImportOutcome out = archive.importInspection(*largestDownload().inspection);
        out.status != ImportOutcome::Status::Added) {
        state.SkipWithError(out.error.toStdString().c_str());
        return;
    }
    if (longSite) {
        QStringList blocks;
        for (int b = 1; b <= ResultCount / 250 + 1; ++b)
            blocks << QStringLiteral("Switchgear block %1, feeder cubicles and cable terminations of section %1")
                          .arg(b, 3, 10, QLatin1Char('0'));
        QSqlQuery q(archive.database());
        q.prepare(QStringLiteral("UPDATE installations SET site = ?"));
        q.addBindValue(blocks.join(QStringLiteral(" / ")));
        if (!q.exec()) {
            state.SkipWithError(q.lastError().text().toStdString().c_str());
            return;
        }
    }
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("export.csv"));
    // The peak so far is forgotten: what counts is what the exports add.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const long before = memoryFigure("VmRSS:");
    qint64 bytes = 0;
    for (auto _ : state) {
        OutputFile out;
        if (!out.open(file, &why) || !writeHistoryCsv(archive, 0, out, &why) || !out.commit(&why)) {
            state.SkipWithError(why.toStdString().c_str());
            break;
        }
        bytes = QFileInfo(file).size();
    }
    state.counters["MB_written"] = double(bytes) / 1e6;
    state.counters["MB_peak_rise"] = double(memoryFigure("VmHWM:") - before) / 1e3;
    state.SetLabel(std::string(server ? "PostgreSQL" : "SQLite") + (longSite ? ", 22 KB site" : ""));
}
BENCHMARK(BM_ExportLargestInspection)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

constexpr int JudgedPoints = 500;
constexpr int JudgedInspections = 5;

// A yearly inspection of the judged installation: each point a diagnostic
// test with its 1-minute resistance, DAR, PI, temperature and limit.
Inspection diagnosticInspection(int year)
{
    Inspection in;
    in.site = QStringLiteral("Judged plant");
    in.takenAt = QDateTime(QDate(2020 + year, 3, 1), QTime(9, 0), Qt::UTC);
    in.fingerprint = QByteArray("judged-") + QByteArray::number(year);
    for (int p = 0; p < JudgedPoints; ++p) {
        InspectionMeasurement m = madeMeasurement(p + 1, 50, "Motor", 1, "Diagnostic test (DAR, PI)");
        const double pi = 4.0 - 0.4 * year - (p % 3) * 0.5;
        for (const auto& [kind, quantity, name, number, unit] :
             {std::tuple{StoredItemKind::Result, 504L, "R60s",
                         (0.1 + 0.2 * (p % 4) + 0.5 * (JudgedInspections - year)) * 1e9, "Ohm"},
              std::tuple{StoredItemKind::Result, 506L, "DAR", 1.2 + 0.1 * (p % 4), ""},
              std::tuple{StoredItemKind::Result, 507L, "PI", pi, ""},
              std::tuple{StoredItemKind::SubResult, 519L, "Temp", 20.0 + year, "degC"},
              std::tuple{StoredItemKind::Parameter, 516L, "Rlim", 50e6, "Ohm"}})
            addItem(m, kind, quantity, name, 500, QString(), QString::number(number), number, unit);
        in.measurements.push_back(std::move(m));
    }
    return in;
}

// The judging of every point of an installation, as the history window's
// refresh does it: point by point (five queries each), or the whole
// installation at once (three queries). Every point has equipment data.
void BM_JudgeInstallation(benchmark::State& state)
{
    const bool server = state.range(0) == 1;
    const bool atOnce = state.range(1) == 1;
    HistoryArchive archive;
    if (!openFreshArchive(state, server, archive))
        return;
    for (int year = 1; year <= JudgedInspections; ++year)
        if (const ImportOutcome out = archive.importInspection(diagnosticInspection(year));
            out.status != ImportOutcome::Status::Added) {
            state.SkipWithError(out.error.toStdString().c_str());
            return;
        }
    QString why;
    const qint64 site = archive.findInstallation(QStringLiteral("Judged plant"), &why);
    const std::vector<PointEntry> points = archive.points(site, &why);
    std::map<qint64, EquipmentData> equipment;
    for (const PointEntry& p : points)
        equipment[p.id] = EquipmentData{EquipmentType::FormWound, 6.3, ThermalClass::F, std::nullopt, std::nullopt};
    const auto here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const RuleSets rules = loadRuleSets({QString::fromStdString((here / "rules").string())}, nullptr);
    const EvaluationChoices choices;
    size_t attention = 0;
    for (auto _ : state) {
        std::map<qint64, PointAttention> judged;
        bool read = true;
        if (atOnce) {
            read = judgeInstallation(archive, site, equipment, rules, choices, judged, &why);
        } else {
            for (size_t i = 0; read && i < points.size(); ++i)
                read = judgePoint(archive, points[i].id, &equipment[points[i].id], rules, choices, judged[points[i].id],
                                  &why);
        }
        if (!read) {
            state.SkipWithError(why.toStdString().c_str());
            break;
        }
        attention = size_t(std::count_if(judged.begin(), judged.end(), [](const auto& j) { return j.second.any(); }));
    }
    state.counters["points"] = double(points.size());
    state.counters["attention"] = double(attention);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(points.size()));
    state.SetLabel(std::string(server ? "PostgreSQL" : "SQLite") + (atOnce ? ", all at once" : ", point by point"));
}
BENCHMARK(BM_JudgeInstallation)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

} // namespace
