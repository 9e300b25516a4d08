#include "widgets/ValueEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QColor kDisabledColor(0xC0, 0xC0, 0xC0); // silver
const QColor kErrorColor(Qt::red);
const QColor kErrorFontColor(Qt::white);

// Shows a password field's characters as "*" whatever the style would use.
class PasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

const FormatSettings& Formats() { return FormatSettings::Current(); }

// In every colour group, so that the disabled look is ours and not the style's.
void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    const QPalette& now = widget->palette();
    if (now.color(QPalette::Active, role) == color && now.color(QPalette::Inactive, role) == color &&
        now.color(QPalette::Disabled, role) == color)
        return;
    QPalette colours = widget->palette();
    colours.setColor(role, color);
    widget->setPalette(colours);
}

// The floating value of a value text as the field's type reads it.
double FloatOfValue(TValueEditType type, const QString& value)
{
    const FormatSettings& fs = Formats();
    switch (type) {
    case etNumeric:
    case etFloat:
        return value.isEmpty() ? 0.0 : valuetext::TextToFloat(value, fs);
    case etMoney: {
        if (value.isEmpty())
            return 0.0;
        QString plain = value;
        plain.remove(fs.ThousandSeparator);
        if (plain.endsWith(fs.DecimalSeparator))
            plain.chop(1);
        if (plain.isEmpty() || plain == QLatin1String("-"))
            return 0.0;
        return valuetext::TextToFloat(plain, fs);
    }
    case etHex:
        return value.isEmpty() ? 0.0 : double(valuetext::HexValue(value));
    default:
        return 0.0;
    }
}

// The same number as digits, read as FloatOfValue reads it but without a double in
// between, so that digits past what a double holds survive formatting.
valuetext::Decimal DecimalOfValue(TValueEditType type, const QString& value)
{
    const FormatSettings& fs = Formats();
    QString plain = value;
    if (type == etMoney) {
        plain.remove(fs.ThousandSeparator);
        if (plain.endsWith(fs.DecimalSeparator))
            plain.chop(1);
        if (plain == QLatin1String("-"))
            return {};
    } else if (type != etNumeric && type != etFloat) {
        return valuetext::DecimalOf(FloatOfValue(type, value));
    }
    if (plain.isEmpty())
        return {};
    return valuetext::ParseDecimal(plain, fs).value_or(valuetext::Decimal{});
}

QString AsciiUpper(QString text)
{
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

} // namespace

TValueEdit::TValueEdit(QWidget* parent)
    : QLineEdit(parent)
{
    const QPalette colours = palette();
    normalColor_ = colours.color(QPalette::Base);
    normalFontColor_ = colours.color(QPalette::Text);
    focusColor_ = normalColor_;
    focusFontColor_ = normalFontColor_;
    modifiedColor_ = colours.color(QPalette::Highlight);
    errorColor_ = kErrorColor;
    errorFontColor_ = kErrorFontColor;
    disabledColor_ = kDisabledColor;
    labelFont_ = QApplication::font();
    // The classic control has no length limit; QLineEdit's default would cut long text.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
    ApplyAlignment();
    InitAppearance();
}

TValueEdit::~TValueEdit()
{
    SavePersistence(); // the field's window goes: keep its text when asked to
    delete label_.data();
}

// --- window text and value text ------------------------------------------------------

QString TValueEdit::Text() const
{
    QString value = text();
    if (value.startsWith(prefix_))
        value.remove(0, prefix_.size());
    if (!suffix_.isEmpty())
        value.chop(suffix_.size());
    return value;
}

void TValueEdit::WriteWindowText(const QString& windowText)
{
    if (windowText != text())
        QLineEdit::setText(windowText);
}

void TValueEdit::SetValueRaw(const QString& value) { WriteWindowText(prefix_ + value + suffix_); }

