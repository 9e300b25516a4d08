#pragma once

#include "widgets/EditAppearance.h"
#include "widgets/EditLabel.h"
#include "widgets/LookupList.h"
#include "widgets/Persistence.h"
#include "widgets/ValueText.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QLabel;
class QMenu;
class QPainter;
class TEditDragDrop;
class TValueEdit;

using TNotifyEvent = std::function<void(TValueEdit* sender)>;
// allow starts true; setting it false vetoes the operation.
using TClipboardEvent = std::function<void(TValueEdit* sender, const QString& value, bool& allow)>;
// isValid starts true.
using TValueValidateEvent =
    std::function<void(TValueEdit* sender, const QString& value, bool& isValid)>;
// key is a Qt::Key; setting it to 0 stops the control's own handling of the key.
using TKeyEvent = std::function<void(TValueEdit* sender, int& key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(TValueEdit* sender, QChar& key)>;
// value is what the accepted lookup entry puts into the field; it may be changed.
using TLookupSelectEvent = std::function<void(TValueEdit* sender, QString& value)>;

// The labelled single-line input field. The window text (QLineEdit::text()) is
// Prefix() + value + Suffix(); Text() is the value alone. Caret and selection positions
// are counted in the window text. The edit type filters typed and pasted characters and
// normalises written text; numbers are read and written through AsInteger/AsFloat.
class TValueEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TValueEdit(QWidget* parent = nullptr);
    ~TValueEdit() override;

    // --- value -----------------------------------------------------------------------
    QString Text() const;
    void SetText(const QString& value); // normalised for the type, clears the modified state
    std::int32_t AsInteger() const;
    void SetAsInteger(std::int32_t n); // marks the field modified
    double AsFloat() const;
    void SetAsFloat(double x); // marks the field modified

    TValueEditType EditType() const { return editType_; }
    void SetEditType(TValueEditType type);
    qint16 Precision() const { return precision_; }
    void SetPrecision(qint16 precision); // only etFloat and etMoney take it
    bool Signed() const { return signed_; }
    void SetSigned(bool value) { signed_ = value; }
    bool AutoThousandSeparator() const { return autoThousandSeparator_; }
    void SetAutoThousandSeparator(bool value);
    qint16 LengthLimit() const { return lengthLimit_; }
    void SetLengthLimit(qint16 value) { lengthLimit_ = value; }
    bool TabOnFullLength() const { return tabOnFullLength_; }
    void SetTabOnFullLength(bool value) { tabOnFullLength_ = value; }
    bool ReturnIsTab() const { return returnIsTab_; }
    void SetReturnIsTab(bool value) { returnIsTab_ = value; }
    bool ExcelStyleDecimalSeparator() const { return excelStyleDecimalSeparator_; }
    void SetExcelStyleDecimalSeparator(bool value) { excelStyleDecimalSeparator_ = value; }
    bool CanUndo() const { return canUndo_; }
    void SetCanUndo(bool value); // always false for etPassword
    QString Prefix() const { return prefix_; }
    void SetPrefix(const QString& value); // keeps the value
    QString Suffix() const { return suffix_; }
    void SetSuffix(const QString& value); // keeps the value
    TEditAlign EditAlign() const { return editAlign_; }
    void SetEditAlign(TEditAlign value);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }

    // --- state -----------------------------------------------------------------------
    bool Modified() const { return modified_; }
    void SetModifiedState(bool modified);
    bool ErrorState() const { return errorState_; }
    QString TextAtFocus() const { return textAtFocus_; }
    // Runs OnValueValidate once; a nested call for the same field answers true.
    virtual bool ValidateValue(const QString& value);
    void SelectValue(); // the value without prefix and suffix
    void RegroupThousands(); // rewrites an etMoney integer part with separators
    int SelStart() const;
    int SelLength() const;

    // --- colours and hints -----------------------------------------------------------
    QColor Color() const;
    void SetColor(const QColor& color); // also the remembered normal background
    QColor FontColor() const;
    void SetFontColor(const QColor& color);
    QColor FocusColor() const { return focusColor_; }
    void SetFocusColor(const QColor& c) { focusColor_ = c; }
    QColor FocusFontColor() const { return focusFontColor_; }
    void SetFocusFontColor(const QColor& c) { focusFontColor_ = c; }
    TEditAlign FocusAlign() const { return focusAlign_; }
    void SetFocusAlign(TEditAlign value) { focusAlign_ = value; }
    int FocusWidthInc() const { return focusWidthInc_; }
    void SetFocusWidthInc(int value) { focusWidthInc_ = value; }
    bool ShowModified() const { return showModified_; }
    void SetShowModified(bool value) { showModified_ = value; }
    QColor ModifiedColor() const { return modifiedColor_; }
    void SetModifiedColor(const QColor& c) { modifiedColor_ = c; }
    bool ShowError() const { return showError_; }
    void SetShowError(bool value) { showError_ = value; }
    QColor ErrorColor() const { return errorColor_; }
    void SetErrorColor(const QColor& c) { errorColor_ = c; }
    QColor ErrorFontColor() const { return errorFontColor_; }
    void SetErrorFontColor(const QColor& c) { errorFontColor_ = c; }
    int ErrorMarkerPos() const { return errorMarkerPos_; }
    void SetErrorMarkerPos(int value);
    int ErrorMarkerLen() const { return errorMarkerLen_; }
    void SetErrorMarkerLen(int value);
    QString EmptyText() const { return emptyText_; }
    void SetEmptyText(const QString& value);
    QColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(const QColor& c) { disabledColor_ = c; }

    // --- caption label ---------------------------------------------------------------
    QString LabelCaption() const; // empty while there is no label
    void SetLabelCaption(const QString& caption); // creates the label on first write
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition value);
    int LabelMargin() const { return labelMargin_; }
    void SetLabelMargin(int value);
    QFont LabelFont() const { return labelFont_; }
    void SetLabelFont(const QFont& font);
    bool LabelTransparent() const { return labelTransparent_; }
    void SetLabelTransparent(bool value);
    bool LabelAlwaysEnabled() const { return labelAlwaysEnabled_; }
    void SetLabelAlwaysEnabled(bool value);
    bool FocusLabel() const { return focusLabel_; }
    void SetFocusLabel(bool value) { focusLabel_ = value; }
    QLabel* Label() const { return label_; } // nullptr until the first caption
    void UpdateLabel();

    // --- loading ---------------------------------------------------------------------
    // While loading, the modified state, validation and error display are inactive.
    bool Loading() const { return loading_; }
    void SetLoading(bool loading);
    // The step after the owner has applied its stored properties: remembers the normal
    // colours, places the label, applies the disabled colour and loads persistence.
    virtual void Loaded();

    // --- clipboard (keyboard shortcuts and the context menu come here) -------------
    void ClipboardCopy();
    void ClipboardCut();
    void ClipboardPaste();
    // The standard context menu with copy, cut and paste routed through the rules above.
    QMenu* CreateContextMenu();

    // --- lookup pop-up, own store, appearance, drag and drop ------------------------
    // (ValueEditLookup.cpp and ValueEditAppearance.cpp)
    TLookupSettings& Lookup() { return lookup_; }
    const TLookupSettings& Lookup() const { return lookup_; }
    void SetLookup(const TLookupSettings& settings) { lookup_ = settings; }
    TListHintWindow* LookupPopup() const { return lookupPopup_; } // nullptr until first used
    // Takes the highlighted pop-up entry (its ValueList entry when there is one).
    void AcceptLookupItem();
    TPersistence& Persistence() { return persistence_; }
    const TPersistence& Persistence() const { return persistence_; }
    void SetPersistence(const TPersistence& settings) { persistence_ = settings; }
    // The field's own store: read after loading, written when the field goes.
    virtual void LoadPersistence();
    virtual void SavePersistence();

    bool Flat() const { return appearance_.flat; }
    void SetFlat(bool value);
    QColor FlatLineColor() const { return appearance_.flatLineColor; }
    void SetFlatLineColor(const QColor& color);
    bool FlatParentColor() const { return appearance_.flatParentColor; }
    void SetFlatParentColor(bool value);
    bool SoftBorder() const { return appearance_.softBorder; }
    void SetSoftBorder(bool value);
    bool FocusBorder() const { return appearance_.focusBorder; }
    void SetFocusBorder(bool value);
    bool AutoFocus() const { return appearance_.autoFocus; }
    void SetAutoFocus(bool value) { appearance_.autoFocus = value; }
    bool Transparent() const { return appearance_.transparent; }
    void SetTransparent(bool value);
    bool ShowURL() const { return appearance_.showURL; }
    void SetShowURL(bool value);
    QColor URLColor() const { return appearance_.urlColor; }
    void SetURLColor(const QColor& color);
    bool HintShowLargeText() const { return appearance_.hintShowLargeText; }
    void SetHintShowLargeText(bool value) { appearance_.hintShowLargeText = value; }
    bool OleDropTarget() const;
    void SetOleDropTarget(bool value);
    bool OleDropSource() const;
    void SetOleDropSource(bool value);

    void setVisible(bool visible) override; // the label follows

    // --- events (fired only when set, sender first) -------------------------------
    TNotifyEvent OnChange; // every change of the window text
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TClipboardEvent OnClipboardCopy;
    TClipboardEvent OnClipboardCut;
    TClipboardEvent OnClipboardPaste;
    TValueValidateEvent OnValueValidate;
    TLookupSelectEvent OnLookupSelect;

