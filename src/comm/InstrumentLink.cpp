// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/InstrumentLink.h"

#include "base/Settings.h"
#include "comm/PortDirectory.h"
#include "comm/SerialDevicePort.h"
#include "comm/TracingPort.h"
#include "language/LanguageContext.h"

#include <QFile>

namespace zentrova {

InstrumentLink::InstrumentLink(const Settings& settings) : directory_(std::make_unique<PortDirectory>(settings))
{
    const PortDirectory* dir = directory_.get();
    // The entry is resolved at each open, so an adapter plugged in after the
    // program started is found.
    serial_ = std::make_unique<SerialDevicePort>([dir](const QString& name) { return dir->resolve(name); });
    traced_ = std::make_unique<TracingPort>(*serial_);
    applyPortSettings(*traced_, selection);
}

InstrumentLink::InstrumentLink(Port& port) : traced_(std::make_unique<TracingPort>(port))
{
}

InstrumentLink::~InstrumentLink()
{
    if (traced_ && traced_->active())
        traced_->close();
}

Port& InstrumentLink::port()
{
    return *traced_;
}

void InstrumentLink::select(const PortChoice& choice)
{
    selection = choice;
    applyPortSettings(port(), choice);
}

void setUpComPort(const LanguageContext& ctx, InstrumentLink& link)
{
    link.select(loadPortChoice(ctx));
    link.loadTraceSetting(ctx.settings);
}

void InstrumentLink::setTraceFile(const QString& path)
{
    traced_->setTraceFile(path);
}

QString InstrumentLink::traceFile() const
{
    return traced_->traceFile();
}

void InstrumentLink::keepTrace(bool keep)
{
    traced_->keepTrace(keep);
}

std::string InstrumentLink::keptTrace() const
{
    return traced_->keptTrace();
}

void InstrumentLink::loadTraceSetting(const Settings& settings)
{
    setTraceFile(QFile::decodeName(QByteArray::fromStdString(settings.readSetting("PORTS", "Trace", ""))).trimmed());
}

InstrumentLink::BusyScope::BusyScope(InstrumentLink& link) : link_(link), acquired_(!link.busy_)
{
    if (acquired_) {
        link_.busy_ = true;
        if (link_.busyChanged)
            link_.busyChanged(true);
    }
}

InstrumentLink::BusyScope::~BusyScope()
{
    if (acquired_) {
        link_.busy_ = false;
        if (link_.busyChanged)
            link_.busyChanged(false);
    }
}

} // namespace zentrova
