// `tallyforge log --serial N` on a journal of 100,000 runs: the whole process, from start
// to exit, for a serial near the oldest end. Prints the median of the rounds.
// Usage: journal_log [runs] [rounds]   (default 100000 runs, 9 rounds)
#include "run/Journal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 9;
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("Tallyforge.ini"));
    {
        // Each run as the program leaves it: its interrupted record, then its final one.
        QFile journal(TJournal::PathBeside(settings));
        journal.open(QIODevice::WriteOnly);
        QByteArray text = TJournal::Header().toUtf8() + "\r\n";
        TJournalRecord record;
        record.kind = TRunKind::Print;
        record.prefix = QStringLiteral("T-");
        record.printer = QStringLiteral("office");
        record.user = QStringLiteral("clerk");
        record.host = QStringLiteral("desk1");
        const QDateTime start = QDateTime::fromString(QStringLiteral("2026-01-01T08:00:00.000Z"), Qt::ISODateWithMs);
        for (int run = 0; run < runs; ++run) {
            record.started = start.addSecs(run * 60);
            record.first = run * 10 + 1;
            record.last = run * 10 + 10;
            record.status = TRunStatus::Interrupted;
            record.pages = 0;
            record.finished = QDateTime();
            record.output.clear();
            text += TJournal::ToCsv(record).toUtf8() + "\r\n";
            record.status = TRunStatus::Completed;
            record.pages = 10;
            record.finished = record.started.addSecs(5);
            record.output = QStringLiteral("/home/clerk/Documents/Tallyforge %1-%2.pdf").arg(*record.first).arg(*record.last);
            text += TJournal::ToCsv(record).toUtf8() + "\r\n";
        }
        journal.write(text);
        std::printf("journal: %d runs, %.1f MB\n", runs, text.size() / 1e6);
    }
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("HOME"), dir.path());
        program.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        program.start(QStringLiteral(TALLYFORGE_EXE), { QStringLiteral("log"), QStringLiteral("--serial"), QStringLiteral("15"),
                                                         QStringLiteral("--settings"), settings });
        if (!program.waitForFinished(60000) || program.exitCode() != 0)
            return 1;
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (round == 0)
            std::printf("%s", program.readAllStandardOutput().constData());
    }
    std::sort(times.begin(), times.end());
    std::printf("log --serial median ms: %.0f\n", times[times.size() / 2]);
    return 0;
}
