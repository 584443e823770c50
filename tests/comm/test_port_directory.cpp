// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The sixteen COM entries and the devices behind them.
#include "comm/PortDirectory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zentrova::test {
namespace {

SerialDevice dev(const char* node, const char* link = nullptr)
{
    return SerialDevice{QString::fromLatin1(link ? link : node), QString::fromLatin1(node), QString()};
}

std::vector<QString> nodes(const std::vector<SerialDevice>& d)
{
    std::vector<QString> out;
    for (const auto& x : d)
        out.push_back(x.systemPath);
    return out;
}

TEST(PortDirectory, UsbAdaptersFirstInNaturalOrder)
{
    const auto ordered = orderSerialDevices({dev("/dev/ttyS1"), dev("/dev/ttyUSB10"), dev("/dev/ttyACM0"),
                                             dev("/dev/ttyUSB2"), dev("/dev/ttyAMA0"), dev("/dev/ttyS0")});
    EXPECT_EQ(nodes(ordered), (std::vector<QString>{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyAMA0",
                                                    "/dev/ttyS0", "/dev/ttyS1"}));
}

TEST(PortDirectory, ChoicesKeepTheirEntriesAndTheRestFillIn)
{
    const std::vector<SerialDevice> present = {
        dev("/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0"), dev("/dev/ttyUSB1"),
        dev("/dev/ttyS0")};
    std::array<QString, PortEntryCount> chosen;
    chosen[1] = QStringLiteral("/dev/ttyUSB1"); // COM2
    chosen[4] = QStringLiteral("/dev/pts/7");   // COM5, not present now
    const auto d = assignPortDevices(chosen, present);
    EXPECT_EQ(d[0], QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0"));
    EXPECT_EQ(d[1], QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(d[2], QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(d[3], QString());
    EXPECT_EQ(d[4], QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(d[15], QString());

    // A choice naming the adapter by its by-id link takes it out of the automatic order too.
    std::array<QString, PortEntryCount> byId;
    byId[2] = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0");
    const auto e = assignPortDevices(byId, present);
    EXPECT_EQ(e[0], QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(e[1], QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(e[2], byId[2]);
}

TEST(PortDirectory, ChoicesLiveInTheSettingsAndResolveEntries)
{
    LoadedProgram p;
    PortDirectory dir(p.ctx->language.settings, [] { return std::vector<SerialDevice>{dev("/dev/ttyUSB0")}; });
    dir.setChosenDevice(3, QStringLiteral("/dev/pts/4"));
    EXPECT_EQ(p.ctx->language.settings.readSetting("PORTS", "COM3", ""), "/dev/pts/4");
    EXPECT_EQ(dir.resolve(QStringLiteral("COM1")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(dir.resolve(QStringLiteral("COM3")), QStringLiteral("/dev/pts/4"));
    EXPECT_EQ(dir.resolve(QStringLiteral("COM2")), QString());
    EXPECT_EQ(dir.resolve(QStringLiteral("/dev/ttyACM1")), QStringLiteral("/dev/ttyACM1"));
    dir.setChosenDevice(3, QString());
    EXPECT_EQ(dir.resolve(QStringLiteral("COM3")), QString());
}

TEST(PortDirectory, EntryNumbers)
{
    for (const auto& [name, n] : std::vector<std::pair<const char*, int>>{
             {"COM1", 1}, {"COM16", 16}, {"COM0", 0}, {"COM17", 0}, {"COM05", 0}, {"com3", 0}, {"COM", 0}})
        EXPECT_EQ(portNumberOf(QString::fromLatin1(name)), n) << name;
}

} // namespace
} // namespace zentrova::test
