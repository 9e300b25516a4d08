#include "app/TemplateDialog.h"

#include "app/FileRow.h"

#include "platform/Application.h"
#include "platform/PdfTemplate.h"
#include "preview/ArtworkView.h"

#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>

namespace {

// The picture's longer side, in pixels.
constexpr int kPictureSize = 160;

} // namespace

TTemplateDialog::TTemplateDialog(const ticket::TTemplate& artwork, std::function<QString(const QString&)> resolve,
                                 QWidget* parent)
    : QDialog(parent), resolve_(std::move(resolve))
{
    setObjectName(QStringLiteral("TemplateDialog"));
    setWindowTitle(tr("Template"));
    file_ = new QLineEdit(artwork.File, this);
    file_->setObjectName(QStringLiteral("txtTemplateFile"));
    file_->setPlaceholderText(tr("No template"));
    page_ = new QSpinBox(this);
    page_->setObjectName(QStringLiteral("txtTemplatePage"));
    page_->setRange(1, 99999);
    page_->setValue(artwork.Page);
    scope_ = new QComboBox(this);
    scope_->setObjectName(QStringLiteral("cbTemplateScope"));
    scope_->addItem(tr("Each sheet, at the paper's corner"), int(ticket::TTemplateScope::Sheet));
    scope_->addItem(tr("Each ticket, at the ticket's corner"), int(ticket::TTemplateScope::Ticket));
    scope_->setCurrentIndex(artwork.Scope == ticket::TTemplateScope::Ticket ? 1 : 0);
    print_ = new QCheckBox(tr("&Print it under the numbers (off: pre-printed stock, shown in the preview only)"), this);
    print_->setObjectName(QStringLiteral("chkTemplatePrint"));
    print_->setChecked(artwork.Print);
    check_ = new QLabel(this);
    check_->setObjectName(QStringLiteral("lblTemplateCheck"));
    check_->setWordWrap(true);
    check_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("imgTemplatePage"));
    picture_->setFixedSize(kPictureSize, kPictureSize);
    picture_->setAlignment(Qt::AlignCenter);
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(picture_);
    checkRow->addWidget(check_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    AddFileRow(form, this, tr("&File:"), file_, tr("&Browse..."), [this] { Browse(); });
    form->addRow(tr("P&age:"), page_);
    form->addRow(tr("&Under:"), scope_);
    form->addRow(print_);
    form->addRow(checkRow);
    form->addRow(buttons);

    // A typed name is checked when the typing ends, not at every key.
    connect(file_, &QLineEdit::editingFinished, this, &TTemplateDialog::Changed);
    connect(page_, &QSpinBox::valueChanged, this, &TTemplateDialog::Changed);
    connect(scope_, &QComboBox::currentIndexChanged, this, &TTemplateDialog::Changed);
    connect(print_, &QCheckBox::toggled, this, &TTemplateDialog::Changed);
    Check();
}

QString TTemplateDialog::CheckText() const
{
    return check_->text();
}

void TTemplateDialog::Changed()
{
    Check();
    if (OnChange)
        OnChange(Template());
}

void TTemplateDialog::Check()
{
    const ticket::TTemplate chosen = Template();
    const QString path = chosen.File.isEmpty() ? QString() : resolve_(chosen.File);
    const QString key = QStringLiteral("%1\n%2").arg(path).arg(chosen.Page);
    if (key == checked_)
        return;
    checked_ = key;
    picture_->clear();
    if (path.isEmpty()) {
        check_->setText(tr("No template: the numbers print on plain paper or pre-printed stock."));
        return;
    }
    // The same reading a run does before it takes a serial.
    pdftemplate::TArtwork artwork;
    try {
        artwork = pdftemplate::Load(path, chosen.Page);
    } catch (...) {
        check_->setText(tr("Cannot be used: %1").arg(app::ErrorBoxText(app::ExceptionText(std::current_exception()))));
        return;
    }
    const QLocale locale;
    const QString pages = artwork.pageCount == 1 ? tr("1 page") : tr("%1 pages").arg(artwork.pageCount);
    check_->setText(tr("%1; page %2 is %3 x %4 in.")
                        .arg(pages)
                        .arg(chosen.Page)
                        .arg(locale.toString(artwork.sizeInches.width(), 'f', 2), locale.toString(artwork.sizeInches.height(), 'f', 2)));
    TArtworkView view;
    if (!view.Open(path, chosen.Page))
        return;
    const QSizeF inches = view.SizeInches();
    const double scale = kPictureSize / qMax(inches.width(), inches.height());
    const QSize pixels(qMax(1, qRound(inches.width() * scale)), qMax(1, qRound(inches.height() * scale)));
    QImage image = view.Image(pixels);
    if (!image.isNull()) {
        // The page on white, with an edge, as paper shows.
        QImage paper(pixels, QImage::Format_ARGB32_Premultiplied);
        paper.fill(Qt::white);
        QPainter painter(&paper);
        painter.drawImage(0, 0, image);
        painter.setPen(Qt::gray);
        painter.drawRect(paper.rect().adjusted(0, 0, -1, -1));
        painter.end();
        picture_->setPixmap(QPixmap::fromImage(paper));
    }
}

ticket::TTemplate TTemplateDialog::Template() const
{
    ticket::TTemplate artwork;
    artwork.File = file_->text().trimmed();
    artwork.Page = page_->value();
    artwork.Scope = ticket::TTemplateScope(scope_->currentData().toInt());
    artwork.Print = print_->isChecked();
    return artwork;
}

void TTemplateDialog::Browse()
{
    const QString start = file_->text().isEmpty() ? QString() : QFileInfo(file_->text()).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Template"), start, tr("PDF files (*.pdf);;All files (*)"));
    if (!chosen.isEmpty()) {
        file_->setText(chosen);
        Changed();
    }
}
