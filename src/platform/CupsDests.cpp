#include "platform/CupsDests.h"

#include <cups/cups.h>

#include <QByteArray>
#include <QSizeF>

#include <cmath>
#include <memory>

namespace {

struct HttpDeleter {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpDeleter>;

// The scheduler libcups is set up for (CUPS_SERVER, client.conf, the local socket), on a
// connection whose waits are bounded.
Connection ConnectToScheduler()
{
    cups::UsePasswordCallback();
    cups::NewConnection();
    Connection http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr));
    if (http)
        httpSetTimeout(http.get(), 10.0, nullptr, nullptr);
    return http;
}

struct Dests {
    int count = 0;
    cups_dest_t* list = nullptr;
    ~Dests() { cupsFreeDests(count, list); }
};

// Points from hundredths of millimetres.
double Points(int hundredthsMm) { return hundredthsMm * 72.0 / 2540.0; }

cups::Media MediaOf(const cups_size_t& size)
{
    return cups::MediaOf(size.width, size.length, size.left, size.top, size.right, size.bottom);
}

// Dots per inch of a resolution attribute's first value.
std::optional<std::pair<int, int>> Dpi(ipp_attribute_t* attribute)
{
    if (!attribute || ippGetValueTag(attribute) != IPP_TAG_RESOLUTION || ippGetCount(attribute) < 1)
        return std::nullopt;
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    int x = ippGetResolution(attribute, 0, &y, &units);
    if (units == IPP_RES_PER_CM) {
        x = int(std::lround(x * 2.54));
        y = int(std::lround(y * 2.54));
    }
    if (x <= 0 || y <= 0)
        return std::nullopt;
    return std::pair { x, y };
}

// What the password callback knows between its calls.
struct PasswordState {
    cups::PasswordHook hook;
    QByteArray remembered;    // the password last given, offered again to new connections
    http_t* lastAsked = nullptr; // the connection the last password went to
    bool declined = false;       // no password was given since the last NewConnection
};

PasswordState& Passwords()
{
    static PasswordState state;
    return state;
}

const char* AskPassword(const char* /*prompt*/, http_t* http, const char* /*method*/, const char* resource, void*)
{
    PasswordState& state = Passwords();
    // Asked again on the connection a password went to: that password was refused.
    const bool refused = http && http == state.lastAsked;
    state.lastAsked = http;
    if (!refused && !state.remembered.isEmpty())
        return state.remembered.constData();
    state.remembered.clear();
    if (!state.hook) {
        state.declined = true;
        return nullptr;
    }
    cups::PasswordRequest request;
    request.user = QString::fromUtf8(cupsUser());
    request.refused = refused;
    QString place = QString::fromUtf8(resource ? resource : "");
    for (const QLatin1String prefix : { QLatin1String("/printers/"), QLatin1String("/classes/") })
        if (place.startsWith(prefix))
            place = place.mid(prefix.size()).section(u'/', 0, 0);
    request.queue = place;
    char host[256] = {};
    if (http && httpGetHostname(http, host, sizeof(host)))
        request.server = QString::fromUtf8(host);
    const std::optional<QString> answer = state.hook(request);
    if (!answer || answer->isEmpty()) {
        state.declined = true;
        return nullptr;
    }
    state.remembered = answer->toUtf8();
    return state.remembered.constData();
}

} // namespace

