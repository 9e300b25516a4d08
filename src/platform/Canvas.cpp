#include "platform/Canvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <cstdlib>

namespace {

// Qt's font metrics and a recorded picture's text replay go wrong for faces many
// thousands of pixels high; taller text is laid out at this height and scaled up.
constexpr int kLargestLaidOutPixels = 4096;

// Stands for "no clipping" when a rectangle is excluded from an unclipped canvas.
const QRect kUnclipped(QPoint(-(1 << 28), -(1 << 28)), QPoint(1 << 28, 1 << 28));

Qt::PenStyle ToQtPenStyle(TPenStyle style)
{
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    case psSolid:
    case psInsideFrame: break;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style)
{
    switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsSolid: break;
    }
    return Qt::SolidPattern;
}

QPainter::CompositionMode ToQtMode(TPenMode mode)
{
    switch (mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmWhite: return QPainter::RasterOp_SetDestination;
    case pmBlack: return QPainter::RasterOp_ClearDestination;
    case pmCopy: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

} // namespace

// ---------------------------------------------------------------- TFont

void TFont::SetName(const QString& name)
{
    if (name != name_) {
        name_ = name;
        Changed();
    }
}

void TFont::SetSize(int points)
{
    if (points != size_) {
        size_ = points;
        Changed();
    }
}

void TFont::SetStyle(TFontStyles style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TFont::SetColor(const QColor& color)
{
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TFont::SetPixelsPerInch(int ppi)
{
    if (ppi > 0 && ppi != pixelsPerInch_) {
        pixelsPerInch_ = ppi;
        Changed();
    }
}

int TFont::PixelHeight() const
{
    // 64-bit magnitude and product: the most negative size and a large size at a fine
    // resolution must not wrap.
    const qint64 product = std::abs(qint64(size_)) * pixelsPerInch_;
    return qMax(1, RoundHalfEven(double(product) / 72.0));
}

QFont TFont::ToQFont() const
{
    QFont font(name_);
    font.setPixelSize(PixelHeight());
    font.setBold(style_.testFlag(fsBold));
    font.setItalic(style_.testFlag(fsItalic));
    font.setUnderline(style_.testFlag(fsUnderline));
    font.setStrikeOut(style_.testFlag(fsStrikeOut));
    return font;
}

// ---------------------------------------------------------------- TPen, TBrush

void TPen::SetColor(const QColor& color)
{
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TPen::SetWidth(int width)
{
    width = qMax(0, width);
    if (width != width_) {
        width_ = width;
        Changed();
    }
}

void TPen::SetStyle(TPenStyle style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TPen::SetMode(TPenMode mode)
{
    if (mode != mode_) {
        mode_ = mode;
        Changed();
    }
}

void TBrush::SetColor(const QColor& color)
{
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

// ---------------------------------------------------------------- TCanvas

TCanvas::TCanvas(QPainter* painter)
    : painter_(painter),
      baseTransform_(painter ? painter->worldTransform() : QTransform()),
      opaqueText_(painter && painter->backgroundMode() == Qt::OpaqueMode)
{
}

void TCanvas::ApplyFont()
{
    if (appliedFont_ == font_.Revision())
        return;
    appliedFont_ = font_.Revision();
    // A page's drawing resets the font and then sets the same one as the page before:
    // only a different face reaches the painter and is measured again.
    Face face{font_.Name(), font_.PixelHeight(), font_.Style()};
    if (appliedFace_ == face)
        return;
    appliedFace_ = std::move(face);
    QFont qfont = font_.ToQFont();
    textScale_ = 1.0;
    if (qfont.pixelSize() > kLargestLaidOutPixels) {
        textScale_ = double(qfont.pixelSize()) / kLargestLaidOutPixels;
        qfont.setPixelSize(kLargestLaidOutPixels);
    }
    painter_->setFont(qfont);
    if (painter_->device())
        metrics_.emplace(qfont, painter_->device());
    else
        metrics_.emplace(qfont);
}

void TCanvas::ApplyPen()
{
    if (appliedPen_ == pen_.Revision())
        return;
    textPen_.reset();
    QPen pen(pen_.Color(), pen_.Width(), ToQtPenStyle(pen_.Style()));
    pen.setCosmetic(pen_.Width() == 0);
    painter_->setPen(pen);
    const QPainter::CompositionMode mode = ToQtMode(pen_.Mode());
    if (painter_->compositionMode() != mode)
        painter_->setCompositionMode(mode);
    appliedPen_ = pen_.Revision();
}

void TCanvas::ApplyBrush()
{
    if (appliedBrush_ == brush_.Revision())
        return;
    painter_->setBrush(QBrush(brush_.Color(), ToQtBrushStyle(brush_.Style())));
    appliedBrush_ = brush_.Revision();
}

const QFontMetrics& TCanvas::Metrics()
{
    ApplyFont();
    return *metrics_;
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    const QFontMetrics& metrics = Metrics();
    if (textScale_ != 1.0) {
        ScaledTextOut(x, y, text);
        return;
    }
    // The painter fills the cell itself in opaque mode: the text is laid out once.
    const bool fill = brush_.Style() == bsSolid;
    ApplyTextBackground(fill);
    if (fill && painter_->background().color() != brush_.Color())
        painter_->setBackground(brush_.Color());
    // Text is drawn in the font's colour; the pen is put back before the next shape.
    if (textPen_ != font_.Color()) {
        painter_->setPen(QPen(font_.Color()));
        textPen_ = font_.Color();
        appliedPen_ = 0;
    }
    painter_->drawText(QPoint(x, y + metrics.ascent()), text);
    penPos_ = QPoint(x, y);
    pendingText_.emplace(PendingAdvance{text, metrics, 1.0});
}

void TCanvas::ScaledTextOut(int x, int y, const QString& text)
{
    // The outline of the text at the laid-out height, scaled to the font's: every device
    // and a recorded picture then draw the same shapes.
    const QFontMetrics& metrics = *metrics_;
    QPainterPath outline;
    outline.addText(0, metrics.ascent(), painter_->font(), text);
    QTransform place;
    place.translate(x, y);
    place.scale(textScale_, textScale_);
    painter_->save();
    painter_->setRenderHint(QPainter::Antialiasing);
    if (brush_.Style() == bsSolid) {
        const QRectF cell(0, 0, metrics.horizontalAdvance(text), metrics.height());
        painter_->fillRect(place.mapRect(cell), brush_.Color());
    }
    painter_->fillPath(place.map(outline), font_.Color());
    painter_->restore();
    penPos_ = QPoint(x, y);
    pendingText_.emplace(PendingAdvance{text, metrics, textScale_});
}

QPoint TCanvas::PenPos()
{
    // TextOut leaves the pen at the cell's top-right corner; measured on demand.
    if (pendingText_) {
        penPos_.rx() += RoundHalfEven(pendingText_->metrics.horizontalAdvance(pendingText_->text)
                                      * pendingText_->scale);
        pendingText_.reset();
    }
    return penPos_;
}

void TCanvas::ApplyTextBackground(bool opaque)
{
    if (opaque != opaqueText_) {
        painter_->setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
        opaqueText_ = opaque;
    }
}

QSize TCanvas::TextExtent(const QString& text)
{
    return QSize(TextWidth(text), TextHeight(text));
}

int TCanvas::TextWidth(const QString& text)
{
    const int width = Metrics().horizontalAdvance(text);
    return textScale_ == 1.0 ? width : RoundHalfEven(width * textScale_);
}

int TCanvas::TextHeight(const QString&)
{
    const int height = Metrics().height();
    return textScale_ == 1.0 ? height : RoundHalfEven(height * textScale_);
}

void TCanvas::Rectangle(const TRect& rect)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    ApplyPen();
    ApplyBrush();
    ApplyTextBackground(false);
    painter_->drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
}

void TCanvas::FillRect(const TRect& rect)
{
    if (rect.Width() <= 0 || rect.Height() <= 0 || brush_.Style() == bsClear)
        return;
    // In opaque mode the painter would also fill a hatched brush's gaps.
    ApplyTextBackground(false);
    painter_->fillRect(rect.ToQRect(), QBrush(brush_.Color(), ToQtBrushStyle(brush_.Style())));
}

void TCanvas::MoveTo(int x, int y)
{
    pendingText_.reset();
    penPos_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y)
{
    ApplyPen();
    ApplyTextBackground(false);
    painter_->drawLine(PenPos(), QPoint(x, y));
    penPos_ = QPoint(x, y);
}

void TCanvas::Rebind()
{
    appliedFont_ = appliedPen_ = appliedBrush_ = 0;
    appliedFace_.reset();
    textPen_.reset();
    metrics_.reset();
    opaqueText_ = painter_->backgroundMode() == Qt::OpaqueMode;
    ApplyTransform();
}

void TCanvas::ExcludeClipRect(const TRect& rect)
{
    const QRegion current = painter_->hasClipping() ? painter_->clipRegion() : QRegion(kUnclipped);
    painter_->setClipRegion(current.subtracted(QRegion(rect.ToQRect())));
}

void TCanvas::IntersectClipRect(const TRect& rect)
{
    if (painter_->hasClipping())
        painter_->setClipRect(rect.ToQRect(), Qt::IntersectClip);
    else
        painter_->setClipRect(rect.ToQRect(), Qt::ReplaceClip);
}

void TCanvas::RemoveClip()
{
    painter_->setClipping(false);
}

QPoint TCanvas::SetViewportOrg(const QPoint& origin)
{
    const QPoint previous = viewportOrg_;
    if (origin != viewportOrg_) {
        viewportOrg_ = origin;
        ApplyTransform();
    }
    return previous;
}

void TCanvas::SetMapping(QSize windowExt, QSize viewportExt)
{
    // An empty extent would divide by zero; it leaves the mapping as it is.
    if (windowExt.width() == 0 || windowExt.height() == 0)
        return;
    windowExt_ = windowExt;
    viewportExt_ = viewportExt;
    ApplyTransform();
}

void TCanvas::ApplyTransform()
{
    const double sx = double(viewportExt_.width()) / windowExt_.width();
    const double sy = double(viewportExt_.height()) / windowExt_.height();
    const QTransform mapping(sx, 0, 0, sy, viewportOrg_.x(), viewportOrg_.y());
    painter_->setWorldTransform(mapping * baseTransform_);
}
