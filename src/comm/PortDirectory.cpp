// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/PortDirectory.h"

#include "base/Settings.h"
#include "comm/Port.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrova {

namespace {

int rankOf(const QString& systemPath)
{
    const QString name = QFileInfo(systemPath).fileName();
    if (name.startsWith(QLatin1String("ttyUSB")))
        return 0;
    if (name.startsWith(QLatin1String("ttyACM")))
        return 1;
    if (name.startsWith(QLatin1String("ttyS")))
        return 3;
    return 2;
}

QString withoutLeadingZeros(const QString& digits)
{
    qsizetype k = 0;
    while (k + 1 < digits.size() && digits[k] == u'0')
        ++k;
    return digits.mid(k);
}

// Compares names with their digit runs as numbers: ttyUSB2 < ttyUSB10.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const QString na = a.mid(i, ei - i), nb = b.mid(j, ej - j);
            // Leading zeros aside, the longer run is the larger number.
            const QString ta = withoutLeadingZeros(na), tb = withoutLeadingZeros(nb);
            if (ta.size() != tb.size())
                return ta.size() < tb.size();
            if (ta != tb)
                return ta < tb;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

// A built-in port whose driver found no UART reports type 0 (unknown).
bool builtInPortHasHardware(const QString& name)
{
    QFile f(QStringLiteral("/sys/class/tty/") + name + QStringLiteral("/type"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int type = f.readAll().trimmed().toInt(&ok);
    return ok && type != 0;
}

// device node -> its /dev/serial/by-id link (the name that survives re-plugging).
std::map<QString, QString> byIdLinks()
{
    std::map<QString, QString> links;
    const QDir dir(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& fi : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!fi.isSymLink())
            continue;
        const QString target = fi.canonicalFilePath();
        if (!target.isEmpty() && !links.count(target))
            links[target] = fi.absoluteFilePath();
    }
    return links;
}

} // namespace

std::vector<SerialDevice> orderSerialDevices(std::vector<SerialDevice> devices)
{
    std::stable_sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        const int ra = rankOf(a.systemPath), rb = rankOf(b.systemPath);
        if (ra != rb)
            return ra < rb;
        return naturalLess(QFileInfo(a.systemPath).fileName(), QFileInfo(b.systemPath).fileName());
    });
    return devices;
}

std::vector<SerialDevice> presentSerialDevices()
{
    const auto links = byIdLinks();
    std::vector<SerialDevice> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString node = info.systemLocation();
        const QString name = QFileInfo(node).fileName();
        if (name.startsWith(QLatin1String("ttyS")) && !builtInPortHasHardware(name))
            continue;
        SerialDevice d;
        d.systemPath = node;
        const auto link = links.find(node);
        d.path = link != links.end() ? link->second : node;
        d.description = info.description();
        if (d.description.isEmpty())
            d.description = info.manufacturer();
        found.push_back(std::move(d));
    }
    return orderSerialDevices(std::move(found));
}

std::array<QString, PortEntryCount> assignPortDevices(const std::array<QString, PortEntryCount>& chosen,
                                                      const std::vector<SerialDevice>& present)
{
    std::array<QString, PortEntryCount> out;
    auto isChosen = [&](const SerialDevice& d) {
        return std::any_of(chosen.begin(), chosen.end(),
                           [&](const QString& c) { return !c.isEmpty() && (c == d.path || c == d.systemPath); });
    };
    size_t next = 0;
    for (int i = 0; i < PortEntryCount; ++i) {
        if (!chosen[size_t(i)].isEmpty()) {
            out[size_t(i)] = chosen[size_t(i)];
            continue;
        }
        while (next < present.size() && isChosen(present[next]))
            ++next;
        if (next < present.size())
            out[size_t(i)] = present[next++].path;
    }
    return out;
}

QString portEntryName(int portNumber)
{
    return QStringLiteral("COM") + QString::number(portNumber);
}

int portNumberOf(const QString& name)
{
    if (!name.startsWith(QLatin1String("COM")))
        return 0;
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    return ok && n >= 1 && n <= PortEntryCount && name.mid(3) == QString::number(n) ? n : 0;
}

PortDirectory::PortDirectory(const Settings& settings, Scan scan) : settings_(settings), scan_(std::move(scan))
{
}

QString PortDirectory::chosenDevice(int portNumber) const
{
    if (portNumber < 1 || portNumber > PortEntryCount)
        return {};
    const std::string v = settings_.readSetting("PORTS", portEntryName(portNumber).toStdString(), "");
    return QFile::decodeName(QByteArray::fromStdString(v)).trimmed();
}

void PortDirectory::setChosenDevice(int portNumber, const QString& path) const
{
    if (portNumber < 1 || portNumber > PortEntryCount)
        return;
    settings_.writeSetting("PORTS", portEntryName(portNumber).toStdString(),
                           QFile::encodeName(path.trimmed()).toStdString());
}

std::array<QString, PortEntryCount> PortDirectory::devices() const
{
    std::array<QString, PortEntryCount> chosen;
    for (int i = 0; i < PortEntryCount; ++i)
        chosen[size_t(i)] = chosenDevice(i + 1);
    return assignPortDevices(chosen, scan_ ? scan_() : std::vector<SerialDevice>{});
}

QString PortDirectory::resolve(const QString& portName) const
{
    const int n = portNumberOf(portName);
    if (n == 0)
        return portName;
    return devices()[size_t(n - 1)];
}

DeviceCheck checkDevicePath(const QString& path)
{
    // A relative name would be looked up in whatever folder the program was
    // started from.
    if (!path.startsWith(u'/'))
        return DeviceCheck::Missing;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return DeviceCheck::Missing;
    return S_ISCHR(st.st_mode) ? DeviceCheck::CharacterDevice : DeviceCheck::NotCharacterDevice;
}

std::string openFailureAdvice(const SerialError& error)
{
    if (error.kind() != SerialError::Kind::Open)
        return {};
    if (error.systemError() != EACCES && error.systemError() != EPERM)
        return {};
    const QByteArray path = QFile::encodeName(error.device());
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0)
        return {};
    std::string group;
    std::vector<char> buf(16384);
    struct group g {};
    struct group* res = nullptr;
    if (getgrgid_r(st.st_gid, &g, buf.data(), buf.size(), &res) == 0 && res && res->gr_name)
        group = res->gr_name;
    if (group.empty() || st.st_gid == 0) {
        // Owned by root alone: only a rule that hands the device to a group helps.
        return "Only the administrator may use " + path.toStdString() +
               ": give it to a group of serial users (a udev rule) and add your user to that group.";
    }
    return path.toStdString() + " belongs to the group \"" + group + "\": add your user to it (sudo usermod -aG " +
           group + " $USER), then log out and in again.";
}

} // namespace zentrova