void TValueEdit::SetText(const QString& newValue)
{
    const FormatSettings& fs = Formats();
    QString value = newValue;
    if (!value.isEmpty()) {
        const TNumberKind kind = valuetext::ClassifyNumber(value, fs);
        switch (editType_) {
        case etNumeric:
            // Text whose number would not fit in 32 bits would show one number and give
            // another through AsInteger: it is refused like any other text but a number.
            if (kind != nkInteger || !valuetext::WholeNumberFits(value))
                value = QStringLiteral("0");
            break;
        case etFloat:
        case etMoney:
            if (kind != nkInteger && kind != nkDecimal)
                value = QStringLiteral("0");
            break;
        case etHex:
            if (kind != nkInteger && kind != nkHex)
                value = QStringLiteral("0");
            break;
        default:
            break;
        }
    }
    if (precision_ > 0 && !value.isEmpty()) {
        if (editType_ == etMoney)
            value = valuetext::FormatNumber(DecimalOfValue(etMoney, value), precision_, fs);
        else if (editType_ == etFloat)
            value = valuetext::FormatFixed(DecimalOfValue(etFloat, value), precision_, fs);
    }
    if (editType_ == etHex)
        value = AsciiUpper(value);
    SetValueRaw(value);
    SetModifiedState(false);
    UpdateAddressDisplay();
}

// --- numbers ---------------------------------------------------------------------------

double TValueEdit::AsFloat() const { return FloatOfValue(editType_, Text()); }

std::int32_t TValueEdit::AsInteger() const
{
    const QString value = Text();
    switch (editType_) {
    case etNumeric:
    case etFloat:
        return valuetext::ReadWholeNumber(value);
    case etMoney: {
        QString plain = value;
        plain.remove(Formats().ThousandSeparator);
        return valuetext::ReadWholeNumber(plain);
    }
    case etHex:
        return value.isEmpty() ? 0 : valuetext::HexValue(value);
    default:
        return 0;
    }
}

void TValueEdit::SetAsFloat(double x)
{
    const FormatSettings& fs = Formats();
    if (!std::isfinite(x))
        x = 0.0;
    switch (editType_) {
    case etNumeric:
        // A whole number without separators, so the field always accepts it.
        SetText(valuetext::FormatFixed(x, 0, fs));
        break;
    case etFloat:
    case etMoney:
        SetText(DecimalText(valuetext::DecimalOf(x)));
        if (editType_ == etMoney)
            RegroupThousands();
        break;
    case etHex: {
        const double limit = 9.2e18; // stays inside 64 bits
        SetText(valuetext::HexDigits(static_cast<std::int64_t>(std::trunc(std::clamp(x, -limit, limit)))));
        break;
    }
    default:
        break;
    }
    SetModifiedState(true);
}

QString TValueEdit::DecimalText(const valuetext::Decimal& d) const
{
    const FormatSettings& fs = Formats();
    const bool general = editType_ == etMoney ? precision_ < 1 : precision_ < 0;
    return general ? valuetext::FormatGeneral(d, fs) : valuetext::FormatFixed(d, precision_, fs);
}

void TValueEdit::Reformat()
{
    const FormatSettings& fs = Formats();
    QString plain = Text();
    plain.remove(fs.ThousandSeparator);
    const TNumberKind kind = valuetext::ClassifyNumber(plain, fs);
    if (kind != nkInteger && kind != nkDecimal) {
        SetAsFloat(AsFloat());
        return;
    }
    // AsFloat := AsFloat, formatted from the digits rather than through a double.
    SetText(DecimalText(DecimalOfValue(editType_, plain)));
    if (editType_ == etMoney)
        RegroupThousands();
    SetModifiedState(true);
}

void TValueEdit::SetAsInteger(std::int32_t n)
{
    switch (editType_) {
    case etNumeric:
    case etFloat:
        SetText(QString::number(n));
        break;
    case etMoney:
        SetText(QString::number(n));
        RegroupThousands();
        break;
    case etHex:
        SetText(valuetext::HexDigits(n));
        break;
    default:
        break;
    }
    SetModifiedState(true);
}

