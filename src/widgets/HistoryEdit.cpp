#include "widgets/HistoryEdit.h"

#include "widgets/HistoryRules.h"

THistoryEdit::THistoryEdit(QWidget* parent)
    : TValueEdit(parent)
{
}

THistoryEdit::~THistoryEdit()
{
    // The base class writes the value itself when it goes; the history is ours.
    if (MayWriteStores())
        persistence::SaveHistory(lookupPersist_, lookupItems_);
}

void THistoryEdit::DoKeyDown(int& key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        completionAllowed_ = false;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Return settles on the stored spelling of a value typed in another case. It
        // leaves the completion flag alone, so a value cut back with Backspace is not
        // completed again when Return is released.
        const int index = history::IndexOf(lookupItems_, Text());
        if (index >= 0) {
            SetText(lookupItems_[index]);
            Change();
        }
    } else {
        completionAllowed_ = true;
    }
    TValueEdit::DoKeyDown(key, modifiers);
}

void THistoryEdit::Change()
{
    TValueEdit::Change();
    changed_ = true;
}

void THistoryEdit::DoKeyUp(int& key, Qt::KeyboardModifiers modifiers)
{
    if (changed_ && key != Qt::Key_Backspace && key != Qt::Key_Delete)
        CompleteFromHistory();
    changed_ = false;
    TValueEdit::DoKeyUp(key, modifiers);
}

void THistoryEdit::SelectFrom(int valuePos)
{
    const int start = int(Prefix().size()) + valuePos;
    const int end = int(Prefix().size() + Text().size());
    setSelection(start, std::max(0, end - start)); // the caret ends at the value's end
}

void THistoryEdit::CompleteFromHistory()
{
    if (!completionAllowed_)
        return;
    const QString value = Text();
    // The caret counts in the window text; the typed part is the value before it.
    const int caret = std::max(0, cursorPosition() - int(Prefix().size()));
    if (const auto found = history::FindCompletion(lookupItems_, value, caret, matchCase_)) {
        QString tail = found->tail;
        if (AutoComplete)
            AutoComplete(this, found->head, tail, found->index);
        SetText(found->head + tail);
        SetModifiedState(true);
        SelectFrom(int(found->head.size()));
        return;
    }
    if (lookupItems_.isEmpty() && !value.isEmpty() && fileLookup_) {
        if (const auto path = history::CompleteFileName(value)) {
            SetText(*path);
            SetModifiedState(true);
            SelectFrom(int(value.size()));
        }
    }
}

void THistoryEdit::DoExit()
{
    const QString value = Text();
    bool accept = true;
    if (Accept)
        Accept(this, value, history::IndexOf(lookupItems_, value), accept);
    if (!accept) {
        // Refused: the field keeps the focus and OnExit does not fire.
        TakeFocusBack();
        return;
    }
    if (autoHistory_ && !value.isEmpty() && history::IndexOf(lookupItems_, value) < 0)
        AddToHistory(value);
    TValueEdit::DoExit();
}

void THistoryEdit::AddToHistory(const QString& value)
{
    lookupItems_.append(value);
    if (OnAddToHistory)
        OnAddToHistory(this, value);
    if (autoSynchronize_)
        SynchronizeOthers();
}

void THistoryEdit::SynchronizeOthers()
{
    // The fields of one window share an owner, whatever panel each sits on.
    const auto others = window()->findChildren<THistoryEdit*>();
    for (THistoryEdit* other : others) {
        if (other == this || !other->autoHistory_ || !other->autoSynchronize_)
            continue;
        if (other->lookupPersist_.Key() == lookupPersist_.Key()
            && other->lookupPersist_.Section() == lookupPersist_.Section())
            other->lookupItems_ = lookupItems_;
    }
}

void THistoryEdit::LoadPersistence()
{
    TValueEdit::LoadPersistence();
    if (lookupPersist_.Enable())
        lookupItems_ = persistence::LoadHistory(lookupPersist_);
}

void THistoryEdit::SavePersistence()
{
    TValueEdit::SavePersistence();
    if (MayWriteStores())
        persistence::SaveHistory(lookupPersist_, lookupItems_);
}
