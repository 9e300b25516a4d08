#include "app/TicketItemsDialog.h"

#include "app/InchesBox.h"

#include "platform/FormatSettings.h"
#include "run/SettingsFile.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TTicketItemsDialog::TTicketItemsDialog(const QList<ticket::TTicketItem>& items, QWidget* parent)
    : QDialog(parent)
    , items_(items)
{
    setObjectName(QStringLiteral("TicketItemsDialog"));
    setWindowTitle(tr("Ticket Items"));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ItemList"));
    list_->setMinimumWidth(220);
    add_ = new QPushButton(tr("&Add"), this);
    remove_ = new QPushButton(tr("&Remove"), this);
    up_ = new QPushButton(tr("Move &Up"), this);
    down_ = new QPushButton(tr("Move &Down"), this);
    for (QPushButton* button : { add_, remove_, up_, down_ })
        button->setAutoDefault(false);

    fields_ = new QGroupBox(tr("Selected item"), this);
    kind_ = new QComboBox(fields_);
    kind_->setObjectName(QStringLiteral("ItemKind"));
    kind_->addItem(tr("Text"), int(ticket::TItemKind::Text));
    kind_->addItem(tr("Barcode"), int(ticket::TItemKind::Barcode));
    left_ = InchesBox(-settingslimits::kMaxIndent, settingslimits::kMaxIndent, 0, 0.05, QStringLiteral("ItemLeft"), fields_);
    top_ = InchesBox(-settingslimits::kMaxIndent, settingslimits::kMaxIndent, 0, 0.05, QStringLiteral("ItemTop"), fields_);
    text_ = new QLineEdit(fields_);
    text_->setObjectName(QStringLiteral("ItemText"));
    text_->setToolTip(tr("{serial}: the serial as printed; {number}: the number alone; {check}: the check character"));
    rotation_ = new QComboBox(fields_);
    rotation_->setObjectName(QStringLiteral("ItemRotation"));
    for (const int degrees : { 0, 90, 180, 270 })
        rotation_->addItem(QString::number(degrees) + QChar(0x00B0), degrees);
    form_ = new QFormLayout(fields_);
    form_->addRow(tr("&Kind:"), kind_);
    form_->addRow(tr("&Left:"), left_);
    form_->addRow(tr("&Top:"), top_);
    form_->addRow(tr("Te&xt:"), text_);
    form_->addRow(tr("R&otation:"), rotation_);

    align_ = new QComboBox(fields_);
    align_->setObjectName(QStringLiteral("ItemAlign"));
    align_->addItem(tr("Starts at the position"), int(ticket::TAlign::Left));
    align_->addItem(tr("Centred on the position"), int(ticket::TAlign::Center));
    align_->addItem(tr("Ends at the position"), int(ticket::TAlign::Right));
    font_ = new QLineEdit(fields_);
    font_->setObjectName(QStringLiteral("ItemFont"));
    font_->setPlaceholderText(tr("as the serial"));
    size_ = new QSpinBox(fields_);
    size_->setObjectName(QStringLiteral("ItemSize"));
    size_->setRange(settingslimits::kMinFontSize - 1, settingslimits::kMaxFontSize);
    size_->setSpecialValueText(tr("as the serial"));
    size_->setSuffix(tr(" pt"));
    bold_ = new QCheckBox(tr("&Bold"), fields_);
    italic_ = new QCheckBox(tr("&Italic"), fields_);
    for (QCheckBox* box : { bold_, italic_ }) {
        box->setTristate(true); // partly checked: as the serial
        box->setToolTip(tr("Partly checked: as the serial"));
    }
    ownColor_ = new QCheckBox(tr("Own &colour"), fields_);
    color_ = new QPushButton(tr("Colo&ur..."), fields_);
    color_->setAutoDefault(false);
    auto* styles = new QHBoxLayout;
    styles->addWidget(bold_);
    styles->addWidget(italic_);
    auto* colors = new QHBoxLayout;
    colors->addWidget(ownColor_);
    colors->addWidget(color_);
    // One form for both kinds, so the fields line up; each kind shows its own rows.
    const int firstTextRow = form_->rowCount();
    form_->addRow(tr("Ali&gn:"), align_);
    form_->addRow(tr("&Font:"), font_);
    form_->addRow(tr("&Size:"), size_);
    form_->addRow(QString(), styles);
    form_->addRow(QString(), colors);
    for (int row = firstTextRow; row < form_->rowCount(); ++row)
        textRows_ << row;

    symbology_ = new QComboBox(fields_);
    symbology_->setObjectName(QStringLiteral("ItemSymbology"));
    for (const ticket::TSymbology symbology : { ticket::TSymbology::Code128, ticket::TSymbology::Code39, ticket::TSymbology::QR,
                                                ticket::TSymbology::DataMatrix, ticket::TSymbology::EAN13, ticket::TSymbology::ITF })
        symbology_->addItem(ticket::SymbologyTitle(symbology), int(symbology));
    width_ = InchesBox(ticket::kMinBarcodeSize, ticket::kMaxBarcodeSize, 0, 0.05, QStringLiteral("ItemWidth"), fields_);
    height_ = InchesBox(ticket::kMinBarcodeSize, ticket::kMaxBarcodeSize, 0, 0.05, QStringLiteral("ItemHeight"), fields_);
    humanReadable_ = new QCheckBox(tr("Text u&nder the bars"), fields_);
    const int firstCodeRow = form_->rowCount();
    form_->addRow(tr("&Symbology:"), symbology_);
    form_->addRow(tr("&Width:"), width_);
    form_->addRow(tr("&Height:"), height_);
    form_->addRow(QString(), humanReadable_);
    for (int row = firstCodeRow; row < form_->rowCount(); ++row)
        codeRows_ << row;

    auto* buttonsColumn = new QVBoxLayout;
    for (QPushButton* button : { add_, remove_, up_, down_ })
        buttonsColumn->addWidget(button);
    buttonsColumn->addStretch(1);
    auto* listSide = new QHBoxLayout;
    listSide->addWidget(list_, 1);
    listSide->addLayout(buttonsColumn);
    auto* sides = new QHBoxLayout;
    sides->addLayout(listSide, 1);
    sides->addWidget(fields_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* main = new QVBoxLayout(this);
    main->addLayout(sides);
    main->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(add_, &QPushButton::clicked, this, [this] { Add(); });
    connect(remove_, &QPushButton::clicked, this, [this] { Remove(); });
    connect(up_, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { Move(1); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { Select(row); });
    for (QComboBox* box : { kind_, rotation_, align_, symbology_ })
        connect(box, &QComboBox::currentIndexChanged, this, [this] { FieldsChanged(); });
    for (QDoubleSpinBox* box : { left_, top_, width_, height_ })
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { FieldsChanged(); });
    connect(size_, &QSpinBox::valueChanged, this, [this] { FieldsChanged(); });
    for (QLineEdit* edit : { text_, font_ })
        connect(edit, &QLineEdit::textChanged, this, [this] { FieldsChanged(); });
    for (QCheckBox* box : { bold_, italic_, ownColor_, humanReadable_ })
        connect(box, &QCheckBox::stateChanged, this, [this] { FieldsChanged(); });
    connect(color_, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(IntToColor(colorValue_), this, tr("Colour"));
        if (!chosen.isValid())
            return;
        colorValue_ = ColorToInt(chosen);
        ownColor_->setChecked(true);
        FieldsChanged();
    });
    ShowItems(items_.isEmpty() ? -1 : 0);
}