void TValueEdit::RegroupThousands()
{
    const FormatSettings& fs = Formats();
    QString value = Text();
    if (value.isEmpty())
        return;
    const int oldLength = int(value.size());
    const int caret = cursorPosition();
    QString sign;
    if (value.startsWith(QLatin1Char('-'))) {
        sign = QStringLiteral("-");
        value.remove(0, 1);
    }
    const int decimalAt = int(value.indexOf(fs.DecimalSeparator));
    const QString decimals = decimalAt >= 0 ? value.mid(decimalAt, 255) : QString();
    // From the digits themselves: a regroup must not change a digit a double cannot hold.
    valuetext::Decimal whole = valuetext::Truncated(DecimalOfValue(editType_, Text()));
    whole.negative = false;
    const QString integerPart = autoThousandSeparator_ ? valuetext::FormatNumber(whole, 0, fs)
                                                       : valuetext::FormatFixed(whole, 0, fs);
    const QString regrouped = sign + integerPart + decimals;
    SetValueRaw(regrouped);
    // A separator that went with a deleted digit would otherwise pull the caret back
    // into the prefix.
    const int valueStart = int(prefix_.size());
    setCursorPosition(std::clamp(caret + int(regrouped.size()) - oldLength, valueStart,
                                 valueStart + int(regrouped.size())));
}

// --- type and format settings ----------------------------------------------------------

void TValueEdit::SetEditType(TValueEditType type)
{
    if (type == editType_)
        return;
    editType_ = type;
    if (type == etPassword) {
        canUndo_ = false;
        ApplyPasswordStyle();
        RecreateWindow();
    } else {
        ApplyPasswordStyle();
    }
    const TNumberKind kind = valuetext::ClassifyNumber(Text(), Formats());
    if (type == etNumeric && kind != nkInteger)
        SetAsInteger(0);
    else if (type == etHex && kind != nkInteger && kind != nkHex)
        SetAsInteger(0);
    else if ((type == etFloat || type == etMoney) && kind != nkInteger && kind != nkDecimal)
        SetAsFloat(0);
}

void TValueEdit::ApplyPasswordStyle()
{
    if (editType_ == etPassword) {
        if (!passwordStyle_) {
            auto* style = new PasswordStyle;
            style->setParent(this);
            passwordStyle_ = style;
            setStyle(style);
        }
        setEchoMode(QLineEdit::Password);
    } else {
        setEchoMode(QLineEdit::Normal);
        if (passwordStyle_) {
            setStyle(nullptr);
            delete passwordStyle_;
            passwordStyle_ = nullptr;
        }
    }
}

void TValueEdit::SetPrecision(qint16 precision)
{
    if (precision == precision_ || (editType_ != etFloat && editType_ != etMoney))
        return;
    precision_ = precision;
    const TNumberKind kind = valuetext::ClassifyNumber(Text(), Formats());
    if (kind == nkInteger || kind == nkDecimal)
        Reformat();
    else
        SetAsFloat(0.0);
}

void TValueEdit::SetAutoThousandSeparator(bool value)
{
    if (value == autoThousandSeparator_)
        return;
    autoThousandSeparator_ = value;
    if (editType_ == etFloat || editType_ == etMoney)
        RegroupThousands();
}

void TValueEdit::SetCanUndo(bool value)
{
    if (editType_ == etPassword)
        value = false;
    if (value == canUndo_)
        return;
    canUndo_ = value;
    RecreateWindow();
}

void TValueEdit::SetPrefix(const QString& value)
{
    if (value == prefix_)
        return;
    const QString current = Text();
    prefix_ = value;
    SetText(current);
}

void TValueEdit::SetSuffix(const QString& value)
{
    if (value == suffix_)
        return;
    const QString current = Text();
    suffix_ = value;
    SetText(current);
}

void TValueEdit::SetEditAlign(TEditAlign value)
{
    if (value == editAlign_)
        return;
    editAlign_ = value;
    ApplyAlignment();
    RecreateWindow();
}

void TValueEdit::ApplyAlignment()
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (editAlign_ == eaRight)
        horizontal = Qt::AlignRight;
    else if (editAlign_ == eaCenter)
        horizontal = Qt::AlignHCenter;
    setAlignment(horizontal | Qt::AlignVCenter);
}

void TValueEdit::RecreateWindow() { SavePersistence(); }

