#include "platform/PdfTemplate.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>

#include <qpdf/Pl_Function.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
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

// A value of Qt's document made this document's own: indirect objects through qpdf's
// copier (which copies each once, with what it refers to), direct ones item by item.
QPDFObjectHandle Own(QPDF& pdf, QPDFObjectHandle foreign)
{
    if (foreign.isIndirect())
        return pdf.copyForeignObject(foreign);
    if (foreign.isArray()) {
        QPDFObjectHandle array = QPDFObjectHandle::newArray();
        for (QPDFObjectHandle& item : foreign.getArrayAsVector())
            array.appendItem(Own(pdf, item));
        return array;
    }
    if (foreign.isDictionary()) {
        QPDFObjectHandle dictionary = QPDFObjectHandle::newDictionary();
        for (auto& [key, value] : foreign.getDictAsMap())
            dictionary.replaceKey(key, Own(pdf, value));
        return dictionary;
    }
    return foreign.shallowCopy();
}

// Qt's pages, from its page tree. Qt writes one level of pages that carry all their
// attributes; any other tree has what its pages inherit brought onto them first.
std::vector<QPDFObjectHandle> Pages(QPDF& drawn)
{
    QPDFObjectHandle tree = drawn.getRoot().getKey("/Pages");
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
    drawn.pushInheritedAttributesToPage();
    return drawn.getAllPages();
}

// The same resource: one object, or equal direct values.
bool SameResource(QPDFObjectHandle a, QPDFObjectHandle b)
{
    if (a.isIndirect() || b.isIndirect())
        return a.isIndirect() && b.isIndirect() && a.getObjGen() == b.getObjGen();
    return a.unparse() == b.unparse();
}

// The resources of Qt's pages gathered into one dictionary. Qt names every resource
// after its object, and its fonts, states and images are shared between pages, so the
// pages' resources fit together; a page whose names mean something else keeps its own.
class Resources {
public:
    // Takes in a page's resources; false when a name in them means something else already.
    bool Merge(QPDFObjectHandle resources)
    {
        if (!resources.isDictionary())
            return true;
        // One object for many pages is looked at once.
        if (resources.isIndirect()) {
            auto [known, fresh] = merged_.try_emplace(resources.getObjGen(), true);
            if (!fresh)
                return known->second;
            known->second = MergeEntries(resources);
            return known->second;
        }
        return MergeEntries(resources);
    }

private:
    bool MergeEntries(QPDFObjectHandle resources)
    {
        for (auto& [category, entries] : resources.getDictAsMap()) {
            if (!entries.isDictionary()) {
                // A procedure set and the like: the same for every page, or the page's own.
                auto [known, fresh] = plain_.try_emplace(category, entries);
                if (!fresh && !SameResource(known->second, entries))
                    return Refuse(resources);
                continue;
            }
            std::map<std::string, QPDFObjectHandle>& names = categories_[category];
            for (auto& [name, value] : entries.getDictAsMap()) {
                if (category == "/XObject")
                    xobjectNames_.insert(name);
                auto [known, fresh] = names.try_emplace(name, value);
                if (!fresh && !SameResource(known->second, value))
                    return Refuse(resources);
            }
        }
        return true;
    }

public:
    // A name for the artwork that no page uses.
    std::string FreeXObjectName() const
    {
        int n = 1;
        while (xobjectNames_.count("/Tpl" + std::to_string(n)))
            ++n;
        return "/Tpl" + std::to_string(n);
    }

    // The gathered resources in `pdf`, with `xobject` under `name`.
    QPDFObjectHandle Make(QPDF& pdf, const std::string& name, QPDFObjectHandle xobject) const
    {
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        for (const auto& [category, value] : plain_)
            resources.replaceKey(category, Own(pdf, value));
        for (const auto& [category, names] : categories_) {
            QPDFObjectHandle entries = QPDFObjectHandle::newDictionary();
            for (const auto& [key, value] : names)
                entries.replaceKey(key, Own(pdf, value));
            resources.replaceKey(category, entries);
        }
        return WithXObject(pdf, resources, name, xobject);
    }

    static QPDFObjectHandle WithXObject(QPDF& pdf, QPDFObjectHandle resources, const std::string& name, QPDFObjectHandle xobject)
    {
        QPDFObjectHandle xobjects = resources.getKey("/XObject");
        if (!xobjects.isDictionary()) {
            xobjects = QPDFObjectHandle::newDictionary();
            resources.replaceKey("/XObject", xobjects);
        }
        xobjects.replaceKey(name, xobject);
        return pdf.makeIndirectObject(resources);
    }

private:
    bool Refuse(QPDFObjectHandle resources)
    {
        // What was taken in before the clash stays: names of this page's that fitted mean
        // the same for every page that has them.
        for (auto& [category, entries] : resources.getDictAsMap())
            if (category == "/XObject" && entries.isDictionary())
                for (const std::string& name : entries.getKeys())
                    xobjectNames_.insert(name);
        return false;
    }