QString TTicketItemsDialog::Line(int index) const
{
    const ticket::TTicketItem& item = items_[index];
    const QString what = item.Kind == ticket::TItemKind::Text ? tr("Text") : ticket::SymbologyTitle(item.Symbology);
    return tr("%1. %2: %3").arg(index + 3).arg(what, item.Text);
}

void TTicketItemsDialog::ShowItems(int selected)
{
    showing_ = true;
    list_->clear();
    for (int index = 0; index < items_.size(); ++index)
        list_->addItem(Line(index));
    showing_ = false;
    list_->setCurrentRow(selected);
    Select(selected);
}

void TTicketItemsDialog::ShowKind(ticket::TItemKind kind)
{
    for (const int row : textRows_)
        form_->setRowVisible(row, kind == ticket::TItemKind::Text);
    for (const int row : codeRows_)
        form_->setRowVisible(row, kind == ticket::TItemKind::Barcode);
}

void TTicketItemsDialog::Select(int row)
{
    if (showing_)
        return;
    const bool any = row >= 0 && row < items_.size();
    fields_->setEnabled(any);
    remove_->setEnabled(any);
    up_->setEnabled(any && row > 0);
    down_->setEnabled(any && row + 1 < items_.size());
    const ticket::TTicketItem item = any ? items_[row] : ticket::TTicketItem();
    showing_ = true;
    kind_->setCurrentIndex(kind_->findData(int(item.Kind)));
    left_->setValue(item.Left);
    top_->setValue(item.Top);
    text_->setText(item.Text);
    rotation_->setCurrentIndex(rotation_->findData(item.Rotation));
    align_->setCurrentIndex(align_->findData(int(item.Align)));
    font_->setText(item.Font.value_or(QString()));
    size_->setValue(item.Size.value_or(size_->minimum()));
    bold_->setCheckState(item.Bold ? (*item.Bold ? Qt::Checked : Qt::Unchecked) : Qt::PartiallyChecked);
    italic_->setCheckState(item.Italic ? (*item.Italic ? Qt::Checked : Qt::Unchecked) : Qt::PartiallyChecked);
    ownColor_->setChecked(item.Color.has_value());
    colorValue_ = item.Color.value_or(0);
    symbology_->setCurrentIndex(symbology_->findData(int(item.Symbology)));
    width_->setValue(item.Width);
    height_->setValue(item.Height);
    humanReadable_->setChecked(item.HumanReadable);
    ShowKind(item.Kind);
    showing_ = false;
}