// --- state -----------------------------------------------------------------------------

void TValueEdit::SetModifiedState(bool modified)
{
    if (loading_ || isReadOnly())
        return;
    if (showModified_)
        ApplyFontColor(modified ? modifiedColor_ : normalFontColor_);
    setModified(modified);
    modified_ = modified;
}

bool TValueEdit::ValidateValue(const QString& value)
{
    if (validating_)
        return true;
    bool isValid = true;
    if (OnValueValidate) {
        const QScopedValueRollback guard(validating_, true);
        OnValueValidate(this, value, isValid);
    }
    return isValid;
}

void TValueEdit::SelectValue()
{
    const QString value = Text();
    const int start = std::clamp(ValueSelectionStart(value), 0, int(value.size()));
    setSelection(int(prefix_.size()) + start, int(value.size()) - start);
}

int TValueEdit::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

int TValueEdit::SelLength() const { return hasSelectedText() ? selectionLength() : 0; }

void TValueEdit::SetErrorState(bool error)
{
    if (error == errorState_ || loading_)
        return;
    errorState_ = error;
    if (!showError_)
        return;
    if (error) {
        ApplyBackground(errorColor_);
        ApplyFontColor(errorFontColor_);
    } else if (hasFocus()) {
        ApplyBackground(focusColor_);
        ApplyFontColor(focusFontColor_);
    } else {
        ApplyBackground(normalColor_);
        ApplyFontColor(normalFontColor_);
    }
}

void TValueEdit::Change()
{
    if (OnChange)
        OnChange(this);
    if (!loading_) {
        const bool valid = ValidateValue(Text());
        if (showError_)
            SetErrorState(!valid);
    }
    UpdateAddressDisplay();
}

// --- colours ---------------------------------------------------------------------------

// The active group's: a disabled field's current group would give the style's disabled
// colour, which would then be taken for the normal one.
QColor TValueEdit::Color() const { return palette().color(QPalette::Active, QPalette::Base); }

void TValueEdit::SetColor(const QColor& color)
{
    ApplyBackground(color);
    normalColor_ = color;
}

QColor TValueEdit::FontColor() const { return palette().color(QPalette::Active, QPalette::Text); }

void TValueEdit::SetFontColor(const QColor& color) { ApplyFontColor(color); }

void TValueEdit::ApplyBackground(const QColor& color) { SetPaletteColor(this, QPalette::Base, color); }

void TValueEdit::ApplyFontColor(const QColor& color) { SetPaletteColor(this, QPalette::Text, color); }

void TValueEdit::SetErrorMarkerPos(int value)
{
    errorMarkerPos_ = value;
    update();
}

void TValueEdit::SetErrorMarkerLen(int value)
{
    errorMarkerLen_ = value;
    update();
}

void TValueEdit::SetEmptyText(const QString& value)
{
    emptyText_ = value;
    update();
}

// --- loading, geometry, enabled --------------------------------------------------------

void TValueEdit::SetLoading(bool loading)
{
    loading_ = loading;
    if (loading)
        loadedHeight_ = height();
}

void TValueEdit::Loaded()
{
    loading_ = false;
    normalColor_ = Color();
    normalFontColor_ = FontColor();
    LoadedAppearance();
    UpdateLabel();
    if (!isEnabled())
        ApplyBackground(disabledColor_);
    if (loadedHeight_ >= 0 && loadedHeight_ != height())
        resize(width(), loadedHeight_);
    LoadPersistence();
    storesRead_ = true;
}

void TValueEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() != QEvent::EnabledChange || loading_)
        return;
    if (isEnabled()) {
        ApplyBackground(normalColor_);
    } else {
        normalColor_ = Color();
        ApplyBackground(disabledColor_);
    }
    if (label_ && !labelAlwaysEnabled_)
        label_->setEnabled(isEnabled());
}

void TValueEdit::moveEvent(QMoveEvent* event)
{
    QLineEdit::moveEvent(event);
    if (label_)
        UpdateLabel();
}

void TValueEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    if (loading_)
        loadedHeight_ = height();
    if (label_)
        UpdateLabel();
}
