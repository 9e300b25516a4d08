#include "platform/PdfTemplate.h"

#include "platform/Exception.h"
#include "platform/PdfWriter.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>

#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFXRefEntry.hh>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace pdftemplate {

namespace {

constexpr double kPointsPerInch = 72.0;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// A PDF in memory, read strictly: a damaged file is refused rather than repaired by
// guesswork, and warnings go nowhere (the caller reports what matters).
std::unique_ptr<QPDF> Open(const QByteArray& bytes, const QString& description)
{
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(false);
    const std::string name = description.toStdString();
    pdf->processMemoryFile(name.c_str(), bytes.constData(), size_t(bytes.size()));
    return pdf;
}

// The page's form with its rotation applied, and the rectangle it covers.
struct Form {
    QPDFObjectHandle object;
    QPDFObjectHandle::Rectangle box;
};

Form PageForm(QPDF& pdf, int page)
{
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    QPDFPageObjectHelper helper = pages.at(size_t(page - 1));
    Form form;
    form.object = helper.getFormXObjectForPage();
    const QPDFObjectHandle::Rectangle bbox = form.object.getDict().getKey("/BBox").getArrayAsRectangle();
    QPDFObjectHandle matrix = form.object.getDict().getKey("/Matrix");
    form.box = matrix.isMatrix() ? QPDFMatrix(matrix.getArrayAsMatrix()).transformRectangle(bbox) : bbox;
    return form;
}

// Why the page's form cannot be placed as it is: its content, decoded, and every stream
// it draws (images, fonts, forms), as they are copied, must read without a fault.
std::string Damage(QPDF& pdf, Form form)
{
    Pl_Discard discard;
    bool filtered = false;
    if (!form.object.pipeStreamData(&discard, &filtered, 0, qpdf_dl_generalized))
        return "its page content cannot be read";
    std::set<QPDFObjGen> seen;
    std::vector<QPDFObjectHandle> pending { form.object.getDict().getKey("/Resources") };
    while (!pending.empty() && !pdf.anyWarnings()) {
        QPDFObjectHandle object = pending.back();
        pending.pop_back();
        if (object.isIndirect() && !seen.insert(object.getObjGen()).second)
            continue;
        if (object.isStream()) {
            if (!object.pipeStreamData(&discard, &filtered, 0, qpdf_dl_none))
                return "stream " + object.getObjGen().unparse(' ') + " cannot be read";
            object = object.getDict();
        }
        if (object.isArray())
            for (QPDFObjectHandle& item : object.getArrayAsVector())
                pending.push_back(item);
        else if (object.isDictionary())
            for (auto& [key, value] : object.getDictAsMap())
                if (key != "/Parent")
                    pending.push_back(value);
    }
    const std::vector<QPDFExc> warnings = pdf.getWarnings();
    return warnings.empty() ? std::string() : warnings.front().getMessageDetail();
}

} // namespace

TArtwork Load(const QString& path, int page)
{
    // A pipe or a device is refused, not waited on.
    std::optional<QByteArray> bytes = regularfile::Read(path);
    if (!bytes)
        throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 cannot be read: %2").arg(Native(path), QString::fromLocal8Bit(std::strerror(ENOENT))));
    TArtwork artwork;
    artwork.path = path;
    artwork.page = page;
    artwork.bytes = std::move(*bytes);
    artwork.sha256 = QString::fromLatin1(QCryptographicHash::hash(artwork.bytes, QCryptographicHash::Sha256).toHex());
    try {
        const std::unique_ptr<QPDF> pdf = Open(artwork.bytes, path);
        if (pdf->isEncrypted())
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 is encrypted; save it without a password").arg(Native(path)));
        const int pages = int(QPDFPageDocumentHelper(*pdf).getAllPages().size());
        artwork.pageCount = pages;
        if (pages == 0)
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 has no pages").arg(Native(path)));
        if (page < 1 || page > pages)
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 has no page %2 (pages: %3)").arg(Native(path)).arg(page).arg(pages));
        const Form form = PageForm(*pdf, page);
        artwork.sizeInches = QSizeF((form.box.urx - form.box.llx) / kPointsPerInch, (form.box.ury - form.box.lly) / kPointsPerInch);
        if (!(artwork.sizeInches.width() > 0 && artwork.sizeInches.height() > 0))
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 has an empty page %2").arg(Native(path)).arg(page));
        // Read as it will be placed: a stream qpdf cannot read whole would print as nothing.
        if (const std::string damage = Damage(*pdf, form); !damage.empty())
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 is damaged: %2").arg(Native(path), QString::fromStdString(damage)));
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 is encrypted; save it without a password").arg(Native(path)));
        throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 is not a readable PDF: %2").arg(Native(path), QString::fromStdString(e.getMessageDetail())));
    } catch (const std::exception& e) {
        // qpdf raises plain runtime errors for some structural damage too.
        if (dynamic_cast<const Exception*>(&e))
            throw;
        throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 is not a readable PDF: %2").arg(Native(path), QString::fromLocal8Bit(e.what())));
    }
    return artwork;
}