protected:
    enum TKeyDownResult {
        kdDefault,   // the control's own handling follows
        kdSwallowed, // neither processed nor reported (a typed character is still filtered)
        kdFinished   // handled here; nothing else happens
    };

    // Qt entry points; each runs the steps below in order.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // Return and Escape, asked before the key is processed (Escape restores the text
    // at focus; both reach the parent as a key-down/key-up pair).
    virtual void SpecialKey(QKeyEvent* event);
    // Key-down steps up to and including DoKeyDown; key may be rewritten (Return as Tab).
    virtual TKeyDownResult KeyDown(QKeyEvent* event, int& key);
    // Fires OnKeyDown; a descendant hooks its own key-down work in here.
    virtual void DoKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    // After the control's own handling of a key (money regroup, caret out of prefix).
    virtual void KeyDownDone(int key);
    // The character filter for one typed character; event is the key press that typed
    // it (nullptr for input-method text).
    virtual void KeyPress(QChar ch, QKeyEvent* event);
    virtual void DoKeyPress(QChar& key);
    virtual void KeyUp(QKeyEvent* event);
    virtual void DoKeyUp(int& key, Qt::KeyboardModifiers modifiers);

    // Focus sequences. FocusReceived/FocusLost run on every focus change (also window
    // activation); DoEnter/DoExit fire OnEnter/OnExit only when the focus moves between
    // controls of the window.
    virtual void FocusReceived(QFocusEvent* event);
    virtual void FocusLost(QFocusEvent* event);
    virtual void DoEnter();
    virtual void DoExit();
    // For an exit that was refused: once the focus change under way is over, the focus
    // comes back here. The control passed through meanwhile runs none of its sequences.
    void TakeFocusBack();

    // Runs on every change of the window text: OnChange, then validation.
    virtual void Change();

    // Drawn after the line edit has painted: empty-text hint and error marker.
    virtual void PaintAdditions(QPainter& painter);

    // Lookup pop-up (ValueEditLookup.cpp). LookupKeyDown sees every key first and
    // returns true when the pop-up consumed it.
    virtual bool LookupKeyDown(QKeyEvent* event);
    virtual void UpdateLookupList();
    virtual void HideLookup(QWidget* newFocus);

    // Address display (ValueEditAppearance.cpp).
    virtual bool AddressDisplayed() const;
    virtual void UpdateAddressDisplay();
    // Where SelectValue starts inside the value.
    virtual int ValueSelectionStart(const QString& value) const;

    // Where a platform edit would re-create its window (alignment, undo, password
    // switches): the field's own store is written as at any window destruction.
    virtual void RecreateWindow();
    // The stores are written only once they have been read: never while loading or
    // before the first Loaded(), which would put the design's text over the saved one.
    bool MayWriteStores() const { return storesRead_ && !loading_; }
    // Appearance applied once loading has finished (before the label is placed).
    virtual void LoadedAppearance();
    // Flat line or focus border, drawn after the line edit has painted.
    void PaintAppearance(QPainter& painter);
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override; // the large-text hint

    // Helpers for descendants.
    void WriteWindowText(const QString& windowText); // raw, only when it differs
    void SetValueRaw(const QString& value);           // Prefix + value + Suffix, raw
    void ApplyBackground(const QColor& color);
    void ApplyFontColor(const QColor& color);
    void SetErrorState(bool error);
    void PostKey(QObject* receiver, int key, bool withRelease) const;

