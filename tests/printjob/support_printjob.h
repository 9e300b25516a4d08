#pragma once

#include "platform/Printer.h"
#include "printjob/PrintJob.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

// Readable strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace testsupport {

// 600 dpi letter paper, printable area inset by 100 pixels on every side.
TDeviceCaps Letter600();
// The same paper with physical offsets of 100 and 120.
TDeviceCaps Letter600Offset100x120();

// Installs a test printer for the test and puts the machine's printers back afterwards;
// the modal boxes are replaced by handlers that fail the test if they are reached.
// Set up in the constructor, so that a fixture's own members (a job) are made on the
// test printer.
class PrinterFixture : public ::testing::Test {
protected:
    PrinterFixture();
    ~PrinterFixture() override;
    void Install(const TDeviceCaps& caps);
    // A fresh file path in a folder removed after the test.
    QString TempPdf(const QString& name = QStringLiteral("out.pdf"));

private:
    QString tempDir_;
};

// Runs a command and returns its standard output ("" when it cannot run).
QString RunTool(const QString& program, const QStringList& arguments);
int PdfPageCount(const QString& file);
QString PdfPageText(const QString& file, int page);

} // namespace testsupport