namespace {

// A part's pages. Qt writes one level of pages that carry all their attributes; any other
// tree has what its pages inherit brought onto them first.
std::vector<QPDFObjectHandle> PartPages(QPDF& part)
{
    QPDFObjectHandle tree = part.getRoot().getKey("/Pages");
    bool flat = tree.isDictionary() && tree.getKey("/Kids").isArray();
    for (const char* key : { "/Resources", "/MediaBox", "/CropBox", "/Rotate" })
        flat = flat && !tree.hasKey(key);
    std::vector<QPDFObjectHandle> pages;
    if (flat)
        pages = tree.getKey("/Kids").getArrayAsVector();
    for (QPDFObjectHandle& page : pages)
        flat = flat && page.isDictionary() && page.getKey("/Type").isNameAndEquals("/Page");
    if (flat)
        return pages;
    part.pushInheritedAttributesToPage();
    return part.getAllPages();
}

// What tells a page's resources from another's: the text of their object as the part
// stores it (the same text in one file is the same value), read without parsing it; or,
// for resources not stored so, their value.
std::string ResourcesKey(const QByteArray& bytes, const std::map<QPDFObjGen, QPDFXRefEntry>& xref, QPDFObjectHandle resources)
{
    if (const auto entry = resources.isIndirect() ? xref.find(resources.getObjGen()) : xref.end();
        entry != xref.end() && entry->second.getType() == 1) {
        const qsizetype from = bytes.indexOf("obj", qsizetype(entry->second.getOffset()));
        const qsizetype end = from >= 0 ? bytes.indexOf("endobj", from) : -1;
        if (end > from)
            return "stored " + std::string(bytes.constData() + from, size_t(end - from));
    }
    return resources.isDictionary() ? "value " + resources.unparse() : std::string();
}

bool SameRectangle(const QPDFObjectHandle::Rectangle& a, const QPDFObjectHandle::Rectangle& b)
{
    return a.llx == b.llx && a.lly == b.lly && a.urx == b.urx && a.ury == b.ury;
}

Exception CannotPlace(const std::exception& e)
{
    if (const auto* own = dynamic_cast<const Exception*>(&e))
        return *own;
    return Exception(QCoreApplication::translate("PdfTemplate", "Cannot place the template under the document: %1").arg(QString::fromLocal8Bit(e.what())));
}

} // namespace

struct TPlacement::Impl {
    explicit Impl(QIODevice& out)
        : writer(out)
    {
    }
    TUnderlay underlay;
    std::unique_ptr<QPDF> artwork;
    Form form;
    TPdfWriter writer;
    int xobject = 0;            // the artwork's number
    int root = 0;               // the catalog's, written last
    int tree = 0;               // the one node of pages'
    int info = 0;
    std::string rootEntries;    // what the catalog holds besides its pages
    std::vector<int> kids;
    std::optional<QPDFObjectHandle::Rectangle> paper; // the first page's, which the tree hands down
    std::map<std::string, int> placements; // pages that place the artwork alike share one

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> waiting;
    bool busy = false;
    bool closing = false;
    std::exception_ptr error;
    std::thread worker;

    void Work();
    void Take(const QByteArray& bytes);
    int Placement(const QPDFObjectHandle::Rectangle& media, int pageIndex, const std::string& name);
    int Resources(QPDFObjectHandle resources, std::string& name);
};

TPlacement::TPlacement(TUnderlay underlay, QIODevice& out)
    : d(std::make_unique<Impl>(out))
{
    d->underlay = std::move(underlay);
    try {
        d->artwork = Open(d->underlay.pdf, QStringLiteral("template"));
        d->form = PageForm(*d->artwork, d->underlay.page);
        d->root = d->writer.Reserve();
        d->tree = d->writer.Reserve();
        d->xobject = d->writer.Written(d->form.object);
    } catch (const std::exception& e) {
        throw CannotPlace(e);
    }
    d->worker = std::thread([impl = d.get()] { impl->Work(); });
}

