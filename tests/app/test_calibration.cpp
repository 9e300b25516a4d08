// Printer calibration: the sheet's crosshairs where they belong on the paper, measured
// from the paper's edges on a printer that moves and shrinks the page, the offset read off it moving the printed numbers (window and command line), one offset
// per printer, and the preview framing the printable area.
#include "support_app.h"
#include "support_window.h"

#include "app/CalibrationDialog.h"
#include "platform/FormatSettings.h"
#include "run/Journal.h"
#include "run/SettingsFile.h"
#include "preview/DrawPanel.h"
#include "preview/Preview.h"
#include "preview/PreviewLayout.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

class CalibrationTest : public WindowTest {
protected:
    QByteArray Bytes() const
    {
        QFile file(settingsPath_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The first page of a PDF at 300 dpi, in grey.
    QImage Render(const QString& pdf) const
    {
        const QString stem = dir_.filePath(QStringLiteral("render"));
        apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
                                                   QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem });
        return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
    }
    // Where the first word reading text stands, in points from the paper's corner.
    QPointF WordAt(const QString& pdf, const QString& text) const
    {
        const QList<apptest::PdfWord> words = apptest::PdfWordsOnPage(apptest::PdfWords(pdf), 1, text);
        return words.isEmpty() ? QPointF(-1, -1) : QPointF(words.first().xMin, words.first().yMin);
    }
};


bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

QString Screenshot(const QString& name)
{
    QDir dir(qEnvironmentVariable("TALLYFORGE_BINARY_DIR"));
    dir.mkpath(QStringLiteral("screenshots"));
    return dir.filePath(QStringLiteral("screenshots/") + name);
}

