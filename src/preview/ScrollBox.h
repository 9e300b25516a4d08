#pragma once

#include "preview/PreviewLayout.h"

#include <QColor>
#include <QFrame>

class QScrollBar;
class TSpecialScrollBox;

enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

// One scroll bar of the box. Range is the content extent along its axis (0: nothing to
// scroll); Position is kept within 0..max(0, Range - visible extent), a value outside is
// clamped on assignment.
class TBoxScrollBar {
public:
    int Range() const { return range_; }
    int Position() const;
    void SetPosition(int position);
    int Increment() const { return increment_; }
    void SetIncrement(int increment);
    // Off: a dragged thumb scrolls the view only when it is released.
    bool Tracking() const;
    void SetTracking(bool tracking);
    bool IsVisible() const;
    QScrollBar* Bar() const { return bar_; }

private:
    friend class TSpecialScrollBox;
    explicit TBoxScrollBar(QScrollBar* bar) : bar_(bar) { }

    QScrollBar* bar_;
    int range_ = 0;
    int increment_ = 8;
};

// A scroll box whose ranges are set by its owner, never computed from what it holds.
// Widgets placed on Content() are positioned in content coordinates and move with the
// scroll positions.
class TSpecialScrollBox : public QFrame {
    Q_OBJECT
public:
    explicit TSpecialScrollBox(QWidget* parent = nullptr);

    TBoxScrollBar& HorzScrollBar() { return horz_; }
    TBoxScrollBar& VertScrollBar() { return vert_; }
    QWidget* Content() const { return content_; }

    // Sets both ranges with one re-layout of the bars.
    void SetRanges(int horzRange, int vertRange);

    int ClientWidth() const;
    int ClientHeight() const;
    preview::TBoxMetrics Metrics() const;

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);

    // Places the bars and the view for the current size and ranges.
    void LayoutBars();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void UpdateFrame();
    void PlaceContent();

    QWidget* viewport_;
    QWidget* content_;
    QWidget* corner_;
    TBoxScrollBar horz_;
    TBoxScrollBar vert_;
    QColor color_{0x80, 0x80, 0x80};
    TBorderStyle borderStyle_ = bsSingle;
    bool ctl3D_ = true;
    bool laying_ = false;
};
