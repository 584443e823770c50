// A 2,000-record transfer from zentrova-sim paced as a 115200-baud line:
// how close the transfer comes to the time the bytes need on the wire, and
// how much of a processor the program uses meanwhile. Counters:
//   wire_s         bytes in both directions x 11 bit times / 115200
//   wall_per_wire  wall time / wire time (goal: at most 1.10)
//   cpu_per_wall   the program's processor time / wall time (goal: at most 0.10)
// The same transfer unpaced (argument 0) shows the turnaround cost alone:
// the pseudo-terminal hands bytes over at once.
#include "base/Progress.h"
#include "base/Prompts.h"
#include "comm/InstrumentLink.h"
#include "comm/Receive.h"
#include "comm/SerialPortComm.h"
#include "language/Language.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace zentrova;

namespace {

constexpr int Baud = 115200;
constexpr int Records = 2000;

// Counts what crosses the line in either direction.
class CountingComm final : public Port {
public:
    explicit CountingComm(Port& inner) : inner_(inner) {}
    long long bytes = 0;
    void open() override { inner_.open(); }
    bool active() const override { return inner_.active(); }
    void close() override { inner_.close(); }
    void purge() override { inner_.purge(); }
    int inputCount() override { return inner_.inputCount(); }
    int outputCount() override { return inner_.outputCount(); }
    int read(char* b, int n) override
    {
        const int got = inner_.read(b, n);
        bytes += got;
        return got;
    }
    void write(const char* b, int n) override
    {
        inner_.write(b, n);
        bytes += n;
    }
    void waitForInput(int ms) override { inner_.waitForInput(ms); }
    void waitForOutput(int ms) override { inner_.waitForOutput(ms); }
    void setPortName(const QString& name) override { inner_.setPortName(name); }
    QString portName() const override { return inner_.portName(); }
    void setBaudRate(int baud) override { inner_.setBaudRate(baud); }
    int baudRate() const override { return inner_.baudRate(); }
    void setParity(Parity p) override { inner_.setParity(p); }
    void setDataBits(int bits) override { inner_.setDataBits(bits); }
    void setStopBits(int bits) override { inner_.setStopBits(bits); }

private:
    Port& inner_;
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QString ProgramDir()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + u'/';
}

// Starts the simulator; its device path comes on its first output line.
pid_t startSimulator(std::string& device, int pace)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const std::string sim = (ProgramDir() + QStringLiteral("zentrova-sim")).toStdString();
    const std::string generate = "generate " + std::to_string(Records);
    const std::string baud = std::to_string(pace);
    const char* argv[] = {sim.c_str(), "--set", generate.c_str(), "--baud", baud.c_str(), "--idle-exit", "20", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, sim.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n')
        device += c;
    close(out[0]);
    return pid;
}

void BM_Transfer2000RecordsAt115200(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "bench_transfer";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    SilentPrompts prompts;
    AppContext ctx(ProgramDir(), prompts);
    if (!loadProgramState(ctx)) {
        state.SkipWithError("no language files beside the benchmark");
        return;
    }
    for (auto _ : state) {
        std::string device;
        const pid_t sim = startSimulator(device, int(state.range(0)));
        if (sim < 0 || device.empty()) {
            state.SkipWithError("zentrova-sim did not start");
            return;
        }
        SerialPortComm serial;
        serial.setPortName(QString::fromStdString(device));
        serial.setBaudRate(Baud);
        CountingComm counting(serial);
        InstrumentLink link(counting);
        NullProgress progress;
        ReceiveHooks hooks;
        hooks.querySaveChanges = [] { return true; };

        const double cpu0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const ReceiveOutcome out = receiveResults(ctx, link, progress, hooks);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = cpuSeconds() - cpu0;

        kill(sim, SIGTERM);
        waitpid(sim, nullptr, 0);
        if (out.done != Records) {
            state.SkipWithError("the transfer did not bring every record");
            return;
        }
        const double wire = double(counting.bytes) * 11.0 / Baud;
        state.SetIterationTime(wall);
        state.counters["bytes"] = double(counting.bytes);
        state.counters["wire_s"] = wire;
        state.counters["wall_s"] = wall;
        state.counters["wall_per_wire"] = wall / wire;
        state.counters["cpu_per_wall"] = cpu / wall;
        state.counters["ms_per_record"] = wall * 1000.0 / Records;
    }
}
BENCHMARK(BM_Transfer2000RecordsAt115200)->Arg(Baud)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