// Test device: 600 dpi, printable corner 100 and 150 pixels (1/6 in, 1/4 in) from the paper's.
TEST_F(CalibrationTest, SheetCrosshairsStandAtThePositions)
{
    WriteSettings("[SN]\r\nLastNumber=41\r\n\r\n[Paper]\r\nHorizontalIndent=1\r\nVerticalIndent=1\r\nHorizontalIndent2=3\r\nVerticalIndent2=5.5\r\n\r\n");
    auto window = MakeWindow();
    window->ToolButton1->trigger(); // starts the journal
    QFile::remove(OutputPdf());
    ChooseFromMenu(window->mnuFile, { Qt::Key_C });
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(apptest::PdfPageCount(OutputPdf()), 1);
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("51")) << "the sheet moves no counter";
    const QList<TJournalRecord> runs = TJournal(TJournal::PathBeside(settingsPath_)).Runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].kind, TRunKind::Calibration);
    EXPECT_EQ(runs[0].pages, 1);
    EXPECT_FALSE(runs[0].first.has_value());
    EXPECT_TRUE(apptest::ReadText(TJournal::PathBeside(settingsPath_)).contains(QStringLiteral(",calibration,")));

    // Labels: each position from the paper's corner and from the printable one, beside its crosshair.
    const QString text = apptest::PdfText(OutputPdf());
    EXPECT_TRUE(text.contains(QStringLiteral("meant at 1.167 in from the left edge, 1.250 in from the top edge"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("printable corner: 1.000 in, 1.000 in"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("meant at 3.167 in from the left edge, 5.750 in from the top edge"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Calibration sheet for Test printer"))) << text.toStdString();
    const QPointF label = WordAt(OutputPdf(), QStringLiteral("3.167"));
    EXPECT_GT(label.x(), 3.167 * 72);
    EXPECT_LT(label.x(), 4.3 * 72);
    EXPECT_GT(label.y(), 5.75 * 72);
    EXPECT_LT(label.y(), 6.3 * 72);

    // At 300 dpi: crosshair 2's centre is at column 950, row 1725 of the paper.
    const QImage page = Render(OutputPdf());
    ASSERT_EQ(page.size(), QSize(2550, 3300));
    page.scaled(850, 1100, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(Screenshot(QStringLiteral("calibration-sheet.png")));
    const auto darkNear = [&](int x, int y, bool alongX) {
        for (int d = -1; d <= 1; ++d)
            if (Dark(page, alongX ? x + d : x, alongX ? y : y + d))
                return true;
        return false;
    };
    for (int arm : { -80, -40, 40, 80 }) {
        EXPECT_TRUE(darkNear(950, 1725 + arm, true)) << "vertical stroke at row " << 1725 + arm;
        EXPECT_TRUE(darkNear(950 + arm, 1725, false)) << "horizontal stroke at column " << 950 + arm;
        EXPECT_FALSE(darkNear(950 + arm, 1725 - 60, false)) << "nothing but the cross around it";
    }
}

// Where a crosshair's centre stands on a sheet, in inches from the image's (the paper's)
// top-left corner: the column darkest along the arm above the centre, the row darkest
// along the arm to its left (the label stands below and to the right), near where it
// was meant to be, weighted by darkness as an eye averages a soft line.
QPointF MeasureCrosshair(const QImage& paper, QPointF near, int dpi)
{
    const int reach = qRound(0.35 * dpi);
    const auto centre = [&](bool columns) {
        const int at = qRound((columns ? near.x() : near.y()) * dpi);
        const int across = qRound((columns ? near.y() : near.x()) * dpi);
        QList<double> profile;
        double most = 0;
        for (int a = at - reach; a <= at + reach; ++a) {
            double n = 0;
            for (int b = across - qRound(0.25 * dpi); b <= across - qRound(0.15 * dpi); ++b)
                n += 255 - qGray(paper.pixel(columns ? a : b, columns ? b : a));
            profile << n;
            most = qMax(most, n);
        }
        double sum = 0, weight = 0;
        for (int i = 0; i < profile.size(); ++i)
            if (profile[i] > most / 8) {
                sum += (i + 0.5) * profile[i];
                weight += profile[i];
            }
        return (at - reach + sum / weight) / dpi;
    };
    return { centre(true), centre(false) };
}

// A printer that moves the page 0.07 in right and 0.04 in up, then one that also shrinks it
// to 98 % from the paper's corner: the sheet, printed through the real drawing and moved
// as such a printer would, measured with a "ruler" from the paper's edges and typed into
// the dialog, gives the offset that takes the miss back (the two crosshairs' mean miss
// where the printer scales), to a hundredth of an inch. A scale printed on the sheet would
// move with the page, and a crosshair read against it would show no miss at all.
TEST_F(CalibrationTest, MeasuredFromThePaperEdgesTheSheetGivesThePrintersMiss)
{
    WriteSettings("[SN]\r\nLastNumber=41\r\n\r\n[Paper]\r\nHorizontalIndent=2\r\nVerticalIndent=2\r\nHorizontalIndent2=5\r\nVerticalIndent2=7\r\n\r\n");
    auto window = MakeWindow();
    QFile::remove(OutputPdf());
    ChooseFromMenu(window->mnuFile, { Qt::Key_C });
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
    const QString text = apptest::PdfText(OutputPdf()).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("measure each crosshair's centre from the paper's left edge and from its top edge"))) << text.toStdString();
    const QImage sheet = Render(OutputPdf());
    ASSERT_EQ(sheet.size(), QSize(2550, 3300));
    constexpr int dpi = 300;
    const std::array<QPointF, 2> meant { QPointF(2 + 1.0 / 6, 2.25), QPointF(5 + 1.0 / 6, 7.25) };

    struct Shift { double x, y, scale; QChar separator; };
    for (const Shift printer : { Shift { 0.07, -0.04, 1.0, QLatin1Char('.') }, Shift { 0.07, -0.04, 0.98, QLatin1Char(',') } }) {
        SCOPED_TRACE(printer.scale);
        QImage paper(sheet.size(), QImage::Format_Grayscale8);
        paper.fill(Qt::white);
        QPainter painter(&paper);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(printer.x * dpi, printer.y * dpi);
        painter.scale(printer.scale, printer.scale);
        painter.drawImage(0, 0, sheet);
        painter.end();

        // Nothing along the paper's edges that would pass for a scale.
        int marks = 0;
        for (int y = 0; y < paper.height(); ++y)
            for (int x = 0; x < paper.width(); ++x)
                if ((x < dpi || y < dpi) && Dark(paper, x, y))
                    ++marks;
        EXPECT_EQ(marks, 0) << "marks within an inch of the top or left edge";

        std::array<QPointF, 2> measured;
        QPointF miss;
        for (int i = 0; i < 2; ++i) {
            measured[i] = MeasureCrosshair(paper, meant[i], dpi);
            const QPointF expected = meant[i] * printer.scale + QPointF(printer.x, printer.y);
            EXPECT_NEAR(measured[i].x(), expected.x(), 0.005) << "crosshair " << i + 1;
            EXPECT_NEAR(measured[i].y(), expected.y(), 0.005) << "crosshair " << i + 1;
            miss += (expected - meant[i]) / 2;
        }

        // The dialog as Options > Calibrate Printer opens it, here under the formats of a
        // user who writes the separator the given way (the window's own fields were typed
        // under the other, so it is not asked).
        const ScopedFormatSettings formats(printer.separator, printer.separator == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(','));
        TCalibrationDialog dialog(QStringLiteral("Test printer"), meant, {}, window.get());
        dialog.show();
        for (int i = 0; i < 2; ++i) {
            for (const bool left : { true, false }) {
                auto* field = dialog.findChild<QDoubleSpinBox*>((left ? QStringLiteral("FromLeft%1") : QStringLiteral("FromTop%1")).arg(i + 1));
                ASSERT_NE(field, nullptr);
                const double inches = left ? measured[i].x() : measured[i].y();
                // Read off a ruler to two places, written the user's way.
                Retype(field, QString::number(inches, 'f', 2).replace(QLatin1Char('.'), printer.separator));
                EXPECT_NEAR(field->value(), inches, 0.006) << field->text().toStdString();
            }
        }
        const QPointF offset(dialog.OffsetXEdit()->value(), dialog.OffsetYEdit()->value());
        EXPECT_NEAR(offset.x(), -miss.x(), 0.01);
        EXPECT_NEAR(offset.y(), -miss.y(), 0.01);
        if (printer.scale == 1.0) {
            EXPECT_NEAR(offset.x(), -0.07, 0.01);
            EXPECT_NEAR(offset.y(), 0.04, 0.01);
        }
    }
}

// +0.05 in across and -0.02 in down, read off the sheet: the numbers come out 3.6 pt to
// the right and 1.44 pt higher, within a device pixel (0.12 pt), and the status bar says so.
TEST_F(CalibrationTest, OffsetReadOffTheSheetMovesThePrintedNumbers)
{
    WriteSettings("[SN]\r\nLastNumber=700\r\nPageCount=1\r\n\r\n[Paper]\r\nHorizontalIndent=1\r\nVerticalIndent=2\r\nHorizontalIndent2=3\r\nVerticalIndent2=4\r\n\r\n");
    auto window = MakeWindow();
    window->mnuPrint->trigger();
    const QPointF before = WordAt(OutputPdf(), QStringLiteral("701"));
    ASSERT_GE(before.x(), 0);
    EXPECT_EQ(window->PreviewStatusBar1->HintText(), QString());

    std::array<double, 4> offsetShown {};
    WhenModal<TCalibrationDialog>([&](TCalibrationDialog* dialog) {
        // Position 1 is meant at 1.167, 2.250 and position 2 at 3.167, 4.250 from the paper's
        // corner; they landed 0.05 in left and 0.02 in low (each read a little differently).
        // Tab moves the focus only in the active window: a busy machine shows the
        // dialog a moment before it is activated.
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        Retype(dialog->FromLeftEdit(0), QStringLiteral("1.127"));
        QTest::keyClick(dialog->FromLeftEdit(0), Qt::Key_Tab);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            QWidget* focus = QApplication::focusWidget();
            return focus && focus->window() == dialog && focus != dialog->FromLeftEdit(0)
                && !dialog->FromLeftEdit(0)->isAncestorOf(focus);
        })) << "Tab left the focus nowhere in the dialog";
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2.27"));
        Retype(dialog->FromLeftEdit(1), QStringLiteral("3.107"));
        Retype(dialog->FromTopEdit(1), QStringLiteral("4.270"));
        offsetShown = { dialog->OffsetXEdit()->value(), dialog->OffsetYEdit()->value(),
                        dialog->FromTopEdit(0)->value(), 0 };
        QTest::keyClick(dialog->FromTopEdit(1), Qt::Key_Return);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_C });
    EXPECT_DOUBLE_EQ(offsetShown[0], 0.05);
    EXPECT_DOUBLE_EQ(offsetShown[1], -0.02);
    EXPECT_DOUBLE_EQ(offsetShown[2], 2.27) << "Tab moved to position 1's down field";
    EXPECT_EQ(Setting("Calibration", "Test printer.X"), QStringLiteral("0.05"));
    EXPECT_EQ(Setting("Calibration", "Test printer.Y"), QStringLiteral("-0.02"));
    EXPECT_EQ(window->PreviewStatusBar1->HintText(), QStringLiteral("Calibrated for Test printer: +0.050 in, -0.020 in"));

    QFile::remove(OutputPdf());
    answer_ = true; // 701 again
    window->mnuPrint->trigger();
    const QPointF after = WordAt(OutputPdf(), QStringLiteral("701"));
    EXPECT_NEAR(after.x() - before.x(), 3.6, 72.0 / 600);
    EXPECT_NEAR(after.y() - before.y(), -1.44, 72.0 / 600);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(QLatin1Char('\n')).toStdString();
}

