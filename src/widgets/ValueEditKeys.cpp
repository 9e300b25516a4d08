// Keyboard and clipboard handling of TValueEdit: key-down steps, the character filter,
// Return and Escape, and the clipboard rules.
#include "widgets/KeyFilter.h"
#include "widgets/ValueEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpression>

#include <algorithm>

namespace {

using keyfilter::kBackspace;
using keyfilter::kEscape;
using keyfilter::kReturn;

bool IsReturn(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The characters a key press types, as the platform's character messages would carry
// them: Backspace, Return and Escape as control characters, Control+letter as its
// control code, nothing for navigation keys and Alt combinations.
QString TypedCharacters(const QKeyEvent* event)
{
    const int key = event->key();
    switch (key) {
    case Qt::Key_Backspace:
        return QString(kBackspace);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QString(kReturn);
    case Qt::Key_Escape:
        return QString(kEscape);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return {};
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool control = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    if (control && !alt)
        return key >= Qt::Key_A && key <= Qt::Key_Z ? QString(QChar(key - Qt::Key_A + 1)) : QString();
    if (alt && !control)
        return {};
    QString typed;
    for (const QChar c : event->text())
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            typed += c;
    return typed;
}

bool IsControlCharacter(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

} // namespace

void TValueEdit::PostKey(QObject* receiver, int key, bool withRelease) const
{
    if (!receiver)
        return;
    QCoreApplication::postEvent(receiver, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    if (withRelease)
        QCoreApplication::postEvent(receiver,
                                    new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

// --- key down ------------------------------------------------------------------------

void TValueEdit::keyPressEvent(QKeyEvent* event)
{
    const int qtKey = event->key();
    if (IsReturn(qtKey) || qtKey == Qt::Key_Escape)
        SpecialKey(event);
    const EditSnapshot before = Snapshot();
    int key = qtKey;
    const TKeyDownResult result = KeyDown(event, key);
    event->accept();
    if (result == kdFinished)
        return;

    if (const ClipboardOperation operation = ClipboardShortcut(event)) {
        if (result == kdDefault && key != 0)
            (this->*operation)();
    } else {
        const QString typed = TypedCharacters(event);
        if (!typed.isEmpty()) {
            // The character arrives whatever the key-down steps did with the key.
            for (const QChar ch : typed)
                KeyPress(ch, event);
        } else if (result == kdDefault && key != 0 && key != Qt::Key_Tab) {
            QLineEdit::keyPressEvent(event);
        }
    }
    if (result == kdDefault)
        KeyDownDone(qtKey);
    RestoreIfBroken(before);
}

TValueEdit::EditSnapshot TValueEdit::Snapshot() const
{
    return {text(), cursorPosition(), SelStart(), SelLength(), modified_};
}

void TValueEdit::RestoreIfBroken(const EditSnapshot& before)
{
    const QString now = text();
    if (now == before.text)
        return;
    bool broken = now.size() < prefix_.size() + suffix_.size() || !now.startsWith(prefix_) ||
                  !now.endsWith(suffix_);
    if (!broken && (editType_ == etNumeric || editType_ == etFloat || editType_ == etMoney)) {
        const FormatSettings& fs = FormatSettings::Current();
        QString value = Text();
        if (editType_ == etMoney) // regrouped live, in whatever separator the locale uses
            value.remove(fs.ThousandSeparator);
        const TNumberKind kind = valuetext::ClassifyNumber(value, fs);
        broken = !value.isEmpty() &&
                 (editType_ == etNumeric ? kind != nkInteger || !valuetext::WholeNumberFits(value)
                                         : kind != nkInteger && kind != nkDecimal);
    }
    if (!broken)
        return;
    // An edit that would break the prefix, the suffix or the number is refused like a
    // refused key: everything goes back as it was.
    WriteWindowText(before.text);
    if (before.selLength > 0) {
        if (before.cursor == before.selStart)
            setSelection(before.selStart + before.selLength, -before.selLength);
        else
            setSelection(before.selStart, before.selLength);
    } else {
        setCursorPosition(before.cursor);
    }
    SetModifiedState(before.modified);
}

TValueEdit::ClipboardOperation TValueEdit::ClipboardShortcut(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy))
        return &TValueEdit::ClipboardCopy;
    if (event->matches(QKeySequence::Cut))
        return &TValueEdit::ClipboardCut;
    if (event->matches(QKeySequence::Paste))
        return &TValueEdit::ClipboardPaste;
    return nullptr;
}

void TValueEdit::SpecialKey(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape && canUndo_) {
        SetText(textAtFocus_);
        ApplyFontColor(focusFontColor_);
        SelectValue();
        SetModifiedState(false);
        PostKey(parentWidget(), Qt::Key_Escape, true);
    } else if (IsReturn(key)) {
        // The field swallows the character; the surrounding panel still sees Return.
        PostKey(parentWidget(), Qt::Key_Return, true);
    }
}

TValueEdit::TKeyDownResult TValueEdit::KeyDown(QKeyEvent* event, int& key)
{
    if (LookupKeyDown(event))
        return kdFinished;
    const int prefixLength = int(prefix_.size());
    const int valueEnd = prefixLength + int(Text().size());
    const int selStart = SelStart();
    const int selEnd = selStart + SelLength();
    const bool shift = event->modifiers() & Qt::ShiftModifier;

    if (IsReturn(key) && returnIsTab_) {
        key = Qt::Key_Tab;
        if (isVisible())
            PostKey(this, Qt::Key_Tab, false);
    }
    // The caret stays between prefix and suffix.
    if (key == Qt::Key_Right && !suffix_.isEmpty() && selEnd >= valueEnd)
        return kdSwallowed;
    if (key == Qt::Key_Delete && !suffix_.isEmpty()) {
        if (selEnd >= valueEnd && SelLength() == 0)
            return kdSwallowed;
        SetModifiedState(true);
    }
    if (key == Qt::Key_Left && !prefix_.isEmpty() && selEnd <= prefixLength)
        return kdSwallowed;
    if (key == Qt::Key_End && !suffix_.isEmpty()) {
        if (shift) {
            const int caret = cursorPosition();
            setSelection(caret, valueEnd - caret);
        } else {
            setCursorPosition(valueEnd);
        }
        return kdFinished;
    }
    if (key == Qt::Key_Home && !prefix_.isEmpty()) {
        if (shift)
            setSelection(valueEnd, prefixLength - valueEnd); // caret at the value's start
        else
            setCursorPosition(prefixLength);
        return kdFinished;
    }
    if (key == Qt::Key_Backspace && !prefix_.isEmpty()) {
        if (selStart <= prefixLength + 1)
            return kdSwallowed;
        SetModifiedState(true);
    }
    if (key == Qt::Key_Delete && selStart >= prefixLength) {
        if (lengthLimit_ > 0 &&
            valuetext::IntegerLength(
                keyfilter::ValueAfterDeletion(Text(), prefixLength, selStart, SelLength(), true),
                FormatSettings::Current()) > lengthLimit_)
            return kdSwallowed;
        SetModifiedState(true);
    }
    DoKeyDown(key, event->modifiers());
    return kdDefault;
}

void TValueEdit::DoKeyDown(int& key, Qt::KeyboardModifiers modifiers)
{
    if (OnKeyDown)
        OnKeyDown(this, key, modifiers);
}

void TValueEdit::KeyDownDone(int key)
{
    if (key == Qt::Key_Delete && editType_ == etMoney)
        RegroupThousands();
    if (prefix_.isEmpty() && suffix_.isEmpty())
        return;
    // Caret and selection end up inside the value, whatever key moved them.
    const int valueStart = int(prefix_.size());
    const int valueEnd = valueStart + int(Text().size());
    if (hasSelectedText()) {
        const int start = selectionStart();
        const int end = start + selectionLength();
        const int newStart = std::clamp(start, valueStart, valueEnd);
        const int newEnd = std::clamp(end, valueStart, valueEnd);
        if (newStart == start && newEnd == end)
            return;
        if (cursorPosition() == start)
            setSelection(newEnd, newStart - newEnd);
        else
            setSelection(newStart, newEnd - newStart);
    } else if (cursorPosition() < valueStart || cursorPosition() > valueEnd) {
        setCursorPosition(std::clamp(cursorPosition(), valueStart, valueEnd));
    }
}

// --- characters ------------------------------------------------------------------------

void TValueEdit::DoKeyPress(QChar& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TValueEdit::KeyPress(QChar ch, QKeyEvent* event)
{
    if (ch != kReturn) {
        DoKeyPress(ch);
        if (ch.isNull())
            return;
    }
    const FormatSettings& fs = FormatSettings::Current();
    keyfilter::Input in;
    in.type = editType_;
    in.isSigned = signed_;
    in.precision = precision_;
    in.lengthLimit = lengthLimit_;
    in.canUndo = canUndo_;
    in.excelStyleDecimalSeparator = excelStyleDecimalSeparator_;
    in.prefix = prefix_;
    in.value = Text();
    in.selStart = SelStart();
    in.selLength = SelLength();
    in.selectedText = selectedText();
    in.controlHeld = event && (event->modifiers() & Qt::ControlModifier);
    in.keypadDecimalKey = event && (event->modifiers() & Qt::KeypadModifier) &&
                          event->key() == Qt::Key_Period;
    const keyfilter::Decision decision = keyfilter::Filter(in, ch, fs);
    const bool canWrite = !isReadOnly();

    switch (decision.action) {
    case keyfilter::Action::ReturnKey: {
        QChar returnKey = kReturn; // a change the handler makes is ignored
        DoKeyPress(returnKey);
        return;
    }
    case keyfilter::Action::Drop:
        break;
    case keyfilter::Action::OverwritePass:
        if (canWrite) {
            setSelection(SelStart(), 1);
            PassText(decision.text, event);
        }
        break;
    case keyfilter::Action::Pass:
        PassText(decision.text, event); // a case mapping may grow, as "ß" to "SS"
        if (decision.mixedCase && canWrite) {
            const QString value = Text();
            const QString recased = valuetext::MixedCase(value);
            if (recased != value) {
                const int caret = cursorPosition();
                const bool wasModified = isModified();
                SetValueRaw(recased);
                setCursorPosition(caret);
                setModified(wasModified);
            }
        }
        if (decision.regroup && canWrite) {
            const QString value = Text();
            if (!value.isEmpty() && value != QLatin1String("-")) {
                if (isModified())
                    SetModifiedState(true);
                RegroupThousands();
            }
        }
        break;
    case keyfilter::Action::ToggleSign:
        if (canWrite)
            ToggleSign();
        break;
    case keyfilter::Action::ZeroDecimal:
        if (canWrite) {
            SetValueRaw(QStringLiteral("0") + fs.DecimalSeparator);
            setCursorPosition(int(prefix_.size()) + 2);
            SetModifiedState(true);
        }
        break;
    case keyfilter::Action::JumpCaret:
        setCursorPosition(decision.caret);
        break;
    }
    if (decision.afterSteps)
        RunFilterAfterSteps();
}

void TValueEdit::PassText(const QString& text, QKeyEvent* event)
{
    const QChar ch = text.isEmpty() ? QChar() : text.at(0);
    if (IsControlCharacter(ch)) {
        if (!event)
            return;
        if (ch == kBackspace) {
            // One character at a time, so a word deletion cannot reach into the prefix.
            QKeyEvent plain(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(kBackspace));
            QLineEdit::keyPressEvent(&plain);
        } else if (ch == kEscape) {
            // With undo, Escape was handled at the special-key query and the parent has
            // its copy; without, the parent gets it from here.
            if (!canUndo_)
                QLineEdit::keyPressEvent(event);
        } else if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
                   event->matches(QKeySequence::SelectAll)) {
            // Only the edit shortcuts of the classic control; line-editing extras such as
            // Ctrl+K could cut into the suffix.
            QLineEdit::keyPressEvent(event);
        }
        return;
    }
    if (!isReadOnly())
        insert(text);
}

void TValueEdit::RunFilterAfterSteps()
{
    if (tabOnFullLength_ && lengthLimit_ > 0 &&
        valuetext::IntegerLength(Text(), FormatSettings::Current()) >= lengthLimit_ &&
        SelLength() == 0 && cursorPosition() - prefix_.size() == lengthLimit_)
        PostKey(this, Qt::Key_Tab, false);
    if (isModified())
        SetModifiedState(true);
    UpdateLookupList();
}

void TValueEdit::ToggleSign()
{
    const int caret = SelStart();
    const int selection = SelLength();
    const int prefixLength = int(prefix_.size());
    QString value = Text();
    const int minusAt = int(value.indexOf(QLatin1Char('-')));
    int newCaret;
    if (minusAt >= 0) {
        value.remove(minusAt, 1);
        newCaret = (caret > 0 && caret > prefixLength) ? caret - 1 : prefixLength;
    } else {
        value.prepend(QLatin1Char('-'));
        newCaret = caret + 1;
    }
    // Written directly: no precision formatting while the sign changes.
    SetValueRaw(value);
    const int valueEnd = prefixLength + int(value.size());
    newCaret = std::clamp(newCaret, prefixLength, valueEnd);
    setCursorPosition(newCaret);
    SetModifiedState(true);
    if (editType_ == etNumeric && selection > 0)
        setSelection(newCaret, std::min(selection, valueEnd - newCaret));
}

void TValueEdit::keyReleaseEvent(QKeyEvent* event) { KeyUp(event); }

void TValueEdit::KeyUp(QKeyEvent* event)
{
    int key = event->key();
    DoKeyUp(key, event->modifiers());
    if (key != 0)
        QLineEdit::keyReleaseEvent(event);
}

void TValueEdit::DoKeyUp(int& key, Qt::KeyboardModifiers modifiers)
{
    if (OnKeyUp)
        OnKeyUp(this, key, modifiers);
}

void TValueEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Composed text goes through the same filter as typed text.
    QInputMethodEvent preeditOnly(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&preeditOnly);
    for (const QChar ch : committed) {
        if (IsControlCharacter(ch))
            continue;
        const EditSnapshot before = Snapshot();
        KeyPress(ch, nullptr);
        RestoreIfBroken(before);
    }
    event->accept();
}

// --- clipboard -------------------------------------------------------------------------

std::pair<int, int> TValueEdit::SelectedValueRange() const
{
    const int prefixLength = int(prefix_.size());
    const int valueLength = int(Text().size());
    const int from = std::clamp(SelStart() - prefixLength, 0, valueLength);
    const int to = std::clamp(SelStart() + SelLength() - prefixLength, from, valueLength);
    return {from, to};
}

QString TValueEdit::SelectedValuePart() const
{
    const auto [from, to] = SelectedValueRange();
    return Text().mid(from, to - from);
}

void TValueEdit::ClipboardCopy()
{
    bool allow = true;
    if (OnClipboardCopy)
        OnClipboardCopy(this, SelectedValuePart(), allow);
    if (allow)
        copy();
}

void TValueEdit::ClipboardCut()
{
    bool allow = true;
    if (OnClipboardCut)
        OnClipboardCut(this, SelectedValuePart(), allow);
    if (!allow || isReadOnly() || editType_ == etPassword || SelLength() == 0)
        return;
    // Only the value can be cut: prefix and suffix stay whole.
    const auto [from, to] = SelectedValueRange();
    if (to == from)
        return;
    const EditSnapshot before = Snapshot();
    setSelection(int(prefix_.size()) + from, to - from);
    cut();
    SetModifiedState(true);
    RestoreIfBroken(before);
}

void TValueEdit::ClipboardPaste()
{
    if (isReadOnly())
        return;
    QString pasted = QGuiApplication::clipboard()->text();
    if (pasted.isEmpty()) {
        UpdateLookupList();
        return;
    }
    // A single-line field takes the first line only.
    const int lineBreak = int(pasted.indexOf(QRegularExpression(QStringLiteral("[\r\n]"))));
    if (lineBreak >= 0)
        pasted.truncate(lineBreak);
    if (OnClipboardPaste) {
        bool allow = true;
        OnClipboardPaste(this, SelectedValuePart(), allow);
        if (!allow)
            return;
    }
    const int prefixLength = int(prefix_.size());
    const QString value = Text();
    const bool hadSelection = SelLength() > 0;
    const auto [from, to] = SelectedValueRange();
    const QString newValue = value.left(from) + pasted + value.mid(to);

    const std::optional<QString> accepted = InsertedValue(newValue, pasted, false);
    const bool set = accepted.has_value();
    if (set)
        SetInsertedValue(*accepted);
    if (set) {
        const int valueEnd = prefixLength + int(Text().size());
        const int pastedStart = std::min(prefixLength + from, valueEnd);
        const int pastedEnd = std::min(prefixLength + from + int(pasted.size()), valueEnd);
        if (editType_ == etMoney && Text().size() > 3)
            SelectValue();
        else if (hadSelection)
            setSelection(pastedStart, pastedEnd - pastedStart);
        else
            setCursorPosition(pastedEnd);
        SetModifiedState(true);
    }
    UpdateLookupList();
}

QMenu* TValueEdit::CreateContextMenu()
{
    // Our own menu, so that copy, cut and paste obey the same rules as the keyboard.
    auto* menu = new QMenu(this);
    const bool writable = !isReadOnly();
    const bool selection = hasSelectedText();
    const bool shown = echoMode() == QLineEdit::Normal;
    const auto add = [&](const char* name, const QString& text, QKeySequence::StandardKey key,
                         bool enabled, auto operation) {
        QAction* action = menu->addAction(text, this, operation);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(QKeySequence(key));
        action->setEnabled(enabled);
    };
    // The line edit's own commands get the same guards as their keys: prefix, suffix and
    // the number stay whole, the caret stays in the value, a money amount is regrouped.
    const auto guarded = [this](void (QLineEdit::*operation)(), int key) {
        return [this, operation, key] {
            const EditSnapshot before = Snapshot();
            (this->*operation)();
            if (text() != before.text)
                SetModifiedState(true);
            KeyDownDone(key);
            RestoreIfBroken(before);
        };
    };
    add("edit-undo", tr("&Undo"), QKeySequence::Undo, writable && isUndoAvailable(),
        guarded(&QLineEdit::undo, Qt::Key_Z));
    add("edit-redo", tr("&Redo"), QKeySequence::Redo, writable && isRedoAvailable(),
        guarded(&QLineEdit::redo, Qt::Key_Y));
    menu->addSeparator();
    add("edit-cut", tr("Cu&t"), QKeySequence::Cut, writable && selection && shown,
        &TValueEdit::ClipboardCut);
    add("edit-copy", tr("&Copy"), QKeySequence::Copy, selection && shown, &TValueEdit::ClipboardCopy);
    add("edit-paste", tr("&Paste"), QKeySequence::Paste,
        writable && !QGuiApplication::clipboard()->text().isEmpty(), &TValueEdit::ClipboardPaste);
    add("edit-delete", tr("Delete"), QKeySequence::Delete, writable && selection,
        guarded(&QLineEdit::del, Qt::Key_Delete));
    menu->addSeparator();
    add("select-all", tr("Select All"), QKeySequence::SelectAll, !text().isEmpty(),
        [this] { setSelection(int(prefix_.size()), int(Text().size())); }); // the value only
    return menu;
}

void TValueEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

std::optional<QString> TValueEdit::InsertedValue(const QString& newValue, const QString& inserted,
                                                 bool hexAllowed) const
{
    const FormatSettings& fs = FormatSettings::Current();
    switch (editType_) {
    case etString:
    case etPassword:
        return newValue;
    case etUppercase:
        return newValue.toUpper();
    case etLowerCase:
        return newValue.toLower();
    case etMixedCase:
        return valuetext::MixedCase(newValue);
    case etNumeric:
        // A number the field cannot hold is refused whole, never cut to what it can.
        if (valuetext::ClassifyNumber(newValue, fs) == nkInteger && valuetext::WholeNumberFits(newValue))
            return newValue;
        return std::nullopt;
    case etFloat:
    case etMoney: {
        const TNumberKind kind = valuetext::ClassifyNumber(newValue, fs);
        const bool decimalsAllowed = precision_ != 0 || !inserted.contains(fs.DecimalSeparator);
        if ((kind == nkInteger || kind == nkDecimal) && decimalsAllowed)
            return newValue;
        return std::nullopt;
    }
    case etAlphaNumeric:
        if (std::all_of(newValue.begin(), newValue.end(),
                        [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); }))
            return newValue;
        return std::nullopt;
    case etHex: {
        const TNumberKind kind = valuetext::ClassifyNumber(newValue, fs);
        if (hexAllowed && (kind == nkInteger || kind == nkHex))
            return newValue;
        return std::nullopt;
    }
    case etRange:
        return std::nullopt;
    }
    return std::nullopt;
}

void TValueEdit::SetInsertedValue(const QString& value)
{
    SetText(value);
    if (editType_ == etFloat || editType_ == etMoney)
        Reformat(); // to its precision
}
