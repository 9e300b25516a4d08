#include "platform/Printer.h"

#include "platform/Exception.h"
#include "platform/PrinterImpl.h"

#include <QCoreApplication>

void TPrinter::HandToQueue()
{
    const QString queue = PrinterName();
    jobServer_ = cups::Server();
    // A queue that asks for a login gets the password given for this process's check, or
    // asks through the program's hook; never on the terminal.
    cups::UsePasswordCallback();
    cups::NewConnection();
    const cups::Submission sent = cups::SubmitPdf(jobServer_, queue, d->output->TemporaryPath(),
                                                  title_.isEmpty() ? printerimpl::kDefaultDocumentName : title_,
                                                  d->paper.key());
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
