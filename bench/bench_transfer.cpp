// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// A transfer as users run it: `zentrova-cli receive` from zentrova-sim on a
// pseudo-terminal, for each way an adapter delivers the bytes (uart: each byte
// when it has crossed the line; usb: gathered by a USB-serial adapter's
// latency timer and packet size; burst: a whole reply at once) at 9,600 and
// 115,200 baud. Counters:
//   wire_s                bytes in both directions x 11 bit times / baud
//   held_back_s           what the delivery itself added to the replies beyond
//                         the line's time (the usb adapter's latency timer)
//   wall_per_wire         the tool's wall time / wire time
//   wall_per_line_adapter wall time / (wire time + held back): what the
//                         program adds to what the line and adapter allow
//   cpu_per_wall          the tool's processor time (user + system) / wall
//   wakeups_per_record    times the tool went to sleep and was woken
//                         (voluntary context switches) per record
// The tool's start (language files, settings) is inside the wall time, as a
// user sees it.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const std::array<const char*, 3> Deliveries = {"uart", "usb", "burst"};

std::string programDir()
{
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(n > 0 ? size_t(n) : 0);
    return path.substr(0, path.rfind('/') + 1);
}

pid_t spawn(const std::vector<std::string>& args, int stdoutFd)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// The simulator's device path comes on its first output line.
pid_t startSimulator(const std::string& dir, int records, int baud, const char* delivery, const std::string& stats,
                     std::string& device)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const pid_t pid = spawn({dir + "zentrova-sim", "--set", "generate " + std::to_string(records), "--baud",
                             std::to_string(baud), "--delivery", delivery, "--stats", stats, "--idle-exit", "20"},
                            out[1]);
    close(out[1]);
    char c;
    while (pid > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
        device += c;
    close(out[0]);
    return pid;
}

std::map<std::string, double> readStats(const std::string& path)
{
    std::map<std::string, double> values;
    std::ifstream in(path);
    std::string key;
    double value;
    while (in >> key >> value)
        values[key] = value;
    return values;
}

void BM_ReceiveWithTheTool(benchmark::State& state)
{
    const char* delivery = Deliveries[size_t(state.range(0))];
    const int baud = int(state.range(1));
    // About eight seconds of wire time at either rate.
    const int records = baud >= 100000 ? 2000 : 200;
    state.SetLabel(std::string(delivery) + " " + std::to_string(records) + " records");
    const std::string dir = programDir();
    char folder[] = "/tmp/bench-transfer-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string stats = std::string(folder) + "/stats";
    const std::string output = std::string(folder) + "/received.ZIT";

    for (auto _ : state) {
        std::string device;
        const pid_t sim = startSimulator(dir, records, baud, delivery, stats, device);
        if (sim < 0 || device.empty()) {
            state.SkipWithError("zentrova-sim did not start");
            return;
        }
        const int devNull = ::open("/dev/null", O_WRONLY);
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t tool = spawn(
            {dir + "zentrova-cli", "receive", "--port", device, "--baud", std::to_string(baud), "-o", output}, devNull);
        int status = -1;
        rusage usage{};
        if (tool > 0)
            wait4(tool, &status, 0, &usage);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        close(devNull);
        kill(sim, SIGTERM);
        waitpid(sim, nullptr, 0);
        if (tool < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the transfer did not bring every record");
            break;
        }
        auto values = readStats(stats);
        const double bytes = values["bytes_to_instrument"] + values["bytes_from_instrument"];
        const double wire = bytes * 11.0 / baud;
        const double heldBack = values["held_back_us"] / 1e6;
        const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        state.SetIterationTime(wall);
        state.counters["wire_s"] = wire;
        state.counters["held_back_s"] = heldBack;
        state.counters["wall_per_wire"] = wall / wire;
        state.counters["wall_per_line_adapter"] = wall / (wire + heldBack);
        state.counters["cpu_per_wall"] = cpu / wall;
        state.counters["wakeups_per_record"] = double(usage.ru_nvcsw) / records;
    }
    std::remove(stats.c_str());
    std::remove(output.c_str());
    rmdir(folder);
}
BENCHMARK(BM_ReceiveWithTheTool)
    ->ArgNames({"delivery", "baud"})
    ->ArgsProduct({{0, 1, 2}, {115200, 9600}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace
