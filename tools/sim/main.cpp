// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// zentrova-sim: answers like a type-14 insulation tester on a pseudo-terminal.
//
//   zentrova-sim [--scenario FILE] [--set "STATEMENT"]... [--baud N]
//                [--delivery uart|usb|burst] [--idle-exit SECONDS]
//                [--log FILE] [--link PATH] [--stats FILE]
//
// Prints the device path of the pseudo-terminal on stdout (one line) and
// answers "MRD", "MWH", "MNU", "MSS", "MRE" and "MEX" from the scenario until
// no request came for --idle-exit seconds (60 by default). --set adds a
// statement after the scenario file (for example --set "fault stop-after 17").
// --log appends every request received, one per line. --link makes PATH a
// symbolic link to the device, so a COM entry can point at a fixed name; it
// is removed when the simulator ends, also on SIGTERM and SIGINT. --stats
// writes, when it ends, what crossed the line and how long the delivery held
// replies back beyond the line's own time (for the transfer benchmark).

#include "Scenario.h"
#include "base/ProgramLicence.h"

#include "comm/Protocol.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::string scenario;
    std::vector<std::string> statements;
    int baud = -1;
    int idleExit = 60;
    std::string log;
    std::string link;
    std::string stats;
    std::string delivery;
};

void usage(FILE* to)
{
    std::fprintf(to, "usage: zentrova-sim [--scenario FILE] [--set \"STATEMENT\"]... [--baud N]\n"
                     "                    [--delivery uart|usb|burst] [--idle-exit SECONDS]\n"
                     "                    [--log FILE] [--link PATH] [--stats FILE]\n");
}

void help()
{
    usage(stdout);
    std::printf("\n"
                "Answers like a 5 kV insulation tester on a pseudo-terminal and prints its\n"
                "device path on stdout (one line).\n"
                "\n"
                "  --scenario FILE     statements, one a line (data/demo-scenario is one)\n"
                "  --set \"STATEMENT\"   one more statement after the scenario file\n"
                "  --baud N            pace replies as a line at N baud would\n"
                "  --delivery MODE     how paced bytes reach the program (see \"delivery\")\n"
                "  --idle-exit SECONDS end when no request came for this long (default 60;\n"
                "                      0: never)\n"
                "  --log FILE          append every request received, one a line\n"
                "  --link PATH         make PATH a symbolic link to the device; removed again\n"
                "                      when the simulator ends (also on SIGTERM and SIGINT)\n"
                "  --version           print the version and the licence, and end\n"
                "  --stats FILE        when it ends, write the bytes each way and how long the\n"
                "                      delivery held replies back beyond the line's time\n"
                "\n"
                "Statements (# starts a comment; blank lines are ignored):\n"
                "  type CODE               instrument type code sent in the identification\n"
                "                          (114 and 14 are this family; 370 is another instrument)\n"
                "  text N \"TEXT\"           identification text N (1..10): 1-3 instrument lines,\n"
                "                          4 serial number, 5 firm data, 6 user data,\n"
                "                          7-10 instrument lines 4 to 7\n"
                "  record B E F ITEM...    one stored measurement: block B, element (measuring\n"
                "                          point) E, function byte F, then its items:\n"
                "                            R q u \"TEXT\"   result: quantity byte q, unit byte u\n"
                "                            M q u \"TEXT\"   further (sub-)result\n"
                "                            P q u \"TEXT\"   test parameter\n"
                "                            D \"TEXT\"       date\n"
                "                            T \"TEXT\"       time\n"
                "                            U \"TEXT\"       an item without a tag\n"
                "  raw HH HH ...           one record given byte by byte in hex\n"
                "  generate N              N more records made from typical results, twenty\n"
                "                          measuring points per block, after the blocks above\n"
                "  count N                 the record count the instrument announces\n"
                "                          (default: the number of records)\n"
                "  baud N                  pace replies as a line at N baud would (a byte takes\n"
                "                          11 bit times); 0 or absent: as fast as possible\n"
                "  delivery uart|usb|burst how paced bytes reach the program: uart each byte\n"
                "                          when it has crossed the line (default); usb gathered\n"
                "                          as a USB-serial adapter does, handed over at the\n"
                "                          latest usb-latency ms after the first waiting byte\n"
                "                          or once usb-packet bytes wait; burst a whole reply\n"
                "                          at once when its last byte has crossed the line\n"
                "  usb-latency MS          the adapter's latency timer (default 16)\n"
                "  usb-packet N            bytes that make the adapter hand over at once\n"
                "                          (default 62)\n"
                "\n"
                "Faults:\n"
                "  fault silent CMD [K]    no reply to CMD (only the first K times)\n"
                "  fault status CMD V [K]  acknowledge CMD with error status V (the first K times)\n"
                "  fault garbage CMD \"B\"   answer CMD with the bytes B\n"
                "  fault stale N           N stray bytes wait on the line before the first request\n"
                "  fault stop-after N      no reply to \"MRE\" after the N-th record\n"
                "  fault hangup-after N    the line goes dead after the N-th record\n"
                "  fault slow MS CMD [N]   MS milliseconds between the bytes of CMD's reply\n"
                "                          (between its first N bytes only)\n"
                "  fault truncate N K      the N-th record's reply announces its length but\n"
                "                          brings only K of its bytes\n"
                "  fault ident-size N      the identification payload padded (or cut) to N bytes\n"
                "\n"
                "CMD is one of MRD MEX MWH MNU MSS MRE. Texts are in double quotes; inside\n"
                "them \\r is a carriage return, \\n a line feed, \\t a tab, \\xHH any byte,\n"
                "\\\" and \\\\ themselves. For example:\n"
                "  zentrova-sim --scenario demo-scenario --set \"fault stop-after 17\"\n");
}

// The signal (SIGTERM, SIGINT) that asked the simulator to stop: the main
// loop ends and cleans up (the --link symlink above all) as it does after
// --idle-exit, then ends by that signal as the caller expects.
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int signal)
{
    stopRequested = signal;
}

int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void sleepUntil(int64_t ns)
{
    timespec ts{};
    ts.tv_sec = time_t(ns / 1'000'000'000);
    ts.tv_nsec = long(ns % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR && !stopRequested) {
    }
}

class Instrument {
public:
    Instrument(const sim::Scenario& s, int fd, FILE* log) : s_(s), fd_(fd), log_(log) {}

    // Takes bytes from the line; returns false when the line is to be hung up.
    bool feed(const char* data, size_t n);

    long long bytesOut = 0;
    // Summed over the replies: how long after its last byte crossed the line
    // each reply was complete at the program's end.
    int64_t heldBackNs = 0;

private:
    bool handle(zentrova::Request request, size_t requestBytes);
    void send(const std::string& bytes, const sim::CommandFault* fault, size_t requestBytes);
    void writeAll(const char* p, size_t n);

    const sim::Scenario& s_;
    int fd_;
    FILE* log_;
    std::string in_;
    size_t next_ = 0;  // next record to send
    int answered_ = 0; // records answered since "MSS"
    std::map<std::string, int> seen_;
};

void Instrument::writeAll(const char* p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd_, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return; // the far end is gone; nothing to do about it
        }
        p += w;
        n -= size_t(w);
    }
}

