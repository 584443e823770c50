// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "support/CupsServer.h"

#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <cups/cups.h>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zentrova::test {

namespace {

// A printer that takes PDF and writes it out through the pdftopdf filter, as
// a PDF printer does. It makes no copies itself (cupsManualCopies), so the
// filter writes every copy asked for into the file.
const char* const PdfPrinterPpd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TESTPDF.PPD"
*Manufacturer: "Test"
*Product: "(PDF File)"
*ModelName: "PDF File"
*ShortNickName: "PDF File"
*NickName: "PDF File"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*cupsVersion: 2.4
*cupsManualCopies: True
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 pdftopdf"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*ImageableArea Letter/Letter: "0 0 612 792"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
)ppd";

const char* const PdfFilter = "/usr/lib/cups/filter/pdftopdf";

QString findProgram(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size() && f.flush();
}

bool answers(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return connected;
}

} // namespace

CupsServer::CupsServer() = default;

CupsServer::~CupsServer()
{
    stop();
}

QString CupsServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port_);
}

QString CupsServer::outputFile(const QString& queue) const
{
    return dir_.filePath(QStringLiteral("out/") + queue + QStringLiteral(".pdf"));
}

QProcessEnvironment CupsServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), address());
    // No lpoptions of the user's: the server's default is the default.
    env.insert(QStringLiteral("HOME"), dir_.filePath(QStringLiteral("home")));
    env.remove(QStringLiteral("LPDEST"));
    env.remove(QStringLiteral("PRINTER"));
    return env;
}

