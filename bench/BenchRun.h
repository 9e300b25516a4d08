#pragma once

#include "platform/Printer.h"
#include "printjob/PrintJob.h"
#include "run/SerialRun.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A serial run into the built-in PDF printer, as the benchmarks of runs time it: its
// settings file and output in a folder of its own, the job drawing the run's pages.
class TBenchRun {
public:
    TBenchRun()
        : run_(job_, Path(QStringLiteral("Tallyforge.ini")))
    {
        TPrinter& printer = Printer();
        printer.SetPrinterIndex(int(printer.Printers().indexOf(QStringLiteral("PDF"))));
        serial::ConfigureJob(job_, [this](TCustomPrintJob*, TCanvas* canvas, int pageIndex, TRect, TDrawArea area, TDrawTarget) {
            run_.DrawPage(*canvas, pageIndex, area, *run_.Page());
        });
    }
    TSerialRun& Run() { return run_; }
    // A file in the run's folder.
    QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }

private:
    QTemporaryDir dir_;
    TPrintJob job_;
    TSerialRun run_;
};

// The page the benchmarks of runs print: "SN-000001" on, 24 pt, at two places.
inline serial::SerialPage BenchPage()
{
    serial::SerialPage page;
    page.StartingNumber = 1;
    page.Prefix = QStringLiteral("SN-");
    page.Digits = 6;
    page.Font.Size = 24;
    page.HorizontalIndent = 1.0;
    page.VerticalIndent = 1.0;
    page.HorizontalIndent2 = 1.0;
    page.VerticalIndent2 = 5.0;
    return page;
}