    std::map<QPDFObjGen, bool> merged_;
    std::map<std::string, QPDFObjectHandle> plain_;
    std::map<std::string, std::map<std::string, QPDFObjectHandle>> categories_;
    std::set<std::string> xobjectNames_;
};

} // namespace

TArtwork Load(const QString& path, int page)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 cannot be read: %2").arg(Native(path), file.errorString()));
    TArtwork artwork;
    artwork.path = path;
    artwork.page = page;
    artwork.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 cannot be read: %2").arg(Native(path), file.errorString()));
    artwork.sha256 = QString::fromLatin1(QCryptographicHash::hash(artwork.bytes, QCryptographicHash::Sha256).toHex());
    try {
        const std::unique_ptr<QPDF> pdf = Open(artwork.bytes, path);
        if (pdf->isEncrypted())
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 is encrypted; save it without a password").arg(Native(path)));
        const int pages = int(QPDFPageDocumentHelper(*pdf).getAllPages().size());
        if (pages == 0)
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 has no pages").arg(Native(path)));
        if (page < 1 || page > pages)
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 has no page %2 (pages: %3)").arg(Native(path)).arg(page).arg(pages));
        const Form form = PageForm(*pdf, page);
        artwork.sizeInches = QSizeF((form.box.urx - form.box.llx) / kPointsPerInch, (form.box.ury - form.box.lly) / kPointsPerInch);
        if (!(artwork.sizeInches.width() > 0 && artwork.sizeInches.height() > 0))
            throw Exception(QCoreApplication::translate("PdfTemplate", "The template %1 has an empty page %2").arg(Native(path)).arg(page));
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

Exception CannotPlace(const std::exception& e)
{
    if (const auto* known = dynamic_cast<const Exception*>(&e))
        return *known;
    return Exception(QCoreApplication::translate("PdfTemplate", "Cannot place the template: %1").arg(QString::fromLocal8Bit(e.what())));
}

} // namespace

struct TPlacement::Impl {
    TUnderlay underlay;
    std::unique_ptr<QPDF> artwork; // the source of the artwork's form until the output is written
    Form form;
    QPDF pdf;
    QPDFObjectHandle xobject;
    QPDFObjectHandle kids;
    int pages = 0;
    std::map<std::string, QPDFObjectHandle> placements; // pages that place the artwork alike share one
    // Qt's parts as read, whose content streams the output copies when it is written.
    // Kept whole: qpdf releases a document slowly and reads a released one's streams slowly.
    std::vector<std::pair<QByteArray, std::unique_ptr<QPDF>>> parts;

    void Take(const QByteArray& bytes, QPDF& drawn);
};

TPlacement::TPlacement(TUnderlay underlay)
    : d(std::make_unique<Impl>())
{
    d->underlay = std::move(underlay);
    try {
        d->artwork = Open(d->underlay.pdf, QStringLiteral("template"));
        d->form = PageForm(*d->artwork, d->underlay.page);
        d->pdf.emptyPDF();
        d->xobject = d->pdf.copyForeignObject(d->form.object);
    } catch (const std::exception& e) {
        throw CannotPlace(e);
    }
    d->kids = QPDFObjectHandle::newArray();
}

TPlacement::~TPlacement() = default;

void TPlacement::Add(QByteArray part)
{
    try {
        auto& [bytes, drawn] = d->parts.emplace_back(std::move(part), std::make_unique<QPDF>());
        d->Take(bytes, *drawn);
    } catch (const std::exception& e) {
        throw CannotPlace(e);
    }
}

