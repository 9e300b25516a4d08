// Start-up time of the window: from starting the process to the preview's first painted
// page, on the offscreen platform, median over several runs. Each run is a fresh process
// (this program again, with --once) that sets up the application as the program's main()
// does and stops the clock once the preview's page panel has finished its first paint.
// Usage: startup [runs]   (default 9, after one warm-up run)
#include "app/cli/CommandLine.h"
#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "platform/Translations.h"
#include "preview/DrawPanel.h"
#include "preview/Preview.h"

#include <QApplication>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// One clock for the whole machine, so the parent's start and the child's paint compare.
qint64 monotonicNs()
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Calls back once the page panel has handled its first paint with a page to show.
class FirstPaint : public QObject {
public:
    FirstPaint(const TDrawPanel& panel, std::function<void()> painted) : panel_(panel), painted_(std::move(painted)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_ && !panel_.PaperSize().isEmpty() && !panel_.PagePicture().isNull()) {
            seen_ = true;
            QTimer::singleShot(0, this, painted_); // after this paint has been done
        }
        return false;
    }

private:
    const TDrawPanel& panel_;
    std::function<void()> painted_;
    bool seen_ = false;
};

// The child: prints the milliseconds from startedNs to the first painted page.
int startOnce(const char* program, qint64 startedNs, const QString& settings)
{
    TunePrintingAllocator();
    int count = 1;
    char* arguments[] = { const_cast<char*>(program), nullptr };
    QApplication application(count, arguments);
    app::SetTitle(QStringLiteral("Tallyforge"));
    QCoreApplication::setApplicationVersion(cli::VersionText());
    FormatSettings::LoadFromSystem();
    app::InstallTranslations();

    TfrmTallyforge window(nullptr, settings);
    qint64 paintedNs = -1;
    FirstPaint watch(*window.Preview1->DrawPanel(), [&] {
        paintedNs = monotonicNs();
        window.close(); // as File > Exit: the settings file is written for the next run
    });
    window.Preview1->DrawPanel()->installEventFilter(&watch);
    window.show();
    QTimer::singleShot(60000, &application, [] { QCoreApplication::exit(1); });
    const int result = application.exec();
    Printer().ReleaseDevice();
    if (result != 0 || paintedNs < 0)
        return 1;
    std::printf("%.3f\n", (paintedNs - startedNs) / 1e6);
    return 0;
}

// The parent: one run; milliseconds, or -1 on failure.
double measureOnce(const QString& self, const QTemporaryDir& dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), dir.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setReadChannel(QProcess::StandardOutput);
    const qint64 started = monotonicNs();
    process.start(self, { QStringLiteral("--once"), QString::number(started), dir.filePath(QStringLiteral("Tallyforge.ini")) });
    if (!process.waitForFinished(90000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return -1;
    }
    bool ok = false;
    const double ms = process.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0)
        return startOnce(argv[0], QByteArray(argv[2]).toLongLong(), QString::fromLocal8Bit(argv[3]));

    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QTemporaryDir dir;
    const QString self = QCoreApplication::applicationFilePath();
    if (!dir.isValid() || measureOnce(self, dir) < 0) { // warm-up: caches, fonts, the settings file
        std::fprintf(stderr, "the window did not start\n");
        return 1;
    }
    std::vector<double> times;
    for (int run = 1; run <= runs; ++run) {
        const double ms = measureOnce(self, dir);
        if (ms < 0) {
            std::fprintf(stderr, "run %d failed\n", run);
            return 1;
        }
        std::printf("run %d: %.1f ms\n", run, ms);
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = times.size() % 2 ? times[times.size() / 2]
                                           : (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
    std::printf("startup median ms: %.0f\n", median);
    return 0;
}
