// The input field's lookup pop-up and its own store between runs.
#include "widgets/ValueEdit.h"

#include <QKeyEvent>

// --- lookup pop-up ---------------------------------------------------------------------

TListHintWindow* TValueEdit::EnsureLookupPopup()
{
    if (!lookupPopup_) {
        lookupPopup_ = new TListHintWindow(this);
        lookupPopup_->OnItemChosen = [this] { AcceptLookupItem(); };
    }
    return lookupPopup_;
}

void TValueEdit::UpdateLookupList()
{
    if (!lookup_.Enabled())
        return;
    TListHintWindow* popup = EnsureLookupPopup();
    const QString value = Text();
    if (value.size() < lookup_.NumChars()) {
        popup->hide();
        return;
    }
    const QRect onScreen(mapToGlobal(QPoint(0, 0)), size());
    popup->ShowMatches(lookup::FindMatches(lookup_.DisplayList(), value, lookup_.CaseSensitive()), lookup_,
                       onScreen);
}

void TValueEdit::AcceptLookupItem()
{
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    if (!lookupPopup_)
        return;
    lookupPopup_->hide();
    const lookup::Match match = lookupPopup_->Current();
    if (match.index < 0)
        return;
    QString value = lookup::AcceptedValue(match, lookup_.ValueList());
    if (OnLookupSelect)
        OnLookupSelect(this, value);
    SetText(value);
    SelectValue();
}

bool TValueEdit::LookupKeyDown(QKeyEvent* event)
{
    if (!lookupPopup_ || !lookupPopup_->isVisible())
        return false;
    TListHintWindow& popup = *lookupPopup_;
    const int row = popup.CurrentRow();
    const int count = popup.Count();
    const int step = lookup_.DisplayCount();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        AcceptLookupItem();
        return true;
    case Qt::Key_Home:
        popup.SetCurrentRow(0);
        return true;
    case Qt::Key_End:
        popup.SetCurrentRow(count - 1);
        return true;
    case Qt::Key_PageDown:
        popup.SetCurrentRow(lookup::RowAfterPageDown(row, count, step));
        return true;
    case Qt::Key_PageUp:
        popup.SetCurrentRow(lookup::RowAfterPageUp(row, count, step));
        return true;
    case Qt::Key_Up:
        popup.SetCurrentRow(lookup::RowAfterStep(row, count, -1));
        return false; // the key goes on to the field as well
    case Qt::Key_Down:
        popup.SetCurrentRow(lookup::RowAfterStep(row, count, 1));
        return false;
    default:
        return false;
    }
}

void TValueEdit::HideLookup(QWidget* newFocus)
{
    if (lookupPopup_ && !(newFocus && lookupPopup_->isAncestorOf(newFocus)) && newFocus != lookupPopup_)
        lookupPopup_->hide();
}

// --- the field's own store ---------------------------------------------------------------

void TValueEdit::LoadPersistence()
{
    // An unnamed field has no entry to keep its text under.
    if (objectName().isEmpty())
        return;
    const QString stored = persistence::LoadValue(persistence_, objectName());
    if (stored != persistence::kMissing)
        WriteWindowText(stored); // as stored: prefix and suffix included, not normalised
}

void TValueEdit::SavePersistence()
{
    if (objectName().isEmpty() || !MayWriteStores())
        return;
    persistence::SaveValue(persistence_, objectName(), prefix_ + Text() + suffix_);
}