// Each printer keeps its own offset: the window applies the current printer's, and a
// printer it never calibrated keeps its keys through the session.
TEST_F(CalibrationTest, EachPrinterKeepsItsOwnOffset)
{
    WriteSettings("[SN]\r\nLastNumber=5\r\n\r\n[Calibration]\r\noffice.X=0.25\r\noffice.Y=0.125\r\nTest printer.X=-0.1\r\nTest printer.Y=0.03\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->Calibrations().value(QStringLiteral("office")), (calibration::TOffset { 0.25, 0.125 }));
    EXPECT_EQ(window->PreviewStatusBar1->HintText(), QStringLiteral("Calibrated for Test printer: -0.100 in, +0.030 in"));
    WhenModal<TCalibrationDialog>([](TCalibrationDialog* dialog) {
        EXPECT_DOUBLE_EQ(dialog->OffsetXEdit()->value(), -0.1);
        Retype(dialog->OffsetXEdit(), QStringLiteral("0.07"));
        QTest::keyClick(dialog->OffsetXEdit(), Qt::Key_Return);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_C });
    window->close();
    EXPECT_EQ(Setting("Calibration", "office.X"), QStringLiteral("0.25"));
    EXPECT_EQ(Setting("Calibration", "office.Y"), QStringLiteral("0.125"));
    EXPECT_EQ(Setting("Calibration", "Test printer.X"), QStringLiteral("0.07"));
    EXPECT_EQ(Setting("Calibration", "Test printer.Y"), QStringLiteral("0.03"));
    EXPECT_EQ(LoadSettingsFile(settingsPath_).Calibrations.size(), 2);
}

// A file without calibration is the same byte for byte after a session that calibrated
// and reset, printed and closed.
TEST_F(CalibrationTest, FileWithoutCalibrationStaysByteForByteAndResetIsOneButton)
{
    SaveSettingsFile(settingsPath_, TallyforgeSettings());
    const QByteArray original = Bytes();
    ASSERT_FALSE(original.isEmpty());
    auto window = MakeWindow();
    WhenModal<TCalibrationDialog>([](TCalibrationDialog* dialog) {
        Retype(dialog->OffsetYEdit(), QStringLiteral("0.2"));
        QTest::keyClick(dialog->OffsetYEdit(), Qt::Key_Return);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_C });
    EXPECT_EQ(Setting("Calibration", "Test printer.Y"), QStringLiteral("0.2"));
    WhenModal<TCalibrationDialog>([](TCalibrationDialog* dialog) { QTest::mouseClick(dialog->ResetButton(), Qt::LeftButton); });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_C });
    EXPECT_TRUE(window->Calibrations().isEmpty());
    EXPECT_EQ(window->PreviewStatusBar1->HintText(), QString());
    window->mnuPrint->trigger();
    window->close();
    EXPECT_EQ(Bytes(), original);
}

