// Barcodes on tickets through the built program: `tallyforge print` with a code of every
// symbology, turned and not, on a one-ticket page and on a sheet of two tickets; sampled
// pages are rendered at 300 dpi and read back with a barcode reader, and every ticket's
// codes must say that ticket's serial. A code that cannot show a serial refuses the run.
#include "support_app.h"

#include "platform/Printer.h"
#include "ticket/SerialDrawing.h"
#include "ticket/SheetLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTransform>

#include <gtest/gtest.h>

#include <map>

namespace {

// One code on the ticket: the box it takes once turned, inches from the ticket's corner.
struct Code {
    const char* symbology;
    const char* reads; // ZXingReader's name of the format
    const char* text;
    double width;
    double height;
    int rotation;
    QRectF box;
};

// EAN-13's check digit, written here apart from the program's.
QChar EanCheck(const QString& twelve)
{
    int odd = 0;
    int even = 0;
    for (int i = 0; i < 12; ++i)
        (i % 2 == 0 ? odd : even) += twelve[i].digitValue();
    return QChar(u'0' + (10 - (odd + 3 * even) % 10) % 10);
}

class BarcodePrintTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        apptest::UsePdfPrinterOnly();
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        TPrinter::ResetForTests();
        settings_ = dir_.filePath(QStringLiteral("Tallyforge.ini"));
    }

    // [SN] with serials from 100 as twelve digits, the two positions at the bottom, and
    // `codes` as items 3, 4, ... placed top to bottom, each in the box it takes turned.
    void WriteSettings(QList<Code>& codes, const QByteArray& extra = {}, int lastNumber = 99, int digits = 12)
    {
        QByteArray ini = QStringLiteral("[SN]\r\nLastNumber=%1\r\nDigits=%2\r\n\r\n").arg(lastNumber).arg(digits).toUtf8() + "[Paper]\r\nHorizontalIndent=0.25\r\n"
                         "VerticalIndent=10\r\nHorizontalIndent2=2\r\nVerticalIndent2=10\r\n\r\n[Font]\r\nSize=10\r\n\r\n";
        double top = 0.25;
        for (int i = 0; i < codes.size(); ++i) {
            Code& code = codes[i];
            const QRectF turned = QTransform().rotate(code.rotation).mapRect(QRectF(0, 0, code.width, code.height));
            code.box = QRectF(QPointF(0.3, top), turned.size());
            // The position is the corner the code turns about.
            const QPointF at = code.box.topLeft() - turned.topLeft();
            ini += QStringLiteral("[Item%1]\r\nKind=barcode\r\nLeft=%2\r\nTop=%3\r\nText=%4\r\nSymbology=%5\r\n"
                                  "Width=%6\r\nHeight=%7\r\nRotation=%8\r\nHumanReadable=%9\r\n\r\n")
                       .arg(i + 3)
                       .arg(at.x())
                       .arg(at.y())
                       .arg(QLatin1String(code.text), QLatin1String(code.symbology))
                       .arg(code.width)
                       .arg(code.height)
                       .arg(code.rotation)
                       .arg(i % 2)
                       .toUtf8();
            top += turned.height() + 0.3;
        }
        QFile file(settings_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini + extra);
    }

    // The program's exit code; its standard error in *errors.
    int Print(const QStringList& arguments, QString* errors = nullptr)
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("HOME"), dir_.path());
        environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1"));
        program.setProcessEnvironment(environment);
        apptest::EndWithTest(program);
        program.start(qEnvironmentVariable("TALLYFORGE_BINARY_DIR") + QStringLiteral("/src/app/tallyforge"),
                      QStringList { QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--settings"), settings_ } + arguments);
        if (!program.waitForFinished(60000))
            return -1;
        if (errors)
            *errors = QString::fromLocal8Bit(program.readAllStandardError());
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    // What the reader finds in each code's box on each ticket of a printed sheet
    // ("QRCode 000000000100"), by slot and code; a slot's list is empty where the reader
    // found nothing at all.
    QList<QStringList> Read(const QString& pdf, int page, const QList<Code>& codes, const ticket::TSheetLayout& layout)
    {
        const QString png = dir_.filePath(QStringLiteral("page%1").arg(page));
        int exitCode = -1;
        apptest::Run(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-f"), QString::number(page),
                                                   QStringLiteral("-l"), QString::number(page), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdf, png }, &exitCode);
        EXPECT_EQ(exitCode, 0);
        const QImage image(png + QStringLiteral(".png"));
        EXPECT_FALSE(image.isNull());
        const QPointF corner = apptest::PrintableOriginPoints() / 72.0;
        QStringList files;
        for (int slot = 0; slot < layout.Slots(); ++slot) {
            const QPointF ticket = corner + ticket::SlotRect(layout, slot, serial::PageArea()).topLeft();
            for (int i = 0; i < codes.size(); ++i) {
                // A little room around the code: its quiet zones, and the paper's own.
                const QRectF inches = codes[i].box.translated(ticket).adjusted(-0.12, -0.12, 0.12, 0.12);
                const QRect pixels(QPoint(qRound(inches.left() * 300), qRound(inches.top() * 300)),
                                   QPoint(qRound(inches.right() * 300), qRound(inches.bottom() * 300)));
                const QString file = QStringLiteral("%1-%2-%3.png").arg(png).arg(slot).arg(i);
                EXPECT_TRUE(image.copy(pixels).save(file));
                files << file;
            }
        }
        // -noscale: the reader's downscaled pass trips over linear codes in this version.
        const QString out = apptest::Run(QStringLiteral("ZXingReader"), QStringList { QStringLiteral("-noscale"), QStringLiteral("-1") } + files);
        std::map<QString, QStringList> found;
        static const QRegularExpression line(QStringLiteral("^(\\S+) (\\S+) \"(.*)\"$"));
        for (const QString& text : out.split(u'\n', Qt::SkipEmptyParts))
            if (const QRegularExpressionMatch m = line.match(text); m.hasMatch())
                found[m.captured(1)] << m.captured(2) + u' ' + m.captured(3);
        QList<QStringList> tickets;
        for (int slot = 0; slot < layout.Slots(); ++slot) {
            QStringList read;
            for (int i = 0; i < codes.size(); ++i)
                read << found[files[slot * codes.size() + i]].join(QStringLiteral(" | "));
            tickets << (read.join(QString()).isEmpty() ? QStringList() : read);
        }
        return tickets;
    }

    // What every code must read on the ticket with `serial`.
    static QStringList Expected(const QList<Code>& codes, int serial)
    {
        const QString number = QStringLiteral("%1").arg(serial, 12, 10, QLatin1Char('0'));
        QStringList expected;
        for (const Code& code : codes) {
            QString text = QLatin1String(code.text);
            text.replace(QStringLiteral("{number}"), number).replace(QStringLiteral("{serial}"), number);
            QString reads = QLatin1String(code.reads);
            if (QLatin1String(code.symbology) == QLatin1String("ean13")) {
                text += EanCheck(text);
                // The reader calls an EAN-13 with a leading 0 a UPC-A of the other digits.
                if (text.startsWith(u'0')) {
                    reads = QStringLiteral("UPC-A");
                    text.remove(0, 1);
                }
            }
            expected << reads + u' ' + text;
        }
        return expected;
    }

    QTemporaryDir dir_;
    QString settings_;
};

