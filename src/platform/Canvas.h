#pragma once

#include "platform/Geometry.h"

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QTransform>

#include <optional>

class QPainter;

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// The canvas's drawing tools keep a change counter, so that the canvas hands them to
// the QPainter only when they changed since the last drawing call.
class TGraphicsTool {
public:
    quint64 Revision() const { return revision_; }

protected:
    void Changed() { ++revision_; }

private:
    quint64 revision_ = 1;
};

// A font whose size is in points; its height in pixels follows its own pixels-per-inch,
// so the same point size has the same physical height on every device.
class TFont : public TGraphicsTool {
public:
    const QString& Name() const { return name_; }
    void SetName(const QString& name);
    int Size() const { return size_; }
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& color);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi);
    // Height of the character cell in pixels: Size * PixelsPerInch / 72, rounded.
    int PixelHeight() const;

    QFont ToQFont() const;

private:
    QString name_ = QStringLiteral("Arial");
    int size_ = 10;
    TFontStyles style_;
    QColor color_ = Qt::black;
    int pixelsPerInch_ = 96;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmCopy, pmNot, pmXor, pmMerge, pmMask, pmNotCopy, pmWhite, pmBlack };

// Width 0 is the thinnest line the device draws (a cosmetic one-pixel pen).
class TPen : public TGraphicsTool {
public:
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

private:
    QColor color_ = Qt::black;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
                   bsCross, bsDiagCross };

class TBrush : public TGraphicsTool {
public:
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

private:
    QColor color_ = Qt::white;
    TBrushStyle style_ = bsSolid;
};

// A drawing surface over a QPainter with the classic canvas semantics: a font in points,
// text placed by its cell's top-left corner, rectangles drawn as pen outline plus brush
// fill, clip exclusion and a viewport origin in device units. The painter is not owned.
//
// The viewport origin and the optional window/viewport extents are applied on top of the
// painter's transform as it was when the canvas was made: a logical point p lands on
// base(p * viewportExt / windowExt + viewportOrg).
class TCanvas {
public:
    explicit TCanvas(QPainter* painter);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    QPainter* Painter() const { return painter_; }
    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

    // The text's cell has its top-left corner at (x, y); a solid brush fills the cell
    // first. The pen position moves to the cell's top-right corner.
    void TextOut(int x, int y, const QString& text);
    QSize TextExtent(const QString& text);
    int TextWidth(const QString& text);
    int TextHeight(const QString& text);

    // Outline with the pen, inside filled with the brush; covers Left..Right-1.
    void Rectangle(const TRect& rect);
    // Brush only, no outline.
    void FillRect(const TRect& rect);
    void MoveTo(int x, int y);
    // A line from the pen position to (x, y); the pen position becomes (x, y).
    void LineTo(int x, int y);
    QPoint PenPos();

    // The painter began again on another device (the next part of a document): what the
    // canvas set on the old one is set again as it is next needed, and its mapping now.
    void Rebind();

    void ExcludeClipRect(const TRect& rect);
    void IntersectClipRect(const TRect& rect);
    void RemoveClip();

    QPoint ViewportOrg() const { return viewportOrg_; }
    // Returns the previous origin.
    QPoint SetViewportOrg(const QPoint& origin);
    QSize ViewportExt() const { return viewportExt_; }
    QSize WindowExt() const { return windowExt_; }
    // Logical units are scaled by viewportExt / windowExt; both 1x1 is the identity.
    void SetMapping(QSize windowExt, QSize viewportExt);

private:
    void ApplyTransform();
    void ApplyFont();
    void ApplyPen();
    void ApplyBrush();
    void ApplyTextBackground(bool opaque);
    // The metrics of the font as laid out, before textScale_.
    const QFontMetrics& Metrics();
    void ScaledTextOut(int x, int y, const QString& text);

    QPainter* painter_;
    QTransform baseTransform_;
    QPoint viewportOrg_;
    QSize viewportExt_{1, 1};
    QSize windowExt_{1, 1};
    QPoint penPos_;
    TFont font_;
    TPen pen_;
    TBrush brush_;
    quint64 appliedFont_ = 0;
    quint64 appliedPen_ = 0;
    quint64 appliedBrush_ = 0;
    // What the painter holds now, so that setting a font, pen or background to what it
    // already is costs nothing (the print engine re-emits state on every change).
    struct Face {
        QString name;
        int pixelHeight = 0;
        TFontStyles style;
        bool operator==(const Face&) const = default;
    };
    std::optional<Face> appliedFace_;
    std::optional<QColor> textPen_;     // the pen is the font colour set by TextOut
    bool opaqueText_;                   // background mode is opaque, for text cells
    // TextOut's text with the metrics it was drawn in, measured only if PenPos asks.
    struct PendingAdvance {
        QString text;
        QFontMetrics metrics;
        double scale;
    };
    std::optional<PendingAdvance> pendingText_;
    std::optional<QFontMetrics> metrics_;
    // Text taller than Qt lays out well is laid out smaller and scaled by this.
    double textScale_ = 1.0;
};