void TPlacement::Impl::Take(const QByteArray& bytes, QPDF& drawn)
{
    drawn.setSuppressWarnings(true);
    drawn.processMemoryFile("part", bytes.constData(), size_t(bytes.size()));
    std::vector<QPDFObjectHandle> drawnPages = Pages(drawn);

    // The part's pages share one resources dictionary, which their node of the page tree
    // hands down with the paper's size. Qt's own page objects stay behind.
    Resources gathered;
    std::vector<char> ownResources(drawnPages.size());
    std::vector<QPDFObjectHandle::Rectangle> media(drawnPages.size());
    bool oneSize = true;
    for (size_t index = 0; index < drawnPages.size(); ++index) {
        ownResources[index] = !gathered.Merge(drawnPages[index].getKey("/Resources"));
        QPDFObjectHandle box = drawnPages[index].getKey("/MediaBox");
        if (!box.isRectangle())
            throw std::runtime_error("page " + std::to_string(pages + int(index) + 1) + " has no size");
        media[index] = box.getArrayAsRectangle();
        const QPDFObjectHandle::Rectangle& first = media.front();
        const QPDFObjectHandle::Rectangle& own = media[index];
        oneSize = oneSize && own.llx == first.llx && own.lly == first.lly && own.urx == first.urx && own.ury == first.ury;
    }
    const std::string artworkName = gathered.FreeXObjectName();

    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle tree = root.getKey("/Pages");
    QPDFObjectHandle node = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    node.replaceKey("/Type", QPDFObjectHandle::newName("/Pages"));
    node.replaceKey("/Parent", tree);
    node.replaceKey("/Resources", gathered.Make(pdf, artworkName, xobject));
    if (oneSize && !media.empty())
        node.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle(media.front()));
    QPDFObjectHandle nodeKids = QPDFObjectHandle::newArray();
    const QPDFObjectHandle pageType = QPDFObjectHandle::newName("/Page");
    for (size_t index = 0; index < drawnPages.size(); ++index) {
        QPDFObjectHandle drawnPage = drawnPages[index];
        QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
        page.replaceKey("/Type", pageType);
        page.replaceKey("/Parent", node);
        for (auto& [key, value] : drawnPage.getDictAsMap()) {
            // An empty list of annotations is left out.
            if (key == "/Type" || key == "/Parent" || key == "/Contents" || key == "/Resources" || (key == "/MediaBox" && oneSize)
                || (key == "/Annots" && value.isArray() && value.getArrayNItems() == 0))
                continue;
            page.replaceKey(key, Own(pdf, value));
        }
        if (ownResources[index])
            page.replaceKey("/Resources", Resources::WithXObject(pdf, Own(pdf, drawnPage.getKey("/Resources")).shallowCopy(), artworkName, xobject));

        QPDFObjectHandle contents = QPDFObjectHandle::newArray();
        const QList<QPointF> corners = underlay.corners ? underlay.corners(pages + int(index)) : QList<QPointF>();
        if (!corners.isEmpty()) {
            std::string placement;
            for (const QPointF& corner : corners) {
                // PDF measures up from the paper's lower-left corner; the corner is the
                // artwork's top-left, measured down from the paper's top.
                const double x = media[index].llx + corner.x() * kPointsPerInch - form.box.llx;
                const double y = media[index].ury - corner.y() * kPointsPerInch - (form.box.ury - form.box.lly) - form.box.lly;
                char line[128];
                std::snprintf(line, sizeof line, "q 1 0 0 1 %.4f %.4f cm %s Do Q\n", x, y, artworkName.c_str());
                placement += line;
            }
            QPDFObjectHandle& stream = placements[placement];
            if (!stream.isInitialized())
                stream = QPDFObjectHandle::newStream(&pdf, placement);
            contents.appendItem(stream);
        }
        QPDFObjectHandle drawnContents = drawnPage.getKey("/Contents");
        for (QPDFObjectHandle& stream : drawnContents.isArray() ? drawnContents.getArrayAsVector() : std::vector { drawnContents })
            if (stream.isStream())
                contents.appendItem(pdf.copyForeignObject(stream));
        page.replaceKey("/Contents", contents.getArrayNItems() == 1 ? contents.getArrayItem(0) : contents);
        nodeKids.appendItem(pdf.makeIndirectObject(page));
    }
    node.replaceKey("/Kids", nodeKids);
    node.replaceKey("/Count", QPDFObjectHandle::newInteger(nodeKids.getArrayNItems()));
    kids.appendItem(node);
    if (pages == 0) {
        // The document's own entries (its information, its metadata) come from its first part.
        for (auto& [key, value] : drawn.getRoot().getDictAsMap())
            if (key != "/Type" && key != "/Pages")
                root.replaceKey(key, Own(pdf, value));
        if (QPDFObjectHandle info = drawn.getTrailer().getKey("/Info"); info.isDictionary())
            pdf.getTrailer().replaceKey("/Info", Own(pdf, info));
    }
    pages += int(nodeKids.getArrayNItems());
}

void TPlacement::Write(QIODevice& out)
{
    try {
        Write(d->pdf, out);
    } catch (const std::exception& e) {
        throw CannotPlace(e);
    }
}

void TPlacement::Write(QPDF& pdf, QIODevice& out)
{
    QPDFObjectHandle tree = pdf.getRoot().getKey("/Pages");
    tree.replaceKey("/Kids", d->kids);
    tree.replaceKey("/Count", QPDFObjectHandle::newInteger(d->pages));

    QPDFWriter writer(pdf);
    // A failed write (a full disk, a file size limit) is kept by the output file and
    // reported, with its reason, when the caller finishes it.
    Pl_Function sink("output", nullptr, [&out](unsigned char const* data, size_t length) {
        out.write(reinterpret_cast<const char*>(data), qint64(length));
    });
    writer.setOutputPipeline(&sink);
    // Qt's streams are compressed already: copied as they are, not decoded and made
    // again; the page dictionaries go into compressed object streams.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
}

} // namespace pdftemplate
