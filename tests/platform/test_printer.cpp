// The process printer: test devices, no printer at all, PDF output and file naming.
#include "TestApplication.h"

#include "platform/Exception.h"
#include "platform/Printer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <sys/file.h>

namespace {

const TDeviceCaps kCaps{600, 300, 5100, 3300, 100, 75, 4900, 3150};

QString PdfInfo(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {file});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QString& file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        TPrinter::InstallTestDevice(kCaps);
    }
    void TearDown() override
    {
        TPrinter::ResetForTests();
        qunsetenv("HOME");
        if (!savedHome.isEmpty())
            qputenv("HOME", savedHome);
        if (!savedConfig.isEmpty())
            qputenv("XDG_CONFIG_HOME", savedConfig);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    // Points the documents folder into the temporary folder.
    QString UseTemporaryHome()
    {
        savedHome = qgetenv("HOME");
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        return dir.filePath(QStringLiteral("Documents"));
    }
    void PrintOnePage(const QString& text)
    {
        Printer().BeginDoc();
        Printer().Canvas()->TextOut(0, 0, text);
        Printer().EndDoc();
    }
    QTemporaryDir dir;
    QByteArray savedHome;
    QByteArray savedConfig;
};

TEST_F(PrinterTest, TestDeviceReportsItsQuantitiesExactly)
{
    EXPECT_TRUE(Printer().HasHandle());
    EXPECT_EQ(Printer().Printers().size(), 1);
    EXPECT_EQ(Printer().PrinterIndex(), 0);
    EXPECT_EQ(Printer().DeviceCaps(), kCaps);
    EXPECT_EQ(Printer().Orientation(), poPortrait);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Printer().Canvas(), nullptr);
}

TEST_F(PrinterTest, LandscapeSwapsTheAxes)
{
    Printer().SetOrientation(poLandscape);
    EXPECT_EQ(Printer().Orientation(), poLandscape);
    EXPECT_EQ(Printer().DeviceCaps(), (TDeviceCaps{300, 600, 3300, 5100, 75, 100, 3150, 4900}));
    Printer().SetOrientation(poPortrait);
    EXPECT_EQ(Printer().DeviceCaps(), kCaps);
}

TEST_F(PrinterTest, NoPrinterAtAll)
{
    TPrinter::ClearInstalledPrinters();
    EXPECT_FALSE(Printer().HasHandle());
    EXPECT_TRUE(Printer().Printers().isEmpty());
    EXPECT_EQ(Printer().PdfPrinterIndex(), -1);
    EXPECT_THROW(Printer().BeginDoc(), Exception);
    EXPECT_THROW(Printer().DeviceCaps(), Exception);
}

TEST_F(PrinterTest, MachinePrintersEndWithTheBuiltInPdfPrinter)
{
    TPrinter::ResetForTests();
    const QStringList printers = Printer().Printers();
    ASSERT_FALSE(printers.isEmpty());
    EXPECT_EQ(printers.back(), QStringLiteral("PDF"));
    Printer().SetPrinterIndex(int(printers.size()) - 1);
    EXPECT_TRUE(Printer().IsPdfPrinter());
    EXPECT_EQ(Printer().PrinterName(), QStringLiteral("PDF"));
    const TDeviceCaps caps = Printer().DeviceCaps();
    EXPECT_EQ(caps.LogPixelsX, 600);
    EXPECT_GT(caps.PhysicalWidth, 0);
    EXPECT_LE(caps.PhysicalOffsetX + caps.HorzRes, caps.PhysicalWidth);
}

TEST_F(PrinterTest, RunPrintsToTheChosenFileThenBesideIt)
{
    const QString chosen = dir.filePath(QStringLiteral("serials.pdf"));
    Printer().SetOutputFileName(chosen);
    PrintOnePage(QStringLiteral("first"));
    EXPECT_EQ(Printer().LastOutputFile(), chosen);
    EXPECT_EQ(PdfText(chosen), QStringLiteral("first"));
    PrintOnePage(QStringLiteral("second"));
    EXPECT_EQ(Printer().LastOutputFile(), dir.filePath(QStringLiteral("serials (2).pdf")));
    EXPECT_EQ(PdfText(chosen), QStringLiteral("first")) << "an earlier document is never overwritten";
    EXPECT_EQ(PdfText(Printer().LastOutputFile()), QStringLiteral("second"));
    Printer().NewRun();
    PrintOnePage(QStringLiteral("third"));
    EXPECT_EQ(Printer().LastOutputFile(), chosen) << "a new run replaces the chosen file";
    EXPECT_EQ(PdfText(chosen), QStringLiteral("third"));
}

TEST_F(PrinterTest, PaperAndResolutionGoIntoThePdf)
{
    TPrinter::InstallTestDevice(TDeviceCaps{600, 600, 4961, 7016, 0, 0, 4961, 7016}); // A4
    const QString file = dir.filePath(QStringLiteral("a4.pdf"));
    Printer().SetOutputFileName(file);
    Printer().SetTitle(QStringLiteral("Sheet"));
    Printer().BeginDoc();
    EXPECT_TRUE(Printer().Printing());
    Printer().NewPage();
    Printer().Canvas()->TextOut(0, 0, QStringLiteral("2"));
    Printer().NewPage(); // never drawn: no page
    Printer().EndDoc();
    const QString info = PdfInfo(file);
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           2"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Sheet"))) << info.toStdString();
}

