#pragma once

#include <QColor>
#include <QImage>
#include <QPicture>
#include <QWidget>

class TCustomPreview;
class QPainter;
class QRegion;

// The page panel inside the preview's scroll box: it replays the page picture that the
// preview recorded, with the drop shadow, the blanking outside the printable area and the
// page border, and scrolls the view when the page is dragged.
class TDrawPanel : public QWidget {
    Q_OBJECT
public:
    // preview may be null: the panel then paints only its colour.
    TDrawPanel(TCustomPreview* preview, QWidget* parent);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    // The page recorded in printer pixels; paperSize is the whole paper it covers.
    const QPicture& PagePicture() const { return picture_; }
    QSize PaperSize() const { return paperSize_; }
    void SetPagePicture(QPicture picture, QSize paperSize);

    // Paints the panel (background included) on the painter: the exposed part, or all of
    // it when exposed is empty.
    void PaintPanel(QPainter& painter, const QRect& exposed = QRect());
    // The size of the image the last replay at another resolution went through.
    QSize ReplayImageSize() const { return pageImage_.size(); }

    int GrabX() const { return grabX_; }
    int GrabY() const { return grabY_; }
    bool Dragging() const { return dragging_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Paints the shadow and the page and takes what they cover out of background.
    void PaintPage(QPainter& painter, QRegion& background, const QRect& exposed);
    // The picture stretched onto the page rectangle. Where the target's resolution
    // differs from the recording's, the exposed part through an image at the
    // recording's resolution.
    void DrawPicture(QPainter& painter, const QRect& page, const QRect& exposed);
    // The part of the page at size whose corner is at part.topLeft(), replayed.
    const QImage& PageImage(QSize size, const QRect& part);
    void EndDrag();

    TCustomPreview* preview_;
    QColor color_{0x80, 0x80, 0x80};
    QPicture picture_;
    QSize paperSize_;
    // A part of the picture replayed at the page's current size; rebuilt when the
    // picture, the page size or the part changes.
    QImage pageImage_;
    QSize pageImageScale_;
    QPoint pageImageCorner_;
    bool pageImageValid_ = false;
    int grabX_ = 0;
    int grabY_ = 0;
    bool dragging_ = false;
    QCursor cursorBeforeDrag_;
};