void TTicketItemsDialog::FieldsChanged()
{
    const int row = list_->currentRow();
    if (showing_ || row < 0 || row >= items_.size())
        return;
    ticket::TTicketItem& item = items_[row];
    const ticket::TItemKind kind = ticket::TItemKind(kind_->currentData().toInt());
    if (kind != item.Kind && kind == ticket::TItemKind::Barcode && item.Text.isEmpty())
        text_->setText(QStringLiteral("{serial}"));
    item.Kind = kind;
    item.Left = left_->value();
    item.Top = top_->value();
    item.Text = text_->text();
    item.Rotation = rotation_->currentData().toInt();
    item.Align = ticket::TAlign(align_->currentData().toInt());
    item.Font = font_->text().trimmed().isEmpty() ? std::nullopt : std::optional<QString>(font_->text().trimmed());
    item.Size = size_->value() < settingslimits::kMinFontSize ? std::nullopt : std::optional<int>(size_->value());
    const auto tristate = [](QCheckBox* box) -> std::optional<bool> {
        if (box->checkState() == Qt::PartiallyChecked)
            return std::nullopt;
        return box->checkState() == Qt::Checked;
    };
    item.Bold = tristate(bold_);
    item.Italic = tristate(italic_);
    item.Color = ownColor_->isChecked() ? std::optional<int>(colorValue_) : std::nullopt;
    item.Symbology = ticket::TSymbology(symbology_->currentData().toInt());
    item.Width = width_->value();
    item.Height = height_->value();
    item.HumanReadable = humanReadable_->isChecked();
    ShowKind(item.Kind);
    if (QListWidgetItem* line = list_->item(row))
        line->setText(Line(row));
    Changed();
}

void TTicketItemsDialog::Add()
{
    ticket::TTicketItem item;
    // A new item starts where the last one is, a little lower, so it is seen.
    if (!items_.isEmpty()) {
        item = items_.last();
        item.Top = std::min(item.Top + 0.5, double(settingslimits::kMaxIndent));
    } else {
        item.Left = 1.0;
        item.Top = 2.0;
    }
    items_ << item;
    ShowItems(int(items_.size()) - 1);
    Changed();
}

void TTicketItemsDialog::Remove()
{
    const int row = list_->currentRow();
    if (row < 0 || row >= items_.size())
        return;
    items_.removeAt(row);
    ShowItems(std::min(row, int(items_.size()) - 1));
    Changed();
}

void TTicketItemsDialog::Move(int by)
{
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || row >= items_.size() || to < 0 || to >= items_.size())
        return;
    items_.swapItemsAt(row, to);
    ShowItems(to);
    Changed();
}

void TTicketItemsDialog::Changed()
{
    if (OnChange)
        OnChange(items_);
}
