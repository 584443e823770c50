// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// print FILE [--element NAME[/NAME]] [--printer QUEUE] [--copies N]: composes
// the results report of one element as `report` does and prints it on a
// queue of the CUPS server through Qt's print support.
#include "cli/Cli.h"

#include "report/ComposePages.h"

#include <QFileInfo>
#include <QPrinter>

#include <cups/cups.h>

#include <cstdio>

namespace zentrova::cli {

void printHelp()
{
    std::printf("Usage: zentrova-cli print FILE [--element NAME[/NAME]] [--printer QUEUE] [--copies N]\n\n"
                "Reads the structure file FILE and prints the results report of one element\n"
                "on a printer queue of the CUPS server: the pages zentrova-cli report writes\n"
                "as PDF, on A4 paper. The server is the one the CUPS set-up names (CUPS_SERVER\n"
                "in the environment overrides it).\n\n"
                "  --element NAME        a top-level element (block) by its name\n"
                "  --element NAME/NAME   a measuring point within it\n"
                "                        (a \"/\" within a name is written \\/, a\n"
                "                        backslash \\\\: --element \"TS 20\\/0.4 kV\")\n"
                "  --printer QUEUE       the printer queue (default: the default queue)\n"
                "  --copies N            N copies, 1 to 999, collated (default: 1)\n"
                "Without --element the element the file selects is reported (the first\n"
                "top-level element). The command ends once the server has taken the job.\n"
                "When no CUPS server answers, the queue does not exist, there is no default\n"
                "queue or the server refuses the job, it says so and ends with exit code 5.\n");
}

namespace {

constexpr int MaxCopies = 999;
// How long the server may take to answer the connection.
constexpr int ConnectTimeoutMs = 10000;

// The server as libcups finds it (CUPS_SERVER, the user's and the system's
// client.conf, else the local scheduler), with its port unless it is a
// local socket.
QString serverName()
{
    const QString server = QString::fromLocal8Bit(cupsServer());
    return server.startsWith(u'/') || server.contains(u':') ? server : server + u':' + QString::number(ippPort());
}

QString destName(const cups_dest_t& d)
{
    QString name = QString::fromUtf8(d.name);
    if (d.instance)
        name += u'/' + QString::fromUtf8(d.instance);
    return name;
}

QString queueNames(const cups_dest_t* dests, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << u'"' + destName(dests[i]) + u'"';
    return names.join(QStringLiteral(", "));
}

// The queue to print on: `wanted` ("NAME" or "NAME/INSTANCE"), or without
// it the user's default queue (LPDEST, PRINTER, lpoptions, else the
// server's). Empty after saying why there is none.
QString findQueue(const QString& wanted)
{
    const QString server = serverName();
    http_t* http =
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ConnectTimeoutMs, nullptr);
    if (!http) {
        fail(QStringLiteral("no CUPS server answers at %1").arg(server));
        return {};
    }
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http, &dests);
    QString queue;
    // A server without queues answers "not found".
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        fail(QStringLiteral("the CUPS server at %1 does not list its printer queues: %2")
                 .arg(server, QString::fromUtf8(cupsLastErrorString())));
    } else if (count == 0) {
        fail(QStringLiteral("the CUPS server at %1 has no printer queue").arg(server));
    } else if (wanted.isEmpty()) {
        if (const cups_dest_t* d = cupsGetDest(nullptr, nullptr, count, dests))
            queue = destName(*d);
        else
            fail(QStringLiteral("the CUPS server at %1 has no default printer queue; name one with --printer "
                                "(there are: %2)")
                     .arg(server, queueNames(dests, count)));
    } else {
        const qsizetype slash = wanted.indexOf(u'/');
        const QByteArray name = wanted.left(slash).toUtf8();
        const QByteArray instance = slash < 0 ? QByteArray() : wanted.mid(slash + 1).toUtf8();
        if (const cups_dest_t* d =
                cupsGetDest(name.constData(), instance.isEmpty() ? nullptr : instance.constData(), count, dests))
            queue = destName(*d);
        else
            fail(QStringLiteral("no printer queue \"%1\" on the CUPS server at %2 (there are: %3)")
                     .arg(wanted, server, queueNames(dests, count)));
    }
    cupsFreeDests(count, dests);
    httpClose(http);
    return queue;
}

} // namespace

int printCommand(const QStringList& args)
{
    FileArgs a;
    const QString printerOption = QStringLiteral("--printer"), copiesOption = QStringLiteral("--copies");
    if (const int rc = parseFileArgs(args, "print", {QStringLiteral("--element"), printerOption, copiesOption}, a);
        rc != ExitOk)
        return rc;
    if (a.file.isEmpty()) {
        fail(QStringLiteral("print needs FILE (see zentrova-cli print --help)"));
        return ExitUsage;
    }
    int copies = 1;
    if (a.has(copiesOption)) {
        bool ok = false;
        copies = a.value(copiesOption).toInt(&ok);
        if (!ok || copies < 1 || copies > MaxCopies) {
            fail(QStringLiteral("--copies takes a number from 1 to %1, not \"%2\"")
                     .arg(MaxCopies)
                     .arg(a.value(copiesOption)));
            return ExitUsage;
        }
    }
    if (a.has(printerOption) && a.value(printerOption).isEmpty()) {
        fail(QStringLiteral("--printer takes the name of a printer queue"));
        return ExitUsage;
    }

    // The queue is looked up first: without one, composing would be in vain.
    const QString queue = findQueue(a.value(printerOption));
    if (queue.isEmpty())
        return ExitCannotWrite;

    PageRecorder prn;
    if (const int rc = composeFileReport(a, "print", prn); rc != ExitOk)
        return rc;

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    // Without Qt's CUPS support the printer falls back to writing a PDF file,
    // and for a queue it does not know to the default one: neither is what
    // was asked for.
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != queue || !printer.isValid()) {
        fail(QStringLiteral("%1: Qt's print support cannot print on this queue (is its CUPS plug-in installed?)")
                 .arg(queue));
        return ExitCannotWrite;
    }
    printer.setDocName(QFileInfo(a.file).fileName());
    printer.setCreator(QStringLiteral("Zentrova"));
    printer.setFullPage(true);
    printer.setCopyCount(copies);
    printer.setCollateCopies(true);
    const int count = prn.pageCount();
    // A printer that makes the copies itself gets the pages once.
    const std::vector<int> order =
        printOrder(1, count, count, printer.supportsMultipleCopies() ? 1 : copies, printer.collateCopies());
    if (!replayPages(prn, printer, order)) {
        fail(QStringLiteral("%1: the pages could not be drawn for the printer").arg(queue));
        return ExitCannotWrite;
    }
    // Qt hands the job to CUPS when painting ends and keeps the answer to
    // itself; libcups, which it called on this thread, still holds it.
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        fail(QStringLiteral("%1: the CUPS server at %2 did not take the job: %3")
                 .arg(queue, serverName(), QString::fromUtf8(cupsLastErrorString())));
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
