#include "dialogs/DialogPrinter.h"

#include "platform/Printer.h"

#include <QPrinter>

namespace dialogs {

std::unique_ptr<QPrinter> DialogPrinter()
{
    TPrinter& printer = Printer();
    if (!printer.HasHandle())
        return nullptr;
    auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (printer.IsPdfPrinter()) {
        device->setOutputFormat(QPrinter::PdfFormat);
    } else {
        device->setOutputFormat(QPrinter::NativeFormat);
        device->setPrinterName(printer.PrinterName());
    }
    device->setResolution(printer.Resolution());
    device->setPageLayout(printer.PageLayout());
    return device;
}

void TakeDialogChoices(const QPrinter& device)
{
    TPrinter& printer = Printer();
    if (!printer.HasHandle())
        return;
    // A test device is the only printer there is: only its orientation can change.
    if (printer.PdfPrinterIndex() >= 0) {
        int index = device.outputFormat() == QPrinter::PdfFormat ? printer.PdfPrinterIndex()
                                                                 : int(printer.Printers().indexOf(device.printerName()));
        if (index < 0)
            index = printer.PdfPrinterIndex();
        printer.SetPrinterIndex(index);
        const QPageSize paper = device.pageLayout().pageSize();
        for (const QPageSize& offered : printer.PaperSizes())
            if (offered.isEquivalentTo(paper)) {
                printer.SetPaperSize(offered);
                break;
            }
    }
    printer.SetOrientation(device.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait);
}

} // namespace dialogs
