// The whole road of a print from the toolbar to the built-in PDF printer, read back with
// poppler: numbers, pages and positions on paper, the counter in the settings file.
#include "support_app.h"

#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/FormatSettings.h"
#include "platform/Printer.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class PdfEndToEndTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        home_ = home.path();
        apptest::UseHome(home_);
        // No CUPS queue: the built-in PDF printer is the default.
        qputenv("CUPS_SERVER", "127.0.0.1:1");
        apptest::EnsureApplication();
    }

    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        settingsPath_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
        TPrinter::ResetForTests();
        app::SetErrorHandler([this](const QString&, const QString& text) { errors_ << text; });
        QDir documents(home_ + QStringLiteral("/Documents"));
        for (const QString& name : documents.entryList(QDir::Files))
            documents.remove(name);
    }

    void TearDown() override
    {
        app::SetErrorHandler(nullptr);
        TPrinter::ResetForTests();
    }

    std::unique_ptr<TfrmTallyforge> MakeWindow()
    {
        return std::make_unique<TfrmTallyforge>(nullptr, settingsPath_);
    }

    static QString home_;
    QTemporaryDir dir_;
    QString settingsPath_;
    QStringList errors_;
    ScopedFormatSettings formats_ { QLatin1Char('.'), QLatin1Char(',') };
};

QString PdfEndToEndTest::home_;

TEST_F(PdfEndToEndTest, ToolbarPrintToPdfThenFileThenRestart)
{
    auto window = MakeWindow();
    ASSERT_EQ(Printer().PrinterName(), QStringLiteral("PDF"));
    window->txtStartingSN->SetText(QStringLiteral("100"));
    window->txtPageCount->SetText(QStringLiteral("5"));
    window->txtPrefix->SetText(QStringLiteral("A-"));
    window->txtSuffix->SetText(QStringLiteral("/B"));
    window->txtHorizontalIndent->SetText(QStringLiteral("1.00"));
    window->txtVerticalIndent->SetText(QStringLiteral("0.50"));
    window->txtHorizontalIndent2->SetText(QStringLiteral("2.50"));
    window->txtVerticalIndent2->SetText(QStringLiteral("4.00"));
    window->ToolButton1->trigger();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();

    const QString pdf = Printer().LastOutputFile();
    ASSERT_TRUE(QFileInfo::exists(pdf)) << pdf.toStdString();
    EXPECT_EQ(QFileInfo(pdf).absolutePath(), QDir(home_ + QStringLiteral("/Documents")).absolutePath());
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().contains(pdf));
    ASSERT_EQ(apptest::PdfPageCount(pdf), 5);

    // Where the canvas origin (the printable area's corner) lies on the paper, in points.
    const QPointF origin = apptest::PrintableOriginPoints();
    const double originX = origin.x();
    const double originY = origin.y();
    const QList<apptest::PdfWord> words = apptest::PdfWords(pdf);
    for (int page = 1; page <= 5; ++page) {
        const QList<apptest::PdfWord> found = apptest::PdfWordsOnPage(words, page, QStringLiteral("A-%1/B").arg(99 + page));
        ASSERT_EQ(found.size(), 2) << "page " << page;
        // The glyphs start a little right of and below the cell's corner.
        EXPECT_NEAR(found[0].xMin, originX + 72.0, 3.0) << "page " << page;
        EXPECT_NEAR(found[0].yMin, originY + 36.0, 4.0) << "page " << page;
        EXPECT_NEAR(found[1].xMin, originX + 180.0, 3.0) << "page " << page;
        EXPECT_NEAR(found[1].yMin, originY + 288.0, 4.0) << "page " << page;
    }
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("105"));
    EXPECT_EQ(apptest::IniValue(settingsPath_, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("104"));

    // File > Print: the same run again, into a new file, the start left alone.
    window->mnuPrint->trigger();
    const QString second = Printer().LastOutputFile();
    EXPECT_NE(second, pdf);
    EXPECT_TRUE(QFileInfo::exists(pdf)); // never overwritten
    EXPECT_EQ(apptest::PdfPageCount(second), 5);
    EXPECT_TRUE(apptest::PdfText(second, 1).contains(QStringLiteral("A-105/B")));
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("105"));
    EXPECT_EQ(apptest::IniValue(settingsPath_, QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("104"));

    window->close();
    window.reset();
    auto restarted = MakeWindow();
    EXPECT_EQ(restarted->txtStartingSN->Text(), QStringLiteral("105"));
    EXPECT_EQ(restarted->txtPrefix->Text(), QStringLiteral("A-"));
    EXPECT_EQ(restarted->txtVerticalIndent2->Text(), QStringLiteral("4.00"));
}

TEST_F(PdfEndToEndTest, WrapPastTheLargestNumberOnPaper)
{
    auto window = MakeWindow();
    window->txtStartingSN->SetText(QStringLiteral("2147483647"));
    window->txtPageCount->SetText(QStringLiteral("2"));
    window->txtVerticalIndent2->SetText(QStringLiteral("3.00"));
    // The run is asked about once, and printed on Yes.
    QStringList questions;
    app::SetQuestionHandler([&](const QString&, const QString& text) { questions << text; return true; });
    window->ToolButton1->trigger();
    app::SetQuestionHandler(nullptr);
    ASSERT_TRUE(errors_.isEmpty());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("The run passes 2147483647"))) << questions[0].toStdString();
    const QString pdf = Printer().LastOutputFile();
    EXPECT_TRUE(apptest::PdfText(pdf, 1).contains(QStringLiteral("2147483647")));
    EXPECT_TRUE(apptest::PdfText(pdf, 2).contains(QStringLiteral("-2147483648")));
    // The counter wraps the same way: the next number is -2147483647.
    EXPECT_EQ(window->txtStartingSN->AsInteger(), -2147483647);
    EXPECT_EQ(apptest::IniValue(settingsPath_, QStringLiteral("SN"), QStringLiteral("LastNumber")),
              QStringLiteral("-2147483648"));
}

} // namespace
