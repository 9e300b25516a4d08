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
    void SetRange(int range);
    int Position() const;
    void SetPosition(int position);
    int Increment() const { return increment_; }
    void SetIncrement(int increment);
    // Off: a dragged thumb scrolls the view only when it is released.
    bool Tracking() const;
    void SetTracking(bool tracking);
    bool IsVisible() const { return visible_; }
    QScrollBar* Bar() const { return bar_; }

private:
    friend class TSpecialScrollBox;
    TBoxScrollBar(TSpecialScrollBox* box, QScrollBar* bar) : box_(box), bar_(bar) { }

    TSpecialScrollBox* box_;
    QScrollBar* bar_;
    int range_ = 0;
    int increment_ = 8;
    bool visible_ = false;
};

// A scroll box with explicit ranges. Widgets placed on Content() are positioned in content
// coordinates and move with the scroll positions. Until a range is set, the box sizes its
// ranges from those widgets; once one is set, the ranges are the caller's alone.
class TSpecialScrollBox : public QFrame {
    Q_OBJECT
public:
    explicit TSpecialScrollBox(QWidget* parent = nullptr);
    ~TSpecialScrollBox() override;

    TBoxScrollBar& HorzScrollBar() { return horz_; }
    TBoxScrollBar& VertScrollBar() { return vert_; }
    QWidget* Content() const { return content_; }

    // Sets both ranges with one re-layout of the bars.
    void SetRanges(int horzRange, int vertRange);
    bool RangesSetExplicitly() const { return explicitRanges_; }

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TBoxScrollBar;
    void RangeAssigned();
    void UpdateFrame();
    void UpdateAutoRanges();
    void PlaceContent();

    QWidget* viewport_;
    QWidget* content_;
    QWidget* corner_;
    TBoxScrollBar horz_;
    TBoxScrollBar vert_;
    QColor color_{0x80, 0x80, 0x80};
    TBorderStyle borderStyle_ = bsSingle;
    bool ctl3D_ = true;
    bool explicitRanges_ = false;
    bool laying_ = false;
};