TEST_F(BarcodePrintTest, EveryCodeOfEveryTicketReadsItsSerialTurnedOrNotOnOneAndTwoUpSheets)
{
    // Each symbology turned in one run and upright in the other.
    for (const bool sheet : { false, true }) {
        QList<Code> codes {
            { "code128", "Code128", "T-{number}", 2.0, 0.6, sheet ? 90 : 0, {} },
            { "code39", "Code39", "{serial}", 3.0, 0.6, sheet ? 0 : 180, {} },
            { "qr", "QRCode", "T-{number}", 0.9, 0.9, sheet ? 0 : 90, {} },
            { "datamatrix", "DataMatrix", "{serial}", 0.8, 0.8, sheet ? 270 : 0, {} },
            { "ean13", "EAN-13", "{number}", 1.6, 0.8, sheet ? 0 : 270, {} },
            { "itf", "ITF", "{number}", 2.0, 0.6, sheet ? 180 : 90, {} },
        };
        ticket::TSheetLayout layout;
        if (sheet)
            layout.Columns = 2;
        // Serials from 100, then from 200 (not again: the journal would ask).
        const int first = sheet ? 200 : 100;
        WriteSettings(codes, sheet ? QByteArray("[Sheet]\r\nColumns=2\r\nRows=1\r\n") : QByteArray(), first - 1);
        const QString pdf = dir_.filePath(sheet ? QStringLiteral("sheet.pdf") : QStringLiteral("page.pdf"));
        QString errors;
        // Five tickets: three pages, or three sheets with the last one's second slot empty.
        ASSERT_EQ(Print({ QStringLiteral("--count"), QStringLiteral("5"), QStringLiteral("--output"), pdf }, &errors), 0)
            << errors.toStdString();
        EXPECT_EQ(apptest::IniValue(settings_, QStringLiteral("SN"), QStringLiteral("LastNumber")), QString::number(first + 4));
        ASSERT_EQ(apptest::PdfPageCount(pdf), sheet ? 3 : 5);
        for (const int page : sheet ? QList<int> { 1, 3 } : QList<int> { 1, 4 }) {
            const QList<QStringList> tickets = Read(pdf, page, codes, layout);
            for (int slot = 0; slot < layout.Slots(); ++slot) {
                const int ticket = sheet ? (page - 1) * 2 + slot : page - 1;
                const QStringList expected = ticket < 5 ? Expected(codes, first + ticket) : QStringList();
                EXPECT_EQ(tickets[slot].join(QStringLiteral(", ")).toStdString(), expected.join(QStringLiteral(", ")).toStdString()) << (sheet ? "sheet " : "page ") << page << ", slot " << slot + 1;
            }
        }
    }
}