void Instrument::send(const std::string& bytes, const sim::CommandFault* fault, size_t requestBytes)
{
    bytesOut += (long long)bytes.size();
    const int slowMs = fault ? fault->slowMs : 0;
    const int slowBytes = fault ? fault->slowBytes : -1;
    if ((s_.baud <= 0 && slowMs <= 0) || bytes.empty()) {
        writeAll(bytes.data(), bytes.size());
        return;
    }
    // When each byte has crossed the line: a start bit, eight data bits and
    // two stop bits. The request took its own time to arrive before the
    // instrument could answer.
    const int64_t byteNs = s_.baud > 0 ? 11'000'000'000LL / s_.baud : 0;
    const size_t n = bytes.size();
    std::vector<int64_t> due(n);
    int64_t t = nowNs() + int64_t(requestBytes) * byteNs;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && slowMs > 0 && (slowBytes < 0 || int(i) < slowBytes))
            t += int64_t(slowMs) * 1'000'000;
        t += byteNs;
        due[i] = t;
    }
    // When each byte reaches the program.
    std::vector<int64_t> handover = due;
    if (s_.delivery == sim::Scenario::Delivery::Burst && slowMs <= 0) {
        std::fill(handover.begin(), handover.end(), due.back());
    } else if (s_.delivery == sim::Scenario::Delivery::Usb) {
        // The adapter hands over what waits once its latency timer (started
        // by the first waiting byte) runs out, or at once when a packet is full.
        const int64_t latencyNs = int64_t(s_.usbLatencyMs) * 1'000'000;
        const size_t packet = size_t(s_.usbPacket);
        for (size_t first = 0; first < n;) {
            const int64_t deadline = due[first] + latencyNs;
            size_t last = first;
            while (last + 1 < n && last + 1 - first < packet && due[last + 1] <= deadline)
                ++last;
            const int64_t at = last + 1 - first == packet ? due[last] : deadline;
            std::fill(handover.begin() + std::ptrdiff_t(first), handover.begin() + std::ptrdiff_t(last) + 1, at);
            first = last + 1;
        }
    }
    heldBackNs += handover.back() - due.back();
    // Bytes handed over together go out in one write when their time has come.
    for (size_t sent = 0; sent < n && !stopRequested;) {
        size_t end = sent + 1;
        while (end < n && handover[end] == handover[sent])
            ++end;
        sleepUntil(handover[sent]);
        writeAll(bytes.data() + sent, end - sent);
        sent = end;
    }
}

bool Instrument::handle(zentrova::Request request, size_t requestBytes)
{
    using zentrova::Request;
    const std::string cmd(zentrova::requestName(request));
    if (log_) {
        std::fprintf(log_, "%s\n", cmd.c_str());
        std::fflush(log_);
    }
    const int times = ++seen_[cmd];
    const auto f = s_.faults.find(cmd);
    const sim::CommandFault* fault = f != s_.faults.end() ? &f->second : nullptr;
    if (fault && (fault->silent < 0 || times <= fault->silent))
        return true;
    if (fault && fault->hasGarbage) {
        send(fault->garbage, fault, requestBytes);
        return true;
    }

    std::string reply;
    switch (request) {
    case Request::Start:
    case Request::End:
    case Request::FirstRecord: {
        int status = 0;
        if (fault && fault->status && (fault->statusTimes < 0 || times <= fault->statusTimes))
            status = fault->status;
        reply = zentrova::acknowledgeFrame(uint8_t(status));
        if (request == Request::FirstRecord) {
            next_ = 0;
            answered_ = 0;
        }
        break;
    }
    case Request::Identify:
        reply = zentrova::identificationFrame(s_.identificationPayload());
        break;
    case Request::Count:
        reply = zentrova::countFrame(s_.announcedCount());
        break;
    case Request::NextRecord:
        if (s_.hangupAfter >= 0 && answered_ >= s_.hangupAfter)
            return false;
        if (s_.stopAfter >= 0 && answered_ >= s_.stopAfter)
            return true;
        if (next_ < s_.records.size()) {
            const std::string& r = s_.records[next_++];
            ++answered_;
            // A truncated record still announces its whole length.
            reply = zentrova::recordHeader(int(r.size()));
            if (s_.truncateRecord == answered_)
                reply += r.substr(0, size_t(s_.truncateKeep));
            else
                reply += r;
        } else {
            reply = zentrova::recordHeader(0);
        }
        break;
    }
    send(reply, fault, requestBytes);
    return true;
}

