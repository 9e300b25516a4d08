#include "platform/PdfTemplate.h"

#include "platform/Exception.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>

#include <qpdf/Pl_Discard.hh>
#include <qpdf/Pl_Function.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <vector>
#include <map>
#include <memory>

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

void Apply(const QString& document, const TUnderlay& underlay, QIODevice& out)
{
    try {
        // Read whole: qpdf reading a file seeks for every object, which costs more than
        // the document's bytes in memory.
        QFile file(document);
        if (!file.open(QIODevice::ReadOnly))
            throw Exception(QCoreApplication::translate("PdfTemplate", "Cannot place the template under %1: %2").arg(Native(document), file.errorString()));
        const QByteArray bytes = file.readAll();
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        const std::string name = document.toStdString();
        pdf.processMemoryFile(name.c_str(), bytes.constData(), size_t(bytes.size()));
        const std::unique_ptr<QPDF> artwork = Open(underlay.pdf, QStringLiteral("template"));
        const Form form = PageForm(*artwork, underlay.page);
        // One copy of the artwork, drawn by every page.
        const QPDFObjectHandle xobject = pdf.copyForeignObject(form.object);

        // Pages that place the artwork alike share one content stream. Qt gives every page
        // resources of its own, all alike: pages whose resources read the same share one
        // copy, which names the artwork once, and an empty list of annotations goes. Fewer
        // objects make the file smaller and its writing faster.
        std::map<std::string, QPDFObjectHandle> streams;
        struct Shared {
            QPDFObjectHandle resources;
            std::string name;
        };
        std::map<std::string, Shared> sharedResources;
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        for (size_t index = 0; index < pages.size(); ++index) {
            QPDFPageObjectHelper& page = pages[index];
            const QList<QPointF> corners = underlay.corners ? underlay.corners(int(index)) : QList<QPointF>();
            if (corners.isEmpty())
                continue;
            QPDFObjectHandle dictionary = page.getObjectHandle();
            // A page may take its resources from the page tree above it.
            QPDFObjectHandle resources = page.getAttribute("/Resources", false);
            if (!resources.isDictionary())
                resources = QPDFObjectHandle::newDictionary();
            auto [known, added] = sharedResources.try_emplace(resources.unparseResolved());
            Shared& shared = known->second;
            if (added) {
                shared.resources = resources.isIndirect() ? resources : pdf.makeIndirectObject(resources);
                QPDFObjectHandle xobjects = shared.resources.getKey("/XObject");
                if (!xobjects.isDictionary()) {
                    xobjects = QPDFObjectHandle::newDictionary();
                    shared.resources.replaceKey("/XObject", xobjects);
                }
                int n = 1;
                while (xobjects.hasKey("/Tpl" + std::to_string(n)))
                    ++n;
                shared.name = "/Tpl" + std::to_string(n);
                xobjects.replaceKey(shared.name, xobject);
            }
            dictionary.replaceKey("/Resources", shared.resources);
            const std::string& name = shared.name;
            if (QPDFObjectHandle annotations = dictionary.getKey("/Annots"); annotations.isArray() && annotations.getArrayNItems() == 0)
                dictionary.removeKey("/Annots");
            const QPDFObjectHandle::Rectangle media = page.getMediaBox().getArrayAsRectangle();
            std::string content;
            for (const QPointF& corner : corners) {
                // PDF measures up from the paper's lower-left corner; the corner is the
                // artwork's top-left, measured down from the paper's top.
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
                    std::snprintf(line, sizeof line, "q %.4f %.4f %.4f %.4f re W n 1 0 0 1 %.4f %.4f cm %s Do Q\n", left,
                                  top - height, width, height, x, y, name.c_str());
                }
                content += line;
            }
            QPDFObjectHandle& stream = streams[content];
            if (!stream.isInitialized())
                stream = QPDFObjectHandle::newStream(&pdf, content);
            page.addPageContents(stream, true);
        }

        QPDFWriter writer(pdf);
        // A failed write (a full disk, a file size limit) is kept by the output file and
        // reported, with its reason, when the caller finishes it.
        Pl_Function sink("output", nullptr, [&out](unsigned char const* data, size_t length) {
            out.write(reinterpret_cast<const char*>(data), qint64(length));
        });
        writer.setOutputPipeline(&sink);
        // Qt's streams are compressed already: copied as they are, not decoded and made
        // again; the many small page dictionaries go into compressed object streams.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.write();
    } catch (const Exception&) {
        throw;
    } catch (const std::exception& e) {
        throw Exception(QCoreApplication::translate("PdfTemplate", "Cannot place the template under %1: %2").arg(Native(document), QString::fromLocal8Bit(e.what())));
    }
}

} // namespace pdftemplate