TPlacement::~TPlacement()
{
    {
        const std::lock_guard lock(d->mutex);
        d->closing = true;
        d->waiting.clear();
    }
    d->changed.notify_all();
    d->worker.join();
}

void TPlacement::Add(QByteArray part)
{
    std::unique_lock lock(d->mutex);
    d->changed.wait(lock, [this] { return d->waiting.size() < 2 || d->error; });
    if (d->error)
        std::rethrow_exception(d->error);
    d->waiting.push_back(std::move(part));
    lock.unlock();
    d->changed.notify_all();
}

void TPlacement::Impl::Work()
{
    for (;;) {
        QByteArray part;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return closing || (!waiting.empty() && !error); });
            if (closing)
                return;
            part = std::move(waiting.front());
            waiting.pop_front();
            busy = true;
        }
        std::exception_ptr failure;
        try {
            Take(part);
        } catch (const std::exception& e) {
            failure = std::make_exception_ptr(CannotPlace(e));
        }
        {
            const std::lock_guard lock(mutex);
            busy = false;
            if (failure && !error)
                error = failure;
        }
        changed.notify_all();
    }
}

int TPlacement::Impl::Placement(const QPDFObjectHandle::Rectangle& media, int pageIndex, const std::string& name)
{
    const QList<QPointF> corners = underlay.corners ? underlay.corners(pageIndex) : QList<QPointF>();
    if (corners.isEmpty())
        return 0;
    std::string content;
    for (const QPointF& corner : corners) {
        // PDF measures up from the paper's lower-left corner; the corner is the artwork's
        // top-left, measured down from the paper's top.
        const double x = media.llx + corner.x() * kPointsPerInch - form.box.llx;
        const double y = media.ury - corner.y() * kPointsPerInch - (form.box.ury - form.box.lly) - form.box.lly;
        char line[256];
        if (underlay.clip.isEmpty()) {
            std::snprintf(line, sizeof line, "q 1 0 0 1 %.4f %.4f cm %s Do Q\n", x, y, name.c_str());
        } else {
            // Cut to the box below and right of the corner.
            const double left = media.llx + corner.x() * kPointsPerInch;
            const double top = media.ury - corner.y() * kPointsPerInch;
            const double width = underlay.clip.width() * kPointsPerInch;
            const double height = underlay.clip.height() * kPointsPerInch;
            std::snprintf(line, sizeof line, "q %.4f %.4f %.4f %.4f re W n 1 0 0 1 %.4f %.4f cm %s Do Q\n", left, top - height,
                          width, height, x, y, name.c_str());
        }
        content += line;
    }
    int& stream = placements[content];
    if (stream == 0) {
        stream = writer.Reserve();
        writer.WriteStream(stream, "<<>>", content);
    }
    return stream;
}

int TPlacement::Impl::Resources(QPDFObjectHandle resources, std::string& name)
{
    // Written as the page had them, with the artwork under a name of its own.
    QPDFObjectHandle own = resources.isDictionary() ? resources.shallowCopy() : QPDFObjectHandle::newDictionary();
    QPDFObjectHandle xobjects = own.getKey("/XObject");
    xobjects = xobjects.isDictionary() ? xobjects.shallowCopy() : QPDFObjectHandle::newDictionary();
    int n = 1;
    while (xobjects.hasKey("/Tpl" + std::to_string(n)))
        ++n;
    name = "/Tpl" + std::to_string(n);
    own.removeKey("/XObject");
    std::string text = writer.Text(own);
    std::string entries = writer.Text(xobjects);
    entries.insert(entries.size() - 2, name + ' ' + std::to_string(xobject) + " 0 R");
    text.insert(text.size() - 2, "/XObject " + entries);
    const int number = writer.Reserve();
    writer.WriteObject(number, text);
    return number;
}