bool Instrument::feed(const char* data, size_t n)
{
    in_.append(data, n);
    for (;;) {
        // Requests start with "M"; anything else is line noise.
        const size_t m = in_.find('M');
        if (m == std::string::npos) {
            in_.clear();
            return true;
        }
        in_.erase(0, m);
        if (in_.size() < zentrova::RequestNameSize)
            return true;
        zentrova::Request request;
        if (!zentrova::requestNamed(std::string_view(in_).substr(0, zentrova::RequestNameSize), request)) {
            in_.erase(0, 1);
            continue;
        }
        size_t used = zentrova::RequestNameSize;
        // "MRD" and "MEX" come with a byte 0 after them.
        if (zentrova::requestEndsWithZero(request) && in_.size() > used && in_[used] == '\0')
            ++used;
        in_.erase(0, used);
        if (!handle(request, used))
            return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zentrova-sim: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--scenario")
            o.scenario = value("--scenario");
        else if (a == "--set")
            o.statements.push_back(value("--set"));
        else if (a == "--baud")
            o.baud = std::atoi(value("--baud"));
        else if (a == "--idle-exit")
            o.idleExit = std::atoi(value("--idle-exit"));
        else if (a == "--log")
            o.log = value("--log");
        else if (a == "--link")
            o.link = value("--link");
        else if (a == "--stats")
            o.stats = value("--stats");
        else if (a == "--delivery")
            o.delivery = value("--delivery");
        else if (a == "--help" || a == "-h") {
            help();
            return 0;
        } else if (a == "--version") {
            std::printf("zentrova-sim %s\n%s", ZENTROVA_VERSION, zentrova::LicenceNotice);
            return 0;
        } else {
            usage(stderr);
            return 2;
        }
    }

    sim::Scenario scenario;
    std::string error;
    if (!o.scenario.empty() && !scenario.load(o.scenario, error)) {
        std::fprintf(stderr, "zentrova-sim: %s\n", error.c_str());
        return 2;
    }
    for (const std::string& st : o.statements)
        if (!scenario.apply(st, error)) {
            std::fprintf(stderr, "zentrova-sim: --set \"%s\": %s\n", st.c_str(), error.c_str());
            return 2;
        }
    if (o.baud >= 0)
        scenario.baud = o.baud;
    if (!o.delivery.empty() && !sim::Scenario::deliveryFromName(o.delivery, scenario.delivery)) {
        std::fprintf(stderr, "zentrova-sim: --delivery uart|usb|burst\n");
        return 2;
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "zentrova-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    char name[128] = {};
    if (ptsname_r(master, name, sizeof name) != 0) {
        std::fprintf(stderr, "zentrova-sim: no pseudo-terminal name: %s\n", std::strerror(errno));
        return 1;
    }
    // Raw line, no echo: the program sees exactly the bytes sent. Keeping the
    // device open here too means the line stays up while the program has it
    // closed between its operations.
    termios t{};
    if (tcgetattr(master, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
    }
    const int keep = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    // Without SA_RESTART, so that a wait in poll() or a paced reply ends at once.
    struct sigaction stop {};
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    // Pacing at 115200 baud needs wake-ups to the tens of microseconds.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

    if (!o.link.empty()) {
        ::unlink(o.link.c_str());
        if (::symlink(name, o.link.c_str()) != 0)
            std::fprintf(stderr, "zentrova-sim: %s: %s\n", o.link.c_str(), std::strerror(errno));
    }
    FILE* log = o.log.empty() ? nullptr : std::fopen(o.log.c_str(), "a");

    std::printf("%s\n", name);
    std::fflush(stdout);

    if (scenario.stale > 0) {
        // What a line picks up before anyone asks: noise, a half reply.
        std::string stale;
        for (int i = 0; i < scenario.stale; ++i)
            stale += char('!' + i % 90);
        const ssize_t w = ::write(master, stale.data(), stale.size());
        (void)w;
    }

    Instrument instrument(scenario, master, log);
    int64_t lastRequest = nowNs();
    long long bytesIn = 0;
    char buf[4096];
    while (!stopRequested) {
        pollfd p{master, POLLIN, 0};
        const int r = poll(&p, 1, 200);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) {
                bytesIn += n;
                lastRequest = nowNs();
                if (!instrument.feed(buf, size_t(n)))
                    break; // hang up: the cable was pulled
            }
        }
        if (o.idleExit > 0 && nowNs() - lastRequest > int64_t(o.idleExit) * 1'000'000'000)
            break;
    }
    if (log)
        std::fclose(log);
    if (!o.stats.empty())
        if (FILE* f = std::fopen(o.stats.c_str(), "w")) {
            std::fprintf(f, "bytes_to_instrument %lld\nbytes_from_instrument %lld\nheld_back_us %lld\n", bytesIn,
                         instrument.bytesOut, (long long)(instrument.heldBackNs / 1000));
            std::fclose(f);
        }
    if (keep >= 0)
        ::close(keep);
    ::close(master);
    if (!o.link.empty())
        ::unlink(o.link.c_str());
    if (stopRequested) {
        std::signal(stopRequested, SIG_DFL);
        std::raise(stopRequested);
    }
    return 0;
}
