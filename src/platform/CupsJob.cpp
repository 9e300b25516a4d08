#include "platform/CupsJob.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QFile>

#include <cups/cups.h>

#include <memory>

namespace {

struct Options {
    int count = 0;
    cups_option_t* list = nullptr;
    ~Options() { cupsFreeOptions(count, list); }
    void Add(const char* name, const QByteArray& value) { count = cupsAddOption(name, value.constData(), count, &list); }
};

struct HttpDeleter {
    void operator()(http_t* http) const { httpClose(http); }
};

[[noreturn]] void Refused(const QString& queue, const QString& reason)
{
    throw Exception(QCoreApplication::translate("CupsJob", "The print queue %1 refused the job: %2").arg(queue, reason));
}

QString LastError() { return QString::fromUtf8(cupsLastErrorString()); }

} // namespace

int SubmitPdfToQueue(const QString& queue, const QString& pdfPath, const QString& title, const QString& media)
{
    QFile pdf(pdfPath);
    if (!pdf.open(QIODevice::ReadOnly))
        Refused(queue, pdf.errorString());

    // A connection of our own, with a timeout, so a stopped scheduler fails at once.
    std::unique_ptr<http_t, HttpDeleter> http(
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr));
    if (!http)
        Refused(queue, QCoreApplication::translate("CupsJob", "cannot connect to the print server %1").arg(QString::fromUtf8(cupsServer())));

    // Nothing a dialog left on the queue applies: all pages, once, in order.
    Options options;
    options.Add("copies", "1");
    options.Add("number-up", "1");
    options.Add("page-set", "all");
    options.Add("outputorder", "normal");
    options.Add("multiple-document-handling", "separate-documents-uncollated-copies");
    if (!media.isEmpty())
        options.Add("media", media.toUtf8());

    const QByteArray name = queue.toUtf8();
    const int job = cupsCreateJob(http.get(), name.constData(), title.toUtf8().constData(), options.count, options.list);
    if (job <= 0)
        Refused(queue, LastError());
    const auto cancel = [&](const QString& reason) {
        cupsCancelJob2(http.get(), name.constData(), job, 0);
        Refused(queue, reason);
    };
    if (cupsStartDocument(http.get(), name.constData(), job, title.toUtf8().constData(), CUPS_FORMAT_PDF, 1)
        != HTTP_STATUS_CONTINUE)
        cancel(LastError());
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = pdf.read(buffer.data(), buffer.size());
        if (n < 0)
            cancel(pdf.errorString());
        if (n == 0)
            break;
        if (cupsWriteRequestData(http.get(), buffer.constData(), size_t(n)) != HTTP_STATUS_CONTINUE)
            cancel(LastError());
    }
    if (cupsFinishDocument(http.get(), name.constData()) > IPP_STATUS_OK_CONFLICTING)
        cancel(LastError());
    return job;
}
