#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

// Dragging text into and out of an input field, kept out of the field itself.
namespace dragdrop {

// What a drop keeps: the text before the first carriage return or line feed.
QString FirstLine(const QString& text);

// Positions count in the window text; the value lies in [valueStart, valueEnd).
struct DropPlan {
    bool ignored = false;
    int removeFrom = 0;   // the field's own selection taken away first (a move) ...
    int removeCount = 0;  // ... or nothing
    int insertAt = 0;     // where the text goes, after the removal
};
DropPlan PlanDrop(int dropPos, bool fromThisField, bool copy, int selStart, int selLength,
                  int valueStart, int valueEnd);

// After a click: a caret inside the prefix selects the value, and a caret or selection
// reaching past the value is cut back to it.
struct Selection {
    int start = 0;
    int length = 0;
    bool operator==(const Selection&) const = default;
};
Selection AfterClick(Selection current, int valueStart, int valueEnd);

} // namespace dragdrop

// Drop target and drag source behaviour of one field, as an event filter on it.
class TEditDragDrop : public QObject {
    Q_OBJECT
public:
    explicit TEditDragDrop(QLineEdit* edit);

    bool DropTarget() const { return dropTarget_; }
    void SetDropTarget(bool on);
    bool DropSource() const { return dropSource_; }
    void SetDropSource(bool on);

    // Both set by the field. Where the value lies in the window text (prefix and
    // suffix excluded).
    std::function<std::pair<int, int>()> ValueRange;
    // Takes a drop: the window text it would give and where the dropped text starts in
    // it. Returns false to refuse the drop (nothing changes then).
    std::function<bool(const QString& windowText, int insertAt, const QString& dropped)> AcceptDrop;

    // Set by the field: takes away [start, start + length) of the window text after the
    // dragged text was moved elsewhere.
    std::function<void(int start, int length)> RemoveDragged;

    // The marker's place while text is dragged over the field, or -1.
    int MarkerPosition() const { return markerPos_; }
    // Whether the left-button press and release now ending were a click: the mouse
    // stayed put in between, and no drag was started.
    bool ReleaseIsClick() const { return !moved_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMarker(int pos);
    void HideMarker();
    void Drop(class QDropEvent* event);
    bool Mouse(class QMouseEvent* event); // true when the event is used up
    bool InSelection(const QPoint& pos) const;
    void StartDrag();

    QLineEdit* edit_;
    QWidget* marker_;
    bool dropTarget_ = false;
    bool dropSource_ = false;
    int markerPos_ = -1;
    QPoint pressAt_;
    bool moved_ = false;            // beyond the drag distance since the press
    bool pressInSelection_ = false; // a press that may become a drag of the selection
    bool dragged_ = false;          // the gesture became a drag
};