TEST_F(BarcodePrintTest, ACodeThatCannotShowSomeSerialRefusesTheRunNamingItsItem)
{
    QList<Code> codes { { "code128", "Code128", "{serial}", 2.0, 0.6, 0, {} }, { "itf", "ITF", "{number}", 2.0, 0.6, 0, {} } };
    const QString pdf = dir_.filePath(QStringLiteral("refused.pdf"));
    const auto refused = [&](const QString& why) {
        const QByteArray before = apptest::ReadText(settings_).toUtf8();
        QString errors;
        EXPECT_EQ(Print({ QStringLiteral("--count"), QStringLiteral("5"), QStringLiteral("--output"), pdf }, &errors), 1);
        EXPECT_TRUE(errors.contains(why)) << errors.toStdString();
        EXPECT_EQ(apptest::ReadText(settings_).toUtf8(), before); // the counter where it was
        EXPECT_FALSE(QFileInfo::exists(pdf));
        EXPECT_FALSE(QFileInfo::exists(dir_.filePath(QStringLiteral("Tallyforge-journal.csv"))));
    };
    // Letters in EAN-13.
    QList<Code> ean { { "ean13", "EAN-13", "A-{number}", 2.0, 0.8, 0, {} } };
    WriteSettings(ean, {}, 99, 4);
    refused(QStringLiteral("Item 3: EAN-13 takes 12 or 13 digits, not 'A-0100'"));
    // 98 and 99 make ITF codes; 100 has an odd number of digits, which ITF could only
    // show with a zero in front: another number.
    WriteSettings(codes, {}, 97, 0);
    refused(QStringLiteral("Item 4: ITF takes an even number of digits, not '100'"));
    // Code 39 has no small letters; the encoder would print them as capitals.
    QList<Code> code39 { { "code39", "Code39", "t{number}", 3.0, 0.6, 0, {} } };
    WriteSettings(code39);
    refused(QStringLiteral("Item 3: Code 39 takes digits, capital letters"));
}

} // namespace
