#include "support_cups.h"

#include "support_app.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cups/cups.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A PPD whose only filter passes PDF through, so the queue's output is a PDF that
// pdftotext can read. Letter paper with a printable area inset like a real laser.
const char* const kPassThroughPpd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TFPDF.PPD"
*Manufacturer: "Tallyforge Tests"
*Product: "(PDF file)"
*ModelName: "PDF file"
*ShortNickName: "PDF file"
*NickName: "PDF file"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Page Region: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
)ppd";

// A printer that reads part of its job, reports the pages its URI names and fails
// (CUPS_BACKEND_FAILED). Without arguments a backend lists the devices it knows.
const char* const kFailingBackend = R"sh(#!/bin/sh
if [ $# -eq 0 ]; then
  echo 'direct tffail "Unknown" "Failing printer"'
  exit 0
fi
pages=${DEVICE_URI#tffail://}
if [ -n "$6" ]; then exec <"$6"; fi
head -c 4096 >/dev/null
i=1
while [ "$i" -le "$pages" ]; do
  echo "PAGE: $i 1" >&2
  i=$((i + 1))
done
echo "ERROR: the printer jammed" >&2
exit 1
)sh";

bool canConnect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// cupsd runs its filters as lp, which must reach the folders.
void openUp(const QString& path, QFileDevice::Permissions extra = {})
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                    | QFileDevice::ReadOther | QFileDevice::ExeOther | extra);
}

} // namespace

PrivateCups::PrivateCups() = default;

PrivateCups::~PrivateCups() { Stop(); }

QString PrivateCups::UnavailableReason()
{
    if (::geteuid() != 0)
        return QStringLiteral("a private CUPS scheduler needs root");
    if (QStandardPaths::findExecutable(QStringLiteral("cupsd"), { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") }).isEmpty())
        return QStringLiteral("cupsd is not installed");
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin"), { QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin") }).isEmpty())
        return QStringLiteral("lpadmin is not installed");
    return {};
}

QString PrivateCups::Server() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

QString PrivateCups::OutputFile() const { return dir_ ? dir_->filePath(QStringLiteral("out/job.pdf")) : QString(); }

QString PrivateCups::AccessLog() const { return dir_ ? dir_->filePath(QStringLiteral("log/access_log")) : QString(); }

bool PrivateCups::AddFailingQueue(const QString& name, int pages)
{
    int code = -1;
    const QString out = RunTool(QStringLiteral("lpadmin"),
                                { QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                                  QStringLiteral("tffail://%1").arg(pages), QStringLiteral("-P"),
                                  dir_->filePath(QStringLiteral("tfraw.ppd")), QStringLiteral("-o"),
                                  QStringLiteral("printer-error-policy=abort-job") }, &code);
    if (code != 0)
        error_ = QStringLiteral("lpadmin failed: ") + out;
    return code == 0;
}

QString PrivateCups::JobAttributes(int job)
{
    // ipptool's own test file format: every attribute of the job, printed one a line.
    const QString test = dir_->filePath(QStringLiteral("get-job.test"));
    writeFile(test, "{\n OPERATION Get-Job-Attributes\n GROUP operation-attributes-tag\n"
                    " ATTR charset attributes-charset utf-8\n ATTR naturalLanguage attributes-natural-language en\n"
                    " ATTR uri job-uri $uri\n ATTR name requesting-user-name root\n"
                    " ATTR keyword requested-attributes all\n STATUS successful-ok\n}\n");
    return RunTool(QStringLiteral("ipptool"),
                   { QStringLiteral("-tv"), QStringLiteral("ipp://%1/jobs/%2").arg(Server()).arg(job), test });
}

