#include "platform/CupsJob.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QStringList>
#include <QThread>

#include <cups/cups.h>

#include <algorithm>
#include <cstring>
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
using Http = std::unique_ptr<http_t, HttpDeleter>;

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

QString LastError() { return QString::fromUtf8(cupsLastErrorString()); }

QString Tr(const char* text) { return QCoreApplication::translate("CupsJob", text); }

// A connection of our own with timeouts, so a stopped scheduler fails instead of hanging.
Http Connect(const QString& server, int connectMs, double ioSeconds)
{
    QByteArray host = server.toUtf8();
    int port = ippPort();
    const qsizetype colon = host.lastIndexOf(':');
    if (!host.startsWith('/') && colon > 0 && !host.endsWith(']')) {
        bool ok = false;
        const int value = host.mid(colon + 1).toInt(&ok);
        if (ok) {
            port = value;
            host.truncate(colon);
        }
    }
    Http http(httpConnect2(host.constData(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1, connectMs, nullptr));
    if (http)
        httpSetTimeout(http.get(), ioSeconds, nullptr, nullptr);
    return http;
}

// What the scheduler says about a job.
struct JobStatus {
    bool known = false;
    bool notFound = false; // the scheduler answered and has no such job
    QString error;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    QStringList reasons;
    int documents = -1; // -1: not reported
    std::optional<int> sheets;
};

JobStatus QueryJob(const QString& server, int job, int connectMs, double ioSeconds)
{
    JobStatus status;
    Http http = Connect(server, connectMs, ioSeconds);
    if (!http) {
        status.error = Tr("cannot connect to the print server %1").arg(server);
        return status;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0, "/jobs/%d", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    static const char* const wanted[] = { "job-state", "job-state-reasons", "number-of-documents",
                                          "job-impressions-completed", "job-media-sheets-completed" };
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(std::size(wanted)), nullptr,
                  wanted);
    const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(http.get(), request, "/"));
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        status.notFound = response && cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND;
        status.error = LastError();
        return status;
    }
    ipp_attribute_t* state = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    if (!state) {
        status.error = Tr("the print server did not report the job's state");
        return status;
    }
    status.known = true;
    status.state = ipp_jstate_t(ippGetInteger(state, 0));
    if (ipp_attribute_t* reasons = ippFindAttribute(response.get(), "job-state-reasons", IPP_TAG_KEYWORD))
        for (int i = 0; i < ippGetCount(reasons); ++i)
            status.reasons << QString::fromUtf8(ippGetString(reasons, i, nullptr));
    if (ipp_attribute_t* documents = ippFindAttribute(response.get(), "number-of-documents", IPP_TAG_INTEGER))
        status.documents = ippGetInteger(documents, 0);
    for (const char* name : { "job-media-sheets-completed", "job-impressions-completed" })
        if (ipp_attribute_t* done = ippFindAttribute(response.get(), name, IPP_TAG_INTEGER))
            status.sheets = std::max(status.sheets.value_or(0), ippGetInteger(done, 0));
    return status;
}

// A job still waiting for its document, or without one, never prints it. After a failed
// send only a document the scheduler counts is taken as there.
bool HoldsDocument(const JobStatus& status, bool sendFailed)
{
    if (status.reasons.contains(QStringLiteral("job-incoming")))
        return false;
    return sendFailed ? status.documents >= 1 : status.documents != 0;
}

bool Ended(ipp_jstate_t state)
{
    return state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED || state == IPP_JSTATE_COMPLETED;
}

bool Cancel(const QString& server, int job)
{
    Http http = Connect(server, 5000, 5.0);
    if (!http)
        return false;
    ipp_t* request = ippNewRequest(IPP_OP_CANCEL_JOB);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0, "/jobs/%d", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    const std::unique_ptr<ipp_t, IppDeleter> response(cupsDoRequest(http.get(), request, "/jobs/"));
    const ipp_status_t status = cupsLastError();
    // A job that ended already cannot be cancelled, and needs not be.
    return response && (status <= IPP_STATUS_OK_CONFLICTING || status == IPP_STATUS_ERROR_NOT_POSSIBLE);
}

} // namespace

QString cups::Server()
{
    const QString host = QString::fromUtf8(cupsServer());
    return host.startsWith(u'/') ? host : QStringLiteral("%1:%2").arg(host).arg(ippPort());
}

