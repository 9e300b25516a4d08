#include "app/FontDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include <limits>

namespace {

struct NamedColor {
    const char* name;
    QRgb rgb;
};

// The sixteen colours a font dialog traditionally offers.
constexpr NamedColor kColors[] = {
    { QT_TRANSLATE_NOOP("TFontDialog", "Black"), 0x000000 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Maroon"), 0x800000 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Green"), 0x008000 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Olive"), 0x808000 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Navy"), 0x000080 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Purple"), 0x800080 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Teal"), 0x008080 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Gray"), 0x808080 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Silver"), 0xC0C0C0 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Red"), 0xFF0000 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Lime"), 0x00FF00 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Yellow"), 0xFFFF00 },
    { QT_TRANSLATE_NOOP("TFontDialog", "Blue"), 0x0000FF },
    { QT_TRANSLATE_NOOP("TFontDialog", "Fuchsia"), 0xFF00FF },
    { QT_TRANSLATE_NOOP("TFontDialog", "Aqua"), 0x00FFFF },
    { QT_TRANSLATE_NOOP("TFontDialog", "White"), 0xFFFFFF },
};

QIcon swatch(const QColor& color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

// Qt's chooser as a part of this dialog: whatever would close it alone (Escape, Enter in
// its lists) closes the whole dialog instead, so the chooser never hides itself.
class EmbeddedChooser : public QFontDialog {
public:
    explicit EmbeddedChooser(QDialog* owner)
        : QFontDialog(owner), owner_(owner)
    {
    }

protected:
    void done(int result) override { owner_->done(result); }

private:
    QDialog* owner_;
};

} // namespace

TFontDialog::TFontDialog(QWidget* parent)
    : QDialog(parent)
    , chooser_(new EmbeddedChooser(this))
    , colorBox_(new QComboBox(this))
    , faceHint_(new QLabel(this))
{
    setWindowTitle(tr("Font"));
    // Qt's chooser embedded as a plain widget; this dialog owns the buttons.
    chooser_->setWindowFlags(Qt::Widget);
    chooser_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    chooser_->setSizeGripEnabled(false);
    // A serial font may be any size; Qt's size box stops at three digits.
    for (QLineEdit* edit : chooser_->findChildren<QLineEdit*>())
        if (qobject_cast<const QIntValidator*>(edit->validator()))
            edit->setValidator(new QIntValidator(1, std::numeric_limits<int>::max(), edit));
    faceHint_->setObjectName(QStringLiteral("FaceHint"));
    faceHint_->hide();
    connect(chooser_, &QFontDialog::currentFontChanged, this, [this] { ShowFaceHint(); });

    for (const NamedColor& entry : kColors)
        colorBox_->addItem(swatch(QColor(entry.rgb)), tr(entry.name), QColor(entry.rgb));

    auto* colorRow = new QFormLayout;
    colorRow->addRow(tr("&Color:"), colorBox_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chooser_);
    layout->addWidget(faceHint_);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

QFont TFontDialog::CurrentFont() const
{
    QFont font = chooser_->currentFont();
    // Unless another face was picked, the stored name stays as the user wrote it.
    if (!requestedFamily_.isEmpty() && font.family() == shownFamily_)
        font.setFamily(requestedFamily_);
    return font;
}

void TFontDialog::SetCurrentFont(const QFont& font)
{
    // A name the machine only knows as an alias ("Arial" for a metric-compatible face)
    // is shown as the face that really draws it, not as the chooser's nearest guess.
    QFont shown = font;
    shown.setFamily(QFontInfo(font).family());
    chooser_->setCurrentFont(shown);
    requestedFamily_ = font.family();
    shownFamily_ = chooser_->currentFont().family();
    ShowFaceHint();
}

void TFontDialog::ShowFaceHint()
{
    const QString family = chooser_->currentFont().family();
    const bool alias = !requestedFamily_.isEmpty() && family == shownFamily_
        && family != requestedFamily_;
    faceHint_->setText(alias ? tr("%1 is drawn with %2").arg(requestedFamily_, family) : QString());
    faceHint_->setVisible(alias);
}

QColor TFontDialog::Color() const { return colorBox_->currentData().value<QColor>(); }

void TFontDialog::SetColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    int index = -1;
    for (int i = 0; i < colorBox_->count(); ++i)
        if (colorBox_->itemData(i).value<QColor>() == rgb)
            index = i;
    if (index < 0) {
        // Only one extra entry: the one for the colour last set from outside.
        if (colorBox_->count() > int(std::size(kColors)))
            colorBox_->removeItem(colorBox_->count() - 1);
        colorBox_->addItem(swatch(rgb), tr("Custom"), rgb);
        index = colorBox_->count() - 1;
    }
    colorBox_->setCurrentIndex(index);
}