cups::Media cups::MediaOf(int width, int length, int left, int top, int right, int bottom)
{
    Media media;
    media.size = QPageSize(QSizeF(width / 100.0, length / 100.0), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    media.margins = QMarginsF(Points(left), Points(top), Points(right), Points(bottom));
    return media;
}

cups::Queues cups::ReadQueues()
{
    Queues queues;
    const Connection http = ConnectToScheduler();
    if (!http)
        return queues;
    Dests dests;
    dests.count = cupsGetDests2(http.get(), &dests.list);
    // No queue at all is an answer too; a request that failed is none.
    if (dests.count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
        return queues;
    queues.reached = true;
    for (int i = 0; i < dests.count; ++i) {
        const cups_dest_t& dest = dests.list[i];
        if (dest.instance)
            continue;
        const QString name = QString::fromUtf8(dest.name);
        queues.names << name;
        if (dest.is_default)
            queues.defaultName = name;
    }
    return queues;
}

cups::QueueInfo cups::ReadQueueInfo(const QString& queue)
{
    QueueInfo info;
    const Connection http = ConnectToScheduler();
    if (!http)
        return info;
    Dests dests;
    dests.count = cupsGetDests2(http.get(), &dests.list);
    cups_dest_t* dest = cupsGetDest(queue.toUtf8().constData(), nullptr, dests.count, dests.list);
    if (!dest)
        return info;
    cups_dinfo_t* details = cupsCopyDestInfo(http.get(), dest);
    if (!details)
        return info;
    info.read = true;
    cups_size_t size {};
    if (cupsGetDestMediaDefault(http.get(), dest, details, CUPS_MEDIA_FLAGS_DEFAULT, &size))
        info.defaultMedia = ::MediaOf(size);
    const int count = cupsGetDestMediaCount(http.get(), dest, details, CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < count; ++i) {
        if (!cupsGetDestMediaByIndex(http.get(), dest, details, i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
            continue;
        const Media media = ::MediaOf(size);
        // A size listed again (borderless, another tray) keeps its first margins.
        bool known = false;
        for (const Media& listed : std::as_const(info.media))
            known = known || listed.size.isEquivalentTo(media.size);
        if (!known)
            info.media << media;
    }
    // The queue's own resolution; otherwise 300 dpi if it offers that, or the first it
    // offers; 300 dpi when it says nothing.
    std::optional<std::pair<int, int>> dpi = Dpi(cupsFindDestDefault(http.get(), dest, details, "printer-resolution"));
    if (!dpi) {
        ipp_attribute_t* supported = cupsFindDestSupported(http.get(), dest, details, "printer-resolution");
        for (int i = 0; supported && ippGetValueTag(supported) == IPP_TAG_RESOLUTION && i < ippGetCount(supported); ++i) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int x = ippGetResolution(supported, i, &y, &units);
            if (units == IPP_RES_PER_INCH && x == 300 && y == 300)
                dpi = std::pair { 300, 300 };
        }
        if (!dpi)
            dpi = Dpi(supported);
    }
    const std::pair<int, int> chosen = dpi.value_or(std::pair { 300, 300 });
    info.dpiX = chosen.first;
    info.dpiY = chosen.second;
    cupsFreeDestInfo(details);
    return info;
}

void cups::SetPasswordHook(PasswordHook hook)
{
    PasswordState& state = Passwords();
    state.hook = std::move(hook);
    state.remembered.clear();
    state.lastAsked = nullptr;
}

void cups::UsePasswordCallback()
{
    // Without it libcups would read a password from the terminal, or wait for one there.
    cupsSetPasswordCB2(AskPassword, nullptr);
}

void cups::NewConnection()
{
    Passwords().lastAsked = nullptr;
    Passwords().declined = false;
}

cups::Login cups::CheckLogin(const QString& queue)
{
    const Connection http = ConnectToScheduler();
    if (!http)
        return Login::Unknown;
    const QByteArray name = queue.toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     name.constData());
    ipp_t* request = ippNewRequest(IPP_OP_VALIDATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, CUPS_FORMAT_PDF);
    const QByteArray resource = "/printers/" + name;
    ipp_t* response = cupsDoRequest(http.get(), request, resource.constData());
    const ipp_status_t status = response ? ippGetStatusCode(response) : cupsLastError();
    ippDelete(response);
    if (Passwords().declined)
        return Login::Declined;
    if (status == IPP_STATUS_ERROR_NOT_AUTHORIZED || status == IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED)
        return Login::Declined;
    return status <= IPP_STATUS_OK_CONFLICTING ? Login::Open : Login::Unknown;
}
