// The settings file against what a user, a second process or another locale may do to it:
// a path that is no regular file, a save racing the counter, a comma locale, lines the
// program does not know, values nobody checks.
#include "support_program.h"

#include "FileBytes.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "run/Calibration.h"
#include "run/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using filebytes::ReadAll;
using filebytes::WriteBytes;

bool IsKind(const QString& path, mode_t kind)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

QStringList PrintArguments(const QString& settings, const QString& output)
{
    return { QStringLiteral("print"), QStringLiteral("--settings"), settings, QStringLiteral("--count"),
             QStringLiteral("1"), QStringLiteral("--quiet"), QStringLiteral("--output"), output };
}

// `--settings` naming a device through a link once replaced the device with a regular
// file (the atomic rename went through the link), and a pipe made the program wait for
// ever. A device node of our own, in a folder of our own, plays /dev/null: the real one
// is never at risk.
TEST(SettingsFileKind, DeviceOrPipeIsRefusedNeverReplacedNorWaitedFor)
{
    ProgramCopy program;
    ASSERT_EQ(program.Error(), QString());
    const QString pipe = program.Dir() + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QStringList targets { pipe };
    const QString device = program.Dir() + QStringLiteral("/null");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets.prepend(device); // root (or CAP_MKNOD) only
    else
        std::cerr << "No device node could be made here; the pipe stands in alone.\n";

    for (const QString& target : targets) {
        const mode_t kind = target == pipe ? S_IFIFO : S_IFCHR;
        const QString link = program.Dir() + QStringLiteral("/link-to-") + QFileInfo(target).fileName() + ".ini";
        ASSERT_TRUE(QFile::link(target, link));
        for (const QString& settings : { link, target }) {
            QString errors;
            const int code = program.Run(PrintArguments(settings, program.Dir() + QStringLiteral("/x.pdf")), &errors, 15000);
            EXPECT_NE(code, -1) << "the program hung on " << settings.toStdString();
            EXPECT_NE(code, 0) << settings.toStdString();
            EXPECT_TRUE(errors.contains(settings) && errors.contains(QStringLiteral("not a regular file")))
                << errors.toStdString();
            EXPECT_TRUE(IsKind(target, kind)) << target.toStdString() << " was replaced";
            EXPECT_TRUE(IsKind(link, S_IFLNK));
            EXPECT_FALSE(QFile::exists(program.Dir() + QStringLiteral("/x.pdf")));
        }
    }
}

// Saving a calibration or the window's settings rewrote the file without the counter's
// lock, so a number reserved by a print in the meantime was put back and printed again.
// A real program prints one page at a time while this process saves in a loop; every
// reservation must stay.
TEST(SettingsFileRace, SavesWhilePrintingLoseNoReservation)
{
    ProgramCopy program;
    ASSERT_EQ(program.Error(), QString());
    const QString settingsPath = program.SettingsFile();
    WriteBytes(settingsPath, "[SN]\r\nLastNumber=0\r\nPrefix=R-\r\n\r\n");
    constexpr int kPrints = 60;

    QProcess printer;
    QString loop = QStringLiteral("for i in $(seq %1); do \"$0\" print --settings \"$1\" --count 1 --quiet --force "
                                  "--output \"$2/run$i.pdf\" || echo \"print $i failed\" >&2; done")
                       .arg(kPrints);
    printer.setProcessEnvironment(program.Environment());
    printer.start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), loop, program.Program(), settingsPath, program.Dir() });
    ASSERT_TRUE(printer.waitForStarted());

    TallyforgeSettings settings = LoadSettingsFile(settingsPath);
    int saves = 0;
    while (!printer.waitForFinished(0)) {
        if (saves % 2 == 0) {
            calibration::Store(settingsPath, QStringLiteral("office"), calibration::TOffset { 0.001 * (saves % 100 + 1), 0 });
        } else {
            settings.PageCount = saves;
            SaveSettingsFile(settingsPath, settings, /*writeLastNumber=*/false);
        }
        ++saves;
        // A window saves now and then, not back to back: the prints get their turn.
        QThread::msleep(3);
    }
    EXPECT_EQ(printer.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(printer.readAllStandardError());
    EXPECT_FALSE(errors.contains(QStringLiteral("failed"))) << errors.toStdString();
    EXPECT_GT(saves, kPrints);
    EXPECT_EQ(LoadSettingsFile(settingsPath).LastNumber, kPrints) << "after " << saves << " saves";
}

class SettingsFileText : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path() const { return dir_.filePath(QStringLiteral("Tallyforge.ini")); }

    QTemporaryDir dir_;
};