bool PrivateCups::Start()
{
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tf-cups-XXXXXX"));
    if (!dir_->isValid()) {
        error_ = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    const QString root = dir_->path();
    openUp(root);
    for (const char* sub : { "spool", "log", "cache", "state", "tmp", "out", "ppd" }) {
        const QString path = root + QLatin1Char('/') + QLatin1String(sub);
        QDir().mkpath(path);
        openUp(path, QFileDevice::WriteGroup | QFileDevice::WriteOther);
    }
    // cupsd runs programs only from folders nobody else may write.
    for (const char* sub : { "bin", "bin/backend" }) {
        const QString path = root + QLatin1Char('/') + QLatin1String(sub);
        QDir().mkpath(path);
        openUp(path);
    }
    // The machine's filters and backends, plus the failing printer.
    const QDir machineBin(QStringLiteral("/usr/lib/cups"));
    for (const QString& sub : machineBin.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (sub != QStringLiteral("backend"))
            QFile::link(machineBin.filePath(sub), root + QStringLiteral("/bin/") + sub);
    }
    const QDir machineBackends(machineBin.filePath(QStringLiteral("backend")));
    for (const QString& name : machineBackends.entryList(QDir::Files))
        QFile::link(machineBackends.filePath(name), root + QStringLiteral("/bin/backend/") + name);
    const QString failing = root + QStringLiteral("/bin/backend/tffail");
    if (!writeFile(failing, kFailingBackend)) {
        error_ = QStringLiteral("cannot write the failing backend");
        return false;
    }
    openUp(failing);
    const QByteArray files = QStringLiteral(
        "FileDevice Yes\n"
        "ServerRoot %1\n"
        "ServerBin %1/bin\n"
        "RequestRoot %1/spool\n"
        "CacheDir %1/cache\n"
        "StateDir %1/state\n"
        "TempDir %1/tmp\n"
        "ErrorLog %1/log/error_log\n"
        "AccessLog %1/log/access_log\n"
        "PageLog %1/log/page_log\n"
        "User lp\nGroup lp\nSystemGroup root\n").arg(root).toUtf8();
    // The failing printer takes the PDF as it came, so only it reports pages done: a
    // filter in between would count every page it passed on.
    const QByteArray rawPpd = QByteArray(kPassThroughPpd).replace("application/vnd.cups-pdf application/pdf 0 -",
                                                                  "application/pdf application/vnd.cups-pdf 0 -");
    if (!writeFile(root + QStringLiteral("/cups-files.conf"), files)
        || !writeFile(root + QStringLiteral("/tfpdf.ppd"), kPassThroughPpd)
        || !writeFile(root + QStringLiteral("/tfraw.ppd"), rawPpd)) {
        error_ = QStringLiteral("cannot write the configuration");
        return false;
    }
    // The free port is only free when asked; another program may take it before cupsd
    // binds it, and then cupsd gives up: try again on another.
    for (int attempt = 0; attempt < 5 && !startScheduler(); ++attempt)
        Stop();
    if (scheduler_.state() != QProcess::Running)
        return false;
    int code = -1;
    const QString device = QStringLiteral("file://") + OutputFile();
    const QString out = RunTool(QStringLiteral("lpadmin"),
                                { QStringLiteral("-p"), QueueName(), QStringLiteral("-E"), QStringLiteral("-v"), device,
                                  QStringLiteral("-P"), root + QStringLiteral("/tfpdf.ppd") }, &code);
    if (code != 0) {
        error_ = QStringLiteral("lpadmin failed: ") + out;
        return false;
    }
    RunTool(QStringLiteral("lpadmin"), { QStringLiteral("-d"), QueueName() }, &code);
    if (code != 0) {
        error_ = QStringLiteral("cannot make the queue the default");
        return false;
    }
    return true;
}

bool PrivateCups::startScheduler()
{
    const QString root = dir_->path();
    port_ = apptest::FreePort();
    if (port_ == 0) {
        error_ = QStringLiteral("no free port");
        return false;
    }
    const QByteArray conf = QStringLiteral(
        "Listen 127.0.0.1:%1\n"
        "LogLevel warn\n"
        "AccessLogLevel all\n"
        "Browsing No\n"
        "WebInterface No\n"
        "DefaultAuthType None\n"
        "MaxJobs 0\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n").arg(port_).toUtf8();
    if (!writeFile(root + QStringLiteral("/cupsd.conf"), conf)) {
        error_ = QStringLiteral("cannot write the configuration");
        return false;
    }
    scheduler_.setProcessChannelMode(QProcess::MergedChannels);
    scheduler_.setStandardOutputFile(root + QStringLiteral("/log/cupsd.out"), QIODevice::Append);
    apptest::EndWithTest(scheduler_);
    scheduler_.start(QStringLiteral("/usr/sbin/cupsd"),
                     { QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                       QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf") });
    if (!scheduler_.waitForStarted(5000)) {
        error_ = QStringLiteral("cupsd did not start: ") + scheduler_.errorString();
        return false;
    }
    if (!waitUntilListening(15000)) {
        error_ = QStringLiteral("cupsd is not listening on port %1").arg(port_);
        return false;
    }
    error_.clear();
    return true;
}

bool PrivateCups::waitUntilListening(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (scheduler_.state() != QProcess::Running)
            return false;
        if (canConnect(port_))
            return true;
        QThread::msleep(50);
    }
    return false;
}

void PrivateCups::Stop()
{
    if (scheduler_.state() != QProcess::NotRunning) {
        scheduler_.terminate();
        if (!scheduler_.waitForFinished(10000)) {
            scheduler_.kill();
            scheduler_.waitForFinished(5000);
        }
    }
}

QString PrivateCups::RunTool(const QString& program, const QStringList& arguments, int* exitCode)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), Server());
    tool.setProcessEnvironment(environment);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    const bool finished = tool.waitForFinished(30000);
    if (exitCode)
        *exitCode = finished && tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return QString::fromLocal8Bit(tool.readAll());
}

