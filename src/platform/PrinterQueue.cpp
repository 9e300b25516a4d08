#include "platform/Printer.h"

#include "platform/Exception.h"
#include "platform/PrinterImpl.h"

#include <QCoreApplication>

void TPrinter::HandToQueue()
{
    const QString queue = PrinterName();
    jobServer_ = cups::Server();
    const cups::Submission sent = cups::SubmitPdf(jobServer_, queue, d->output->TemporaryPath(),
                                                  title_.isEmpty() ? printerimpl::kDefaultDocumentName : title_,
                                                  d->device->pageLayout().pageSize().key());
    lastDelivery_ = sent.delivery;
    switch (sent.delivery) {
    case TDelivery::Confirmed:
        lastJobId_ = sent.job;
        runJobs_.append(TQueuedJob { sent.job, d->pagesInDocument });
        return;
    case TDelivery::Unknown:
        // Named, so whoever looks at the queue can find it.
        lastJobId_ = sent.job;
        throw Exception(QCoreApplication::translate("TPrinter", "The print server did not confirm job %1 on %2 (%3); it may still print")
                            .arg(sent.job)
                            .arg(queue, sent.reason));
    case TDelivery::Refused:
        break;
    }
    throw Exception(QCoreApplication::translate("CupsJob", "The print queue %1 refused the job: %2").arg(queue, sent.reason));
}