void TPlacement::Impl::Take(const QByteArray& bytes)
{
    QPDF part;
    part.setSuppressWarnings(true);
    part.processMemoryFile("part", bytes.constData(), size_t(bytes.size()));
    const std::vector<QPDFObjectHandle> drawn = PartPages(part);
    // Whatever the part's pages are written with, its own objects go with it.
    struct Forget {
        TPdfWriter& writer;
        const QPDF* part;
        ~Forget() { writer.Forget(part); }
    } forget { writer, &part };

    // The pages are numbered first, so what refers to a page finds it.
    std::vector<int> numbers;
    numbers.reserve(drawn.size());
    for (const QPDFObjectHandle& page : drawn) {
        numbers.push_back(writer.Reserve());
        writer.Map(page, numbers.back());
    }
    if (kids.empty()) {
        // The document's own entries (its information, its metadata) come from its first part.
        for (auto& [key, value] : part.getRoot().getDictAsMap())
            if (key != "/Type" && key != "/Pages")
                rootEntries += TPdfWriter::Name(key) + ' ' + writer.Text(value);
        if (QPDFObjectHandle found = part.getTrailer().getKey("/Info"); found.isDictionary()) {
            info = found.isIndirect() ? writer.Written(found) : writer.Reserve();
            if (!found.isIndirect())
                writer.WriteObject(info, writer.Text(found));
        }
    }

    // Qt gives every page resources of its own, all alike within a part: pages whose
    // resources read the same share one copy, which names the artwork once.
    struct Shared {
        int number = 0;
        std::string name;
    };
    std::map<std::string, Shared> shared;
    const std::map<QPDFObjGen, QPDFXRefEntry> xref = part.getXRefTable();
    for (size_t index = 0; index < drawn.size(); ++index) {
        QPDFObjectHandle from = drawn[index];
        QPDFObjectHandle box = from.getKey("/MediaBox");
        if (!box.isRectangle())
            throw std::runtime_error("page " + std::to_string(kids.size() + 1) + " has no size");
        const QPDFObjectHandle::Rectangle media = box.getArrayAsRectangle();
        if (!paper)
            paper = media;
        std::string page = "<</Type /Page /Parent " + std::to_string(tree) + " 0 R";
        for (auto& [key, value] : from.getDictAsMap()) {
            // An empty list of annotations is left out, and the paper when the tree has it.
            if (key == "/Type" || key == "/Parent" || key == "/Contents" || key == "/Resources"
                || (key == "/MediaBox" && SameRectangle(media, *paper)) || (key == "/Annots" && value.isArray() && value.getArrayNItems() == 0))
                continue;
            page += TPdfWriter::Name(key) + ' ' + writer.Text(value);
        }

        QPDFObjectHandle resources = from.getKey("/Resources");
        auto [known, added] = shared.try_emplace(ResourcesKey(bytes, xref, resources));
        if (added)
            known->second.number = Resources(resources, known->second.name);
        page += "/Resources " + std::to_string(known->second.number) + " 0 R/Contents [";

        // The artwork first, then Qt's drawing as it was written.
        if (const int placement = Placement(media, int(kids.size()), known->second.name))
            page += std::to_string(placement) + " 0 R ";
        QPDFObjectHandle contents = from.getKey("/Contents");
        for (QPDFObjectHandle& stream : contents.isArray() ? contents.getArrayAsVector() : std::vector { contents })
            if (stream.isStream())
                page += std::to_string(writer.Written(stream)) + " 0 R ";
        page += "]>>";
        writer.Pack(numbers[index], std::move(page));
        kids.push_back(numbers[index]);
    }
    writer.WritePack();
}

void TPlacement::Finish()
{
    {
        std::unique_lock lock(d->mutex);
        d->changed.wait(lock, [this] { return (d->waiting.empty() && !d->busy) || d->error; });
        if (d->error)
            std::rethrow_exception(d->error);
    }
    try {
        std::string tree = "<</Type /Pages /Count " + std::to_string(d->kids.size()) + " /Kids [";
        for (const int kid : d->kids)
            tree += std::to_string(kid) + " 0 R ";
        tree += ']';
        if (d->paper)
            tree += "/MediaBox " + d->writer.Text(QPDFObjectHandle::newFromRectangle(*d->paper));
        d->writer.WriteObject(d->tree, tree + ">>");
        d->writer.WriteObject(d->root, "<</Type /Catalog /Pages " + std::to_string(d->tree) + " 0 R" + d->rootEntries + ">>");
        d->writer.Finish(d->root, d->info);
    } catch (const std::exception& e) {
        throw CannotPlace(e);
    }
}

} // namespace pdftemplate