// A German session wrote "HorizontalIndent2=4,5", which an English one read as the default.
TEST_F(SettingsFileText, FloatingValuesMoveBetweenLocales)
{
    TallyforgeSettings settings;
    settings.HorizontalIndent2 = 4.5;
    settings.Calibrations.insert(QStringLiteral("office"), calibration::TOffset { 0.25, -0.125 });
    {
        ScopedFormatSettings german(u',', u'.');
        SaveSettingsFile(Path(), settings);
    }
    const QByteArray written = ReadAll(Path());
    EXPECT_TRUE(written.contains("HorizontalIndent2=4.5\r\n")) << written.constData();
    EXPECT_TRUE(written.contains("office.X=0.25\r\noffice.Y=-0.125\r\n")) << written.constData();
    {
        ScopedFormatSettings english(u'.', u',');
        const TallyforgeSettings read = LoadSettingsFile(Path());
        EXPECT_DOUBLE_EQ(read.HorizontalIndent2, 4.5);
        EXPECT_EQ(read.Calibrations, settings.Calibrations);
    }

    // What a comma locale once wrote still reads, in either locale.
    WriteBytes(Path(), "[Paper]\r\nVerticalIndent=2,75\r\n[Calibration]\r\noffice.X=0,5\r\n");
    for (const char16_t separator : { u'.', u',' }) {
        ScopedFormatSettings locale(separator, separator == u'.' ? u',' : u'.');
        const TallyforgeSettings read = LoadSettingsFile(Path());
        EXPECT_DOUBLE_EQ(read.VerticalIndent, 2.75);
        EXPECT_DOUBLE_EQ(read.Calibrations.value(QStringLiteral("office")).X, 0.5);
    }
}

// The first save dropped a comment before the first section and rewrote a Latin-1 line
// of a section the program does not know as UTF-8; a prefix typed with a blank at its end
// came back without it; calibrations spelt in two cases were two printers.
TEST_F(SettingsFileText, WhatTheUserWroteComesBackAsWritten)
{
    const QByteArray comment = "; station 3, do not edit\r\n";
    const QByteArray legacy = "[Legacy]\r\nOperator=Jos\xE9 Mu\xF1oz\r\n  ; keep   \r\n\r\n";
    WriteBytes(Path(), comment + "[SN]\r\nLastNumber=7\r\nPrefix=old\r\n\r\n" + legacy
                           + "[Calibration]\r\nofficE.X=0.25\r\noffice.Y=0.5\r\n");
    TallyforgeSettings settings = LoadSettingsFile(Path());
    EXPECT_EQ(settings.Calibrations.size(), 1);
    EXPECT_EQ(settings.Calibrations.value(QStringLiteral("OFFICE")), (calibration::TOffset { 0.25, 0.5 }));

    settings.Prefix = QStringLiteral("No. ");
    settings.Suffix = QStringLiteral(" \"x\"");
    SaveSettingsFile(Path(), settings);
    const QByteArray saved = ReadAll(Path());
    EXPECT_TRUE(saved.startsWith(comment + "[SN]\r\nLastNumber=7\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains(legacy)) << saved.constData();
    const TallyforgeSettings read = LoadSettingsFile(Path());
    EXPECT_EQ(read.Prefix, QStringLiteral("No. "));
    EXPECT_EQ(read.Suffix, QStringLiteral(" \"x\""));
    EXPECT_EQ(read.Calibrations.size(), 1);

    // Saving what was read changes nothing, byte for byte.
    SaveSettingsFile(Path(), read);
    EXPECT_EQ(ReadAll(Path()), saved);

    // One printer whatever the case it is stored under: removing it removes both keys.
    calibration::Store(Path(), QStringLiteral("Office"), std::nullopt);
    EXPECT_TRUE(LoadSettingsFile(Path()).Calibrations.isEmpty()) << ReadAll(Path()).constData();

    // An older file without quotes reads as before.
    WriteBytes(Path(), "[SN]\r\nPrefix= A- \r\nSuffix=/B\r\n");
    EXPECT_EQ(LoadSettingsFile(Path()).Prefix, QStringLiteral("A-"));
    EXPECT_EQ(LoadSettingsFile(Path()).Suffix, QStringLiteral("/B"));
}

// [SN] Digits=2147483647 took 12.6 GB and printed nothing; huge sizes and offsets
// overflowed the page arithmetic. The reader holds each within its limit.
TEST_F(SettingsFileText, ValuesBeyondTheirLimitsReadAsTheLimit)
{
    WriteBytes(Path(), "[SN]\r\nDigits=2147483647\r\n[Font]\r\nSize=2147483647\r\n"
                       "[Paper]\r\nHorizontalIndent=1e300\r\nVerticalIndent=-1e300\r\nHorizontalIndent2=99.5\r\n"
                       "[Calibration]\r\noffice.X=-1e300\r\noffice.Y=3e9\r\n");
    TallyforgeSettings read = LoadSettingsFile(Path());
    EXPECT_EQ(read.Digits, 32); // as the command line's --digits
    EXPECT_EQ(read.Font.Size, 1000);
    EXPECT_EQ(read.HorizontalIndent, 100.0);
    EXPECT_EQ(read.VerticalIndent, -100.0);
    EXPECT_EQ(read.HorizontalIndent2, 99.5);
    EXPECT_EQ(read.Calibrations.value(QStringLiteral("office")), (calibration::TOffset { -100.0, 100.0 }));

    WriteBytes(Path(), "[SN]\r\nDigits=-5\r\n[Font]\r\nSize=-2147483648\r\n");
    read = LoadSettingsFile(Path());
    EXPECT_EQ(read.Digits, 0);
    EXPECT_EQ(read.Font.Size, 1);
}

} // namespace