bool PrivateCups::WaitForJobs(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        int code = -1;
        const QString pending = RunTool(QStringLiteral("lpstat"), { QStringLiteral("-o") }, &code);
        const QFileInfo output(OutputFile());
        if (code == 0 && pending.trimmed().isEmpty() && output.exists() && output.size() > 0)
            return true;
        QThread::msleep(200);
    }
    return false;
}

bool PrivateCups::AddLoginQueue(const QString& name)
{
    const QString root = dir_->path();
    QFile conf(root + QStringLiteral("/cupsd.conf"));
    const QByteArray policy = "<Policy tflogin>\n"
                              "  <Limit Create-Job Print-Job Print-URI Validate-Job Send-Document Send-URI>\n"
                              "    AuthType Basic\n    Require valid-user\n    Order deny,allow\n  </Limit>\n"
                              "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    if (!conf.open(QIODevice::ReadWrite) || (!conf.readAll().contains("<Policy tflogin>") && conf.write(policy) != policy.size())) {
        error_ = QStringLiteral("cannot add the login policy");
        return false;
    }
    conf.close();
    // A reload closes the listener and opens it again: wait until the scheduler answers
    // with the policy known (lpadmin refuses an unknown one).
    ::kill(pid_t(scheduler_.processId()), SIGHUP);
    const QString device = QStringLiteral("file://") + QFileInfo(OutputFile()).dir().filePath(name + QStringLiteral(".pdf"));
    QElapsedTimer timer;
    timer.start();
    QString out;
    while (timer.elapsed() < 15000) {
        int code = -1;
        out = RunTool(QStringLiteral("lpadmin"),
                      { QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), device, QStringLiteral("-P"),
                        root + QStringLiteral("/tfpdf.ppd"), QStringLiteral("-o"), QStringLiteral("printer-op-policy=tflogin") },
                      &code);
        if (code == 0)
            return true;
        QThread::msleep(50);
    }
    error_ = QStringLiteral("lpadmin failed: ") + out;
    return false;
}

bool PrivateCups::AddGoneIppPrinterQueue(const QString& name)
{
    int code = -1;
    const QString out = RunTool(QStringLiteral("lpadmin"),
                                { QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                                  QStringLiteral("ipp://127.0.0.1:%1/ipp/print").arg(apptest::FreePort()), QStringLiteral("-P"),
                                  dir_->filePath(QStringLiteral("tfraw.ppd")) }, &code);
    if (code != 0)
        error_ = QStringLiteral("lpadmin failed: ") + out;
    return code == 0;
}

QString PrivateCups::PendingJobs(const QString& queue) { return RunTool(QStringLiteral("lpstat"), { QStringLiteral("-o"), queue }); }

void PrivateCups::ServeThisProcess() const
{
    qputenv("CUPS_SERVER", Server().toLocal8Bit());
    cupsSetServer(nullptr);
    static QTemporaryDir home;
    apptest::UseHome(home.path());
    apptest::EnsureApplication();
}
