// The manual page keeps up with the program: every option that --help lists has an entry
// of its own, and every command and exit status is there.
#include "support_program.h"

#include "app/cli/CommandLine.h"
#include "platform/IniFile.h"
#include "run/SettingsFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

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
    for (const char* command : { "print", "reprint", "resume", "void", "log", "log --summary", "series show", "series set-next" }) {
        const QRegularExpression entry(QStringLiteral("^\\.BI? \"?%1(\"| |$)").arg(QRegularExpression::escape(QLatin1String(command))),
                                       QRegularExpression::MultilineOption);
        EXPECT_TRUE(entry.match(manual).hasMatch()) << command << " has no entry";
    }
    const QString exitStatus = manual.section(QStringLiteral(".SH EXIT STATUS"), 1).section(QStringLiteral(".SH "), 0, 0);
    for (int code : { cli::kDone, cli::kFailed, cli::kUsage, cli::kNotCompleted, cli::kStopped })
        EXPECT_TRUE(exitStatus.contains(QStringLiteral(".TP\n.B %1\n").arg(code))) << "exit status " << code;
}

// Every key the program reads from a settings file is on the manual page, under its
// section: a file with every section (items of both kinds, a sheet, artwork, a printer)
// is read, and each key asked for must have an entry.
TEST(ManualTest, DocumentsEverySettingsKeyTheProgramReads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tallyforge.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[SN]\nLastNumber=5\nStep=1\n[Printer]\nName=PDF\n[Sheet]\nColumns=2\n"
               "[Item3]\nKind=text\nName=Arial\nSize=9\nBold=1\nItalic=0\nColor=0\n"
               "[Item4]\nKind=barcode\n[Template]\nFile=art.pdf\nScope=ticket\n");
    file.close();
    QSet<std::pair<QString, QString>> read;
    TIniFile::ObserveReads([&read](const QString& section, const QString& key) { read.insert({ section, key }); });
    LoadSettingsFile(path);
    TIniFile::ObserveReads(nullptr);
    ASSERT_GE(read.size(), 40);

    QFile page(qEnvironmentVariable("TALLYFORGE_SOURCE_DIR") + QStringLiteral("/data/tallyforge.1.in"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString settings = QString::fromUtf8(page.readAll()).section(QStringLiteral(".SH SETTINGS"), 1).section(QStringLiteral(".SH "), 0, 0);
    for (const auto& [section, key] : read) {
        // Items are numbered: [Item3], [Item4], ... share one entry. A key opens its entry
        // (".B Key") or follows another in it ("\\fBKey").
        const QString heading = QStringLiteral(".SS [%1]").arg(section.startsWith(QStringLiteral("Item")) ? QStringLiteral("Item3") : section);
        const QString entries = settings.section(heading, 1).section(QStringLiteral(".SS "), 0, 0);
        const QRegularExpression entry(QStringLiteral("(^\\.B |\\\\fB)%1(?![A-Za-z0-9])").arg(key), QRegularExpression::MultilineOption);
        EXPECT_TRUE(entry.match(entries).hasMatch()) << "[" << section.toStdString() << "] " << key.toStdString();
    }
}

} // namespace
