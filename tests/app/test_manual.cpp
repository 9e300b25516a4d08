// The manual page keeps up with the program: every option that --help lists has an entry
// of its own, and every command and exit status is there.
#include "support_program.h"

#include "app/cli/CommandLine.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

TEST(ManualTest, DocumentsEveryOptionCommandAndExitStatus)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    QProcess program;
    copy.Start(program, { QStringLiteral("--help") });
    ASSERT_TRUE(program.waitForFinished(30000));
    const QString help = QString::fromUtf8(program.readAllStandardOutput());

    QFile file(qEnvironmentVariable("TALLYFORGE_SOURCE_DIR") + QStringLiteral("/data/tallyforge.1.in"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    QString manual = QString::fromUtf8(file.readAll());
    manual.replace(QStringLiteral("\\-"), QStringLiteral("-"));

    QSet<QString> options;
    static const QRegularExpression option(QStringLiteral("--([a-z][a-z-]*)"));
    for (auto match = option.globalMatch(help); match.hasNext();)
        options << match.next().captured(1);
    ASSERT_GE(options.size(), 10) << help.toStdString();
    for (const QString& name : options) {
        // A paragraph of its own: ".B --name" or ".BI --name ARG" opening a line.
        const QRegularExpression entry(QStringLiteral("^\\.BI? --%1( |$)").arg(QRegularExpression::escape(name)),
                                       QRegularExpression::MultilineOption);
        EXPECT_TRUE(entry.match(manual).hasMatch()) << "--" << name.toStdString() << " has no entry";
    }
    for (const char* command : { "print", "reprint", "resume", "log", "series show", "series set-next" }) {
        const QRegularExpression entry(QStringLiteral("^\\.BI? \"?%1(\"| |$)").arg(QRegularExpression::escape(QLatin1String(command))),
                                       QRegularExpression::MultilineOption);
        EXPECT_TRUE(entry.match(manual).hasMatch()) << command << " has no entry";
    }
    const QString exitStatus = manual.section(QStringLiteral(".SH EXIT STATUS"), 1).section(QStringLiteral(".SH "), 0, 0);
    for (int code : { cli::kDone, cli::kFailed, cli::kUsage, cli::kNotCompleted, cli::kStopped })
        EXPECT_TRUE(exitStatus.contains(QStringLiteral(".TP\n.B %1\n").arg(code))) << "exit status " << code;
}

} // namespace