// The preview frames the printable area faintly, where the printer's corner is, and the
// dialog and the preview are kept as screenshots.
TEST_F(CalibrationTest, ScreenshotsOfTheDialogAndThePreviewFrame)
{
    WriteSettings("[SN]\r\nLastNumber=5\r\n\r\n[Calibration]\r\nTest printer.X=0.05\r\nTest printer.Y=-0.02\r\n");
    auto window = MakeWindow();
    window->resize(900, 700);
    window->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
    TDrawPanel* panel = window->Preview1->DrawPanel();
    const QImage shot = panel->grab().toImage();
    ASSERT_TRUE(window->grab().save(Screenshot(QStringLiteral("calibration-preview.png"))));
    const preview::TPageFrame frame = preview::PageFrame(panel->width(), panel->height(), window->Preview1->ShadowSize(), WindowTest::kCaps);
    const QRect printable = frame.Printable.ToQRect();
    const QColor line = calibration::PrintableFrameColor();
    const auto isLine = [&](int x, int y) {
        const QColor c = shot.pixelColor(x, y);
        return qAbs(c.red() - line.red()) < 40 && qAbs(c.green() - line.green()) < 40 && qAbs(c.blue() - line.blue()) < 40;
    };
    const int midY = printable.center().y();
    const int midX = printable.center().x();
    EXPECT_TRUE(isLine(printable.left(), midY) || isLine(printable.left() + 1, midY)) << "left edge at " << printable.left();
    EXPECT_TRUE(isLine(midX, printable.top()) || isLine(midX, printable.top() + 1)) << "top edge at " << printable.top();
    EXPECT_FALSE(isLine(printable.left() + 6, midY));
    EXPECT_FALSE(isLine(printable.left() - 2, midY)) << "nothing outside the printable area";
    EXPECT_EQ(window->PreviewStatusBar1->PartTexts().constLast(), QStringLiteral("Calibrated for Test printer: +0.050 in, -0.020 in"));

    bool saved = false;
    WhenModal<TCalibrationDialog>([&](TCalibrationDialog* dialog) {
        QApplication::processEvents();
        const QImage image = dialog->grab().toImage();
        saved = image.save(Screenshot(QStringLiteral("calibration-dialog.png")));
        EXPECT_GT(image.width(), 200);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ChooseFromMenu(window->mnuOptions, { Qt::Key_C });
    EXPECT_TRUE(saved);
    EXPECT_EQ(window->Calibrations().value(QStringLiteral("Test printer")), (calibration::TOffset { 0.05, -0.02 }));
}

} // namespace

namespace {

// The checks before a print look where the calibrated printer puts the numbers: an
// offset that pushes a serial off the printable area is a warning, the same positions
// without it are not.
TEST_F(CalibrationTest, PreflightSeesTheCalibratedPositions)
{
    WriteSettings("[SN]\r\nLastNumber=0\r\nPageCount=1\r\n\r\n[Calibration]\r\nTest printer.X=-1.5\r\nTest printer.Y=0\r\n\r\n");
    auto window = MakeWindow();
    window->txtHorizontalIndent->SetText(QStringLiteral("1.00"));
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().startsWith(QStringLiteral("Warning: 1 does not fit")))
        << window->PreviewStatusBar1->UserText().toStdString();
    window->txtHorizontalIndent->SetText(QStringLiteral("2.00"));
    window->txtHorizontalIndent2->SetText(QStringLiteral("2.00"));
    window->txtVerticalIndent2->SetText(QStringLiteral("3.00")); // the two numbers apart
    EXPECT_TRUE(window->PreviewStatusBar1->UserText().startsWith(QStringLiteral("Prints 1-1")))
        << window->PreviewStatusBar1->UserText().toStdString();
}

} // namespace
