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

    // Paints the whole panel (background included) on the painter.
    void PaintPanel(QPainter& painter);

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
    void PaintPage(QPainter& painter, QRegion& background);
    // The picture stretched onto the page rectangle. Where the target's resolution
    // differs from the recording's, through an image at the recording's resolution.
    void DrawPicture(QPainter& painter, const QRect& page);
    const QImage& PageImage(QSize size);
    void EndDrag();

    TCustomPreview* preview_;
    QColor color_{0x80, 0x80, 0x80};
    QPicture picture_;
    QSize paperSize_;
    // The picture replayed at the page's current size; rebuilt when either changes.
    QImage pageImage_;
    bool pageImageValid_ = false;
    int grabX_ = 0;
    int grabY_ = 0;
    bool dragging_ = false;
    QCursor cursorBeforeDrag_;
};
