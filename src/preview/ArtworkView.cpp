#include "preview/ArtworkView.h"

#include "platform/Exception.h"
#include "platform/PdfTemplate.h"

#include <QCoreApplication>
#include <QPdfDocument>

TArtworkView::TArtworkView() = default;
TArtworkView::~TArtworkView() = default;

bool TArtworkView::Open(const QString& path, int page)
{
    document_.reset();
    ready_ = false;
    problem_.clear();
    image_ = QImage();
    renders_ = 0;
    page_ = page;
    if (path.isEmpty())
        return false;
    try {
        // The same checks as a print's, so the preview refuses what the printer would.
        sizeInches_ = pdftemplate::Load(path, page).sizeInches;
    } catch (const Exception& e) {
        problem_ = e.Message();
        return false;
    }
    document_ = std::make_unique<QPdfDocument>();
    if (document_->load(path) != QPdfDocument::Error::None || document_->pageCount() < page) {
        problem_ = QCoreApplication::translate("PdfTemplate", "The template %1 cannot be shown").arg(path);
        document_.reset();
        return false;
    }
    ready_ = true;
    return true;
}

QImage TArtworkView::Image(QSize pixels)
{
    if (!ready_ || pixels.isEmpty())
        return {};
    if (image_.size() != pixels) {
        QPdfDocumentRenderOptions options;
        options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::Annotations);
        image_ = document_->render(page_ - 1, pixels, options);
        ++renders_;
    }
    return image_;
}