private:
    struct EditSnapshot {
        QString text;
        int cursor = 0;
        int selStart = 0;
        int selLength = 0;
        bool modified = false;
    };
    EditSnapshot Snapshot() const;
    void RestoreIfBroken(const EditSnapshot& before);
    void RunFilterAfterSteps();
    void ToggleSign();
    void PassText(const QString& text, QKeyEvent* event);
    using ClipboardOperation = void (TValueEdit::*)();
    static ClipboardOperation ClipboardShortcut(QKeyEvent* event); // nullptr for other keys
    std::pair<int, int> SelectedValueRange() const; // [from, to) in the value
    QString SelectedValuePart() const;
    // The value a paste or a drop of `inserted` leaves, in the shape the field's type
    // takes it; nothing when the type refuses it. A paste never brings a hexadecimal
    // value; a drop may.
    std::optional<QString> InsertedValue(const QString& newValue, const QString& inserted,
                                         bool hexAllowed) const;
    // Writes an accepted inserted value, at the field's precision for decimal types.
    void SetInsertedValue(const QString& value);
    // AsFloat := AsFloat for decimal types, but from the value's digits: a value with
    // more digits than a double holds keeps them.
    void Reformat();
    // A decimal value as an AsFloat write shows it: fixed to Precision, or the general
    // form when Precision asks for none.
    QString DecimalText(const valuetext::Decimal& d) const;
    void ApplyAlignment();
    void ApplyPasswordStyle();
    void PaintEmptyText(QPainter& painter);
    void PaintErrorMarker(QPainter& painter);
    QRect TextLineRect() const;
    int TextXAt(int windowPosition) const;

    TValueEditType editType_ = etString;
    qint16 precision_ = 0;
    bool signed_ = false;
    bool autoThousandSeparator_ = true;
    qint16 lengthLimit_ = 0;
    bool tabOnFullLength_ = false;
    bool returnIsTab_ = false;
    bool excelStyleDecimalSeparator_ = false;
    bool canUndo_ = true;
    QString prefix_;
    QString suffix_;
    TEditAlign editAlign_ = eaLeft;
    bool autoSelect_ = true;

    bool modified_ = false;
    bool errorState_ = false;
    bool validating_ = false;
    bool loading_ = false;
    int loadedHeight_ = -1;
    bool storesRead_ = false;
    QString textAtFocus_;
    TEditAlign alignBeforeFocus_ = eaLeft;
    bool aligningForFocus_ = false;

    QColor normalColor_;
    QColor normalFontColor_;
    QColor focusColor_;
    QColor focusFontColor_;
    TEditAlign focusAlign_ = eaDefault;
    int focusWidthInc_ = 0;
    bool showModified_ = false;
    QColor modifiedColor_;
    bool showError_ = false;
    QColor errorColor_;
    QColor errorFontColor_;
    int errorMarkerPos_ = 0;
    int errorMarkerLen_ = 0;
    QString emptyText_;
    QColor disabledColor_;

    QPointer<QLabel> label_;
    TLabelPosition labelPosition_ = lpLeftTop;
    int labelMargin_ = 4;
    QFont labelFont_;
    bool labelTransparent_ = false;
    bool labelAlwaysEnabled_ = false;
    bool focusLabel_ = false;
    QObject* passwordStyle_ = nullptr;

    // Lookup pop-up, own store, appearance and drag and drop.
    void InitAppearance();
    TListHintWindow* EnsureLookupPopup();
    void ApplyFlat(bool on);
    bool TakeDrop(const QString& windowText, int insertAt, const QString& dropped);
    TLookupSettings lookup_;
    TListHintWindow* lookupPopup_ = nullptr; // a child: deleted with the field
    TPersistence persistence_;
    TEditAppearanceOptions appearance_;
    TEditDragDrop* dragDrop_ = nullptr;      // a child as well
};