bool CupsServer::start(QString* error)
{
    const QString cupsd = findProgram(QStringLiteral("cupsd"));
    QString missing;
    if (cupsd.isEmpty())
        missing = QStringLiteral("cupsd (Debian package cups)");
    else if (findProgram(QStringLiteral("lpadmin")).isEmpty() || findProgram(QStringLiteral("lpstat")).isEmpty())
        missing = QStringLiteral("lpadmin and lpstat (Debian package cups-client)");
    else if (!QFile::exists(QString::fromLatin1(PdfFilter)))
        missing = QStringLiteral("the pdftopdf filter (Debian package cups)");
    if (!missing.isEmpty()) {
        *error = missing + QStringLiteral(" is not installed: run scripts/install-deps");
        return false;
    }
    if (!dir_.isValid()) {
        *error = QStringLiteral("no temporary folder: ") + dir_.errorString();
        return false;
    }
    const QDir d(dir_.path());
    for (const char* sub : {"spool/tmp", "cache", "state", "log", "out", "home"})
        d.mkpath(QString::fromLatin1(sub));
    // Run as root, the scheduler starts its filters as `lp`, which must get
    // through the folder to the spool and the queues' PPDs.
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);

    port_ = freeLocalPort();
    if (port_ == 0) {
        *error = QStringLiteral("no free port on 127.0.0.1");
        return false;
    }
    const QByteArray root = dir_.path().toLocal8Bit();
    QByteArray files = "FileDevice Yes\n"
                       "ServerRoot " +
                       root +
                       "\n"
                       "RequestRoot " +
                       root +
                       "/spool\n"
                       "TempDir " +
                       root +
                       "/spool/tmp\n"
                       "CacheDir " +
                       root +
                       "/cache\n"
                       "StateDir " +
                       root +
                       "/state\n"
                       "AccessLog " +
                       root +
                       "/log/access_log\n"
                       "ErrorLog " +
                       root +
                       "/log/error_log\n"
                       "PageLog " +
                       root + "/log/page_log\n";
    if (::getuid() != 0) {
        // Not root: the scheduler cannot change users, so it runs everything
        // as the current user, who also administers it.
        const passwd* user = ::getpwuid(::getuid());
        const group* userGroup = ::getgrgid(::getgid());
        if (user && userGroup)
            files += QByteArray("User ") + user->pw_name + "\nGroup " + userGroup->gr_name + "\nSystemGroup " +
                     userGroup->gr_name + "\n";
    }
    const QByteArray conf = "Listen 127.0.0.1:" + QByteArray::number(port_) +
                            "\n"
                            "Browsing Off\n"
                            "WebInterface No\n"
                            "LogLevel debug\n"
                            "MaxLogSize 0\n"
                            "DefaultAuthType None\n"
                            "<Location />\n"
                            "Order Allow,Deny\n"
                            "Allow from 127.0.0.1\n"
                            "</Location>\n"
                            "<Policy default>\n"
                            "<Limit All>\n"
                            "Order Allow,Deny\n"
                            "Allow from 127.0.0.1\n"
                            "</Limit>\n"
                            "</Policy>\n";
    const QString confPath = dir_.filePath(QStringLiteral("cupsd.conf"));
    const QString filesPath = dir_.filePath(QStringLiteral("cups-files.conf"));
    if (!writeText(confPath, conf) || !writeText(filesPath, files) ||
        !writeText(dir_.filePath(QStringLiteral("pdf-file.ppd")), PdfPrinterPpd)) {
        *error = QStringLiteral("cannot write the server's configuration into ") + dir_.path();
        return false;
    }

    // The server goes with the test, also when the test dies.
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), confPath, QStringLiteral("-s"), filesPath});
    if (!cupsd_.waitForStarted(10000)) {
        *error = QStringLiteral("cupsd does not start: ") + cupsd_.errorString();
        return false;
    }
    const QDeadlineTimer deadline(20000);
    while (!answers(port_)) {
        if (cupsd_.state() != QProcess::Running || deadline.hasExpired()) {
            *error = QStringLiteral("cupsd does not answer on %1: %2 %3")
                         .arg(address(), QString::fromLocal8Bit(cupsd_.readAll()), logTail());
            stop();
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

void CupsServer::useInThisProcess()
{
    if (!usedHere_)
        previousServer_ = qgetenv("CUPS_SERVER");
    usedHere_ = true;
    qputenv("CUPS_SERVER", address().toLatin1());
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    // libcups remembers the server it found first.
    cupsSetServer(nullptr);
}

void CupsServer::stop()
{
    if (usedHere_) {
        if (previousServer_.isNull())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", previousServer_);
        cupsSetServer(nullptr);
        usedHere_ = false;
    }
    if (cupsd_.state() == QProcess::NotRunning)
        return;
    cupsd_.terminate();
    if (!cupsd_.waitForFinished(10000)) {
        cupsd_.kill();
        cupsd_.waitForFinished(5000);
    }
}

bool CupsServer::runClient(const QString& program, const QStringList& args, QString* output, QString* error) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(findProgram(program), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + u' ' + args.join(u' ') + QStringLiteral(" failed: ") +
                 QString::fromLocal8Bit(p.readAllStandardError()) + logTail();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return true;
}

bool CupsServer::addQueue(const QString& name, bool makeDefault, QString* error)
{
    QString ignored;
    if (!runClient(QStringLiteral("lpadmin"),
                   {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("file://") + outputFile(name), QStringLiteral("-P"),
                    dir_.filePath(QStringLiteral("pdf-file.ppd"))},
                   &ignored, error))
        return false;
    return !makeDefault || runClient(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}, &ignored, error);
}

bool CupsServer::waitForJobs(int timeoutMs, QString* error)
{
    const QDeadlineTimer deadline(timeoutMs);
    QString pending;
    for (;;) {
        if (!runClient(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &pending, error))
            return false;
        if (pending.trimmed().isEmpty())
            return true;
        if (deadline.hasExpired()) {
            *error = QStringLiteral("jobs still pending: ") + pending + logTail();
            return false;
        }
        QThread::msleep(100);
    }
}

QString CupsServer::logTail() const
{
    QFile f(dir_.filePath(QStringLiteral("log/error_log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // Errors and warnings only: the debug lines drown them.
    QStringList lines;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("E ") || line.startsWith("W "))
            lines << QString::fromLocal8Bit(line);
    return u'\n' + lines.mid(std::max<qsizetype>(0, lines.size() - 20)).join(u'\n');
}

} // namespace zentrova::test