TEST_F(PrinterTest, WithoutAChosenFileTheDocumentsFolderIsUsedAndNothingOverwritten)
{
    const QString documents = UseTemporaryHome();
    ASSERT_FALSE(QDir(documents).exists());
    Printer().SetTitle(QStringLiteral("Run 7"));
    PrintOnePage(QStringLiteral("a"));
    EXPECT_EQ(Printer().LastOutputFile(), QDir(documents).filePath(QStringLiteral("Run 7.pdf")));
    PrintOnePage(QStringLiteral("b"));
    EXPECT_EQ(Printer().LastOutputFile(), QDir(documents).filePath(QStringLiteral("Run 7 (2).pdf")));
    Printer().SetTitle(QString());
    PrintOnePage(QStringLiteral("c"));
    EXPECT_EQ(Printer().LastOutputFile(), QDir(documents).filePath(QStringLiteral("Tallyforge.pdf")));
    Printer().SetTitle(QStringLiteral("../a/b"));
    PrintOnePage(QStringLiteral("d"));
    EXPECT_EQ(QFileInfo(Printer().LastOutputFile()).absolutePath(), QDir(documents).absolutePath());
    EXPECT_EQ(PdfText(QDir(documents).filePath(QStringLiteral("Run 7.pdf"))), QStringLiteral("a"));
}

TEST_F(PrinterTest, AbortRemovesThePartialFile)
{
    const QString file = dir.filePath(QStringLiteral("partial.pdf"));
    Printer().SetOutputFileName(file);
    Printer().BeginDoc();
    Printer().Canvas()->TextOut(0, 0, QStringLiteral("x"));
    Printer().Abort();
    EXPECT_FALSE(Printer().Printing());
    EXPECT_FALSE(QFile::exists(file));
    PrintOnePage(QStringLiteral("again"));
    EXPECT_EQ(Printer().LastOutputFile(), file) << "the chosen file was never completed";
}

TEST_F(PrinterTest, UnwritableOutputRaisesAClearError)
{
    // An earlier document's file is not this one's output.
    PrintOnePage(QStringLiteral("earlier"));
    ASSERT_FALSE(Printer().LastOutputFile().isEmpty());
    Printer().SetOutputFileName(dir.filePath(QStringLiteral("missing/folder/out.pdf")));
    try {
        Printer().BeginDoc();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot create file"))) << e.what();
    }
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Printer().LastOutputFile(), QString());
}

TEST_F(PrinterTest, PrintableOriginIsTheCanvasOrigin)
{
    // Printable area 100 x 100 pixels in from the paper's corner at 100 dpi: a mark at the
    // canvas origin lands one inch from the page's top-left corner.
    TPrinter::InstallTestDevice(TDeviceCaps{100, 100, 850, 1100, 100, 100, 650, 900});
    const QString file = dir.filePath(QStringLiteral("origin.pdf"));
    Printer().SetOutputFileName(file);
    Printer().BeginDoc();
    Printer().Canvas()->Font().SetPixelsPerInch(100);
    Printer().Canvas()->TextOut(0, 0, QStringLiteral("origin"));
    Printer().EndDoc();
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    process.waitForFinished(60000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>origin<")).match(html);
    ASSERT_TRUE(match.hasMatch()) << html.toStdString();
    EXPECT_NEAR(match.captured(1).toDouble(), 72.0, 2.0);
    EXPECT_NEAR(match.captured(2).toDouble(), 72.0, 4.0);
}

} // namespace

namespace {

// Nothing already in the folder is ever replaced or followed: a file and a dangling link
// under the run's name stay as they are, and the run goes beside them. A temporary left
// by a killed run goes with the next run; one that a live run holds stays.
TEST_F(PrinterTest, PublishingNeverReplacesOrFollowsAndSweepsOnlyOrphans)
{
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.pdf"));
    ASSERT_TRUE(QDir().mkpath(out));
    Printer().SetOutputFileName(QString());
    Printer().SetOutputFolder(out);
    QFile existing(out + QStringLiteral("/Run.pdf"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    ASSERT_TRUE(QFile::link(elsewhere, out + QStringLiteral("/Run (2).pdf")));
    const QString orphan = out + QStringLiteral("/.tallyforge-orphan.part");
    const QString held = out + QStringLiteral("/.tallyforge-inuse0.part");
    QFile(orphan).open(QIODevice::WriteOnly);
    QFile holder(held);
    ASSERT_TRUE(holder.open(QIODevice::WriteOnly));
    ASSERT_EQ(::flock(holder.handle(), LOCK_EX), 0);

    Printer().SetTitle(QStringLiteral("Run"));
    PrintOnePage(QStringLiteral("new"));
    EXPECT_EQ(Printer().LastOutputFile(), out + QStringLiteral("/Run (3).pdf"));
    EXPECT_EQ(PdfText(Printer().LastOutputFile()), QStringLiteral("new"));
    QFile kept(existing.fileName());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep"));
    EXPECT_FALSE(QFile::exists(elsewhere)) << "the link was followed";
    EXPECT_FALSE(QFile::exists(orphan));
    EXPECT_TRUE(QFile::exists(held));
}

} // namespace
