#include "preview/Preview.h"

// Keyboard paging and scrolling. Every position written here is clamped by its scroll
// bar; every page turn goes through SetPageIndex, which clamps and reports.
bool TCustomPreview::CMChildKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    TBoxScrollBar& h = scrollBox_->HorzScrollBar();
    TBoxScrollBar& v = scrollBox_->VertScrollBar();
    const int bw = scrollBox_->ClientWidth();
    const int bh = scrollBox_->ClientHeight();

    switch (key) {
    case Qt::Key_PageUp:
        if (ctrl)
            v.SetPosition(0);
        else if (v.Position() > 0)
            v.SetPosition(v.Position() - bh + v.Increment()); // one view, keeping an overlap
        else
            SetPageIndex(pageIndex_ - 1);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            v.SetPosition(v.Range());
        else if (v.Position() < v.Range() - bh)
            v.SetPosition(v.Position() + bh - v.Increment());
        else
            SetPageIndex(pageIndex_ + 1);
        return true;
    case Qt::Key_End:
        h.SetPosition(h.Range());
        if (ctrl)
            v.SetPosition(v.Range());
        return true;
    case Qt::Key_Home:
        h.SetPosition(0);
        if (ctrl)
            v.SetPosition(0);
        return true;
    case Qt::Key_Left:
        h.SetPosition(ctrl ? h.Position() - bw + h.Increment() : h.Position() - h.Increment());
        return true;
    case Qt::Key_Right:
        h.SetPosition(ctrl ? h.Position() + bw - h.Increment() : h.Position() + h.Increment());
        return true;
    case Qt::Key_Up:
        v.SetPosition(v.Position() - v.Increment());
        return true;
    case Qt::Key_Down:
        v.SetPosition(v.Position() + v.Increment());
        return true;
    default:
        return false;
    }
}