cups::Submission cups::SubmitPdf(const QString& server, const QString& queue, const QString& pdfPath,
                                 const QString& title, const QString& media)
{
    Submission result;
    QFile pdf(pdfPath);
    if (!pdf.open(QIODevice::ReadOnly)) {
        result.reason = pdf.errorString();
        return result;
    }
    Http http = Connect(server, 30000, 60.0);
    if (!http) {
        result.reason = Tr("cannot connect to the print server %1").arg(server);
        return result;
    }

    // Nothing a dialog or the queue's defaults hold applies: all pages, once, in order,
    // on one side, at their size, so every number lands where it was drawn.
    Options options;
    options.Add("copies", "1");
    options.Add("number-up", "1");
    options.Add("page-set", "all");
    options.Add("outputorder", "normal");
    options.Add("multiple-document-handling", "separate-documents-uncollated-copies");
    options.Add("sides", "one-sided");
    options.Add("print-scaling", "none");
    if (!media.isEmpty())
        options.Add("media", media.toUtf8());

    const QByteArray name = queue.toUtf8();
    const QByteArray titleText = title.toUtf8();
    const int job = cupsCreateJob(http.get(), name.constData(), titleText.constData(), options.count, options.list);
    if (job <= 0) {
        result.reason = LastError();
        return result;
    }
    result.job = job;

    QString problem;
    bool answered = false; // the scheduler said it took the document
    if (cupsStartDocument(http.get(), name.constData(), job, titleText.constData(), CUPS_FORMAT_PDF, 1)
        != HTTP_STATUS_CONTINUE) {
        problem = LastError();
    } else {
        QByteArray buffer(256 * 1024, Qt::Uninitialized);
        for (;;) {
            const qint64 n = pdf.read(buffer.data(), buffer.size());
            if (n < 0)
                problem = pdf.errorString();
            if (n <= 0)
                break;
            if (cupsWriteRequestData(http.get(), buffer.constData(), size_t(n)) != HTTP_STATUS_CONTINUE) {
                problem = LastError();
                break;
            }
        }
        // A document cut short is never finished: closing the connection leaves the
        // scheduler without it. cupsFinishDocument reports success when the connection
        // broke before any answer came, so the answer itself is read here.
        if (problem.isEmpty()) {
            const QByteArray resource = "/printers/" + name;
            const std::unique_ptr<ipp_t, IppDeleter> response(cupsGetResponse(http.get(), resource.constData()));
            // Without a response the error is an HTTP one, or none at all: the job's
            // creation left the last error at success.
            if (!response && cupsLastError() > IPP_STATUS_OK_CONFLICTING)
                problem = LastError();
            else if (!response)
                problem = httpError(http.get()) != 0
                    ? Tr("the print server sent no answer (%1)").arg(QString::fromLocal8Bit(std::strerror(httpError(http.get()))))
                    : Tr("the print server sent no answer");
            else if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING)
                problem = LastError();
            else
                answered = true;
        }
    }
    http.reset();

    // The sending connection's answer is not the proof: only the scheduler's own view of
    // the job, asked afresh, tells whether it holds the whole document.
    const JobStatus status = QueryJob(server, job, 5000, 5.0);
    if (status.known && HoldsDocument(status, !problem.isEmpty())) {
        result.delivery = TDelivery::Confirmed;
        return result;
    }
    if (!status.known && status.notFound && answered) {
        // It took the document and has already forgotten the job: a server that keeps no
        // history of finished jobs.
        result.delivery = TDelivery::Confirmed;
        return result;
    }
    if (!status.known) {
        result.delivery = TDelivery::Unknown;
        result.reason = problem.isEmpty() ? status.error : problem;
        return result;
    }
    if (problem.isEmpty())
        problem = Tr("the print server does not hold the whole document");
    // The scheduler is there but the document did not arrive whole: the job must not
    // print a part, so it goes; if even that cannot be done, nobody can say what prints.
    if (Ended(status.state) && status.state != IPP_JSTATE_COMPLETED) {
        result.reason = problem;
        return result;
    }
    if (status.state != IPP_JSTATE_COMPLETED && Cancel(server, job)) {
        result.reason = problem;
        return result;
    }
    result.delivery = TDelivery::Unknown;
    result.reason = problem;
    return result;
}

cups::JobEnd cups::FollowJob(const QString& server, int jobId, int timeoutMs)
{
    JobEnd end;
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    for (;;) {
        // Each question is bounded by what is left of the time, so a stopped scheduler
        // does not hold the caller up.
        const qint64 left = std::clamp<qint64>(deadline.remainingTime(), 1000, 2000);
        const JobStatus status = QueryJob(server, jobId, int(left), double(left) / 1000.0);
        if (status.known) {
            end.sheets = status.sheets;
            switch (status.state) {
            case IPP_JSTATE_COMPLETED: end.state = JobState::Completed; return end;
            case IPP_JSTATE_ABORTED: end.state = JobState::Aborted; return end;
            case IPP_JSTATE_CANCELED: end.state = JobState::Cancelled; return end;
            default: end.state = JobState::Pending; break;
            }
        }
        if (deadline.hasExpired())
            return end;
        QThread::msleep(100);
    }
}

bool cups::CancelJob(const QString& server, int jobId)
{
    return Cancel(server, jobId);
}
