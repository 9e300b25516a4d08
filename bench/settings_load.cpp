// Settings files that have grown large: the time to load and save a 1.5 MB settings file
// as the main window does at start and close, with the peak memory of that process, and
// the time to load a 40,000-item history. Each measurement runs in a fresh process so its
// peak memory is its own; the figures are medians.
// Usage: settings_load [runs] [settings megabytes]   (defaults 7 and 1.5)
#include "run/SettingsFile.h"
#include "platform/Printer.h"
#include "widgets/Persistence.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int kHistoryItems = 40000;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PeakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// About 100,000 small sections the program does not know (kept by every save), then
// its own four.
QByteArray SettingsFile(qsizetype size)
{
    QByteArray bytes;
    for (int n = 1; bytes.size() < size; ++n)
        bytes += '[' + QByteArray::number(n) + "]\r\nk=" + QByteArray::number(n % 10) + "\r\n\r\n";
    bytes += "[SN]\r\nLastNumber=41\r\nPageCount=10\r\nPrefix=No. \r\nSuffix=\r\n\r\n"
             "[Paper]\r\nHorizontalIndent=1\r\nVerticalIndent=1\r\nHorizontalIndent2=1\r\nVerticalIndent2=1\r\n\r\n"
             "[Font]\r\nName=Arial\r\nSize=24\r\nColor=0\r\nBold=0\r\nUnderline=0\r\nItalic=0\r\nStrikeout=0\r\n\r\n"
             "[View]\r\nWholePage=1\r\n\r\n";
    return bytes;
}

QByteArray HistoryFile()
{
    QByteArray bytes = "[History]\r\n";
    for (int n = 1; n <= kHistoryItems; ++n)
        bytes += "Item" + QByteArray::number(n) + "=Value " + QByteArray::number(n * 7) + "\r\n";
    return bytes + "\r\n";
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Child: one measurement, printed as "<seconds> <peak MB> <peak MB before the work>".
int Measure(const QString& what, const QString& path)
{
    TunePrintingAllocator();
    const double before = PeakMegabytes();
    const auto start = std::chrono::steady_clock::now();
    if (what == u"settings") {
        TallyforgeSettings settings = LoadSettingsFile(path);
        if (settings.LastNumber != 41)
            return 1;
        settings.LastNumber += 10;
        SaveSettingsFile(path, settings);
    } else {
        THistoryPersist persist;
        persist.SetEnable(true);
        persist.SetKey(path);
        persist.SetSection(QStringLiteral("History"));
        if (persistence::LoadHistory(persist).size() != kHistoryItems)
            return 1;
    }
    const double seconds = SecondsSince(start);
    std::printf("%.6f %.3f %.3f\n", seconds, PeakMegabytes(), before);
    return 0;
}

struct Figures {
    double seconds;
    double peakMegabytes;
    double baseMegabytes;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool RunChild(const QString& what, const QString& path, Figures& figures)
{
    // Each run starts from the same file.
    if ((QFile::exists(path) && !QFile::remove(path)) || !QFile::copy(path + QStringLiteral(".orig"), path))
        return false;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--measure"), what, path });
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return false;
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 3)
        return false;
    figures = { parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble() };
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 4 && arguments[1] == u"--measure")
        return Measure(arguments[2], arguments[3]);
    if (arguments.size() == 5 && arguments[1] == u"--write") {
        const bool written = WriteFile(arguments[2] + QStringLiteral(".orig"), SettingsFile(qsizetype(arguments[4].toDouble() * 1e6)))
            && WriteFile(arguments[3] + QStringLiteral(".orig"), HistoryFile());
        return written ? 0 : 1;
    }

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const double megabytes = argc > 2 ? std::max(0.001, atof(argv[2])) : 1.5;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString settingsPath = dir.filePath(QStringLiteral("Tallyforge.ini"));
    const QString historyPath = dir.filePath(QStringLiteral("History.ini"));
    // A forked child starts from its parent's peak memory, so the files are made by a
    // child of their own and the parent stays small.
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--write"), settingsPath, historyPath, QString::number(megabytes) });
    if (!writer.waitForFinished(-1) || writer.exitStatus() != QProcess::NormalExit || writer.exitCode() != 0)
        return 1;
    const qsizetype settingsSize = QFileInfo(settingsPath + QStringLiteral(".orig")).size();
    const qsizetype historySize = QFileInfo(historyPath + QStringLiteral(".orig")).size();

    std::vector<double> settingsSeconds, settingsPeak, settingsBase, historySeconds;
    for (int run = 0; run < runs; ++run) {
        Figures figures {};
        if (!RunChild(QStringLiteral("settings"), settingsPath, figures)) {
            std::fprintf(stderr, "settings run failed\n");
            return 1;
        }
        settingsSeconds.push_back(figures.seconds);
        settingsPeak.push_back(figures.peakMegabytes);
        settingsBase.push_back(figures.baseMegabytes);
        if (!RunChild(QStringLiteral("history"), historyPath, figures)) {
            std::fprintf(stderr, "history run failed\n");
            return 1;
        }
        historySeconds.push_back(figures.seconds);
    }
    std::printf("settings file: %.2f MB; history: %d items (%.2f MB); median of %d runs\n",
        settingsSize / 1e6, kHistoryItems, historySize / 1e6, runs);
    std::printf("settings load+save: %.3f s, peak memory %.1f MB (%.1f MB before loading)\n",
        Median(settingsSeconds), Median(settingsPeak), Median(settingsBase));
    std::printf("history load: %.3f s\n", Median(historySeconds));
    std::printf("load+save %.3f s, peak %.1f MB, history %.3f s\n", Median(settingsSeconds),
        Median(settingsPeak), Median(historySeconds));
    return 0;
}
