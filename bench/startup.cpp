// Start-up time of the built program: from starting the process to the first painted
// preview page, on the offscreen platform, median over several runs.
// Usage: startup [runs]   (default 9, after one warm-up run)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch()).count();
}

// One start: the program writes the wall-clock time once its preview has painted, then
// exits through File > Exit. Returns milliseconds, or -1 on failure.
double startOnce(const QString& program, const QTemporaryDir& dir, int run)
{
    const QString stamp = dir.filePath(QStringLiteral("painted%1").arg(run));
    const QString script = dir.filePath(QStringLiteral("script%1").arg(run));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    file.write(QStringLiteral("await-painted\nwrite-time %1\ntrigger mnuExit\n").arg(stamp).toUtf8());
    file.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), dir.path());
    environment.insert(QStringLiteral("TALLYFORGE_TEST_SCRIPT"), script);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    const qint64 started = nowNs();
    process.start(program, {});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    QFile painted(stamp);
    if (!painted.open(QIODevice::ReadOnly))
        return -1;
    return (painted.readAll().trimmed().toLongLong() - started) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Tallyforge"));
    if (!dir.isValid() || !QFile::copy(QStringLiteral(TALLYFORGE_EXE), program)) {
        std::fprintf(stderr, "cannot copy %s\n", TALLYFORGE_EXE);
        return 1;
    }
    if (startOnce(program, dir, 0) < 0) { // warm-up: caches, fonts, the settings file
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    std::vector<double> times;
    for (int run = 1; run <= runs; ++run) {
        const double ms = startOnce(program, dir, run);
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
