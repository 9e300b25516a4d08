#include "app/DataDialog.h"

#include "app/FileRow.h"

#include "platform/Application.h"
#include "ticket/DataRows.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <limits>

namespace {

// The rows the table shows of the file.
constexpr int kShownRows = 5;

} // namespace

TDataDialog::TDataDialog(const QString& file, int firstNumber, std::function<QString(const QString&)> resolve, QWidget* parent)
    : QDialog(parent), resolve_(std::move(resolve))
{
    setObjectName(QStringLiteral("DataDialog"));
    setWindowTitle(tr("Data"));
    file_ = new QLineEdit(file, this);
    file_->setObjectName(QStringLiteral("txtDataFile"));
    file_->setPlaceholderText(tr("No data file"));
    first_ = new QSpinBox(this);
    first_->setObjectName(QStringLiteral("txtDataFirst"));
    first_->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    first_->setValue(firstNumber);
    check_ = new QLabel(this);
    check_->setObjectName(QStringLiteral("lblDataCheck"));
    check_->setWordWrap(true);
    check_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rows_ = new QTableWidget(this);
    rows_->setObjectName(QStringLiteral("tblDataRows"));
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->horizontalHeader()->setStretchLastSection(true);
    rows_->setMinimumHeight(rows_->verticalHeader()->defaultSectionSize() * (kShownRows + 2));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    AddFileRow(form, this, tr("&File:"), file_, tr("&Browse..."), [this] { Browse(); });
    form->addRow(tr("First row's &number:"), first_);
    form->addRow(check_);
    form->addRow(rows_);
    form->addRow(buttons);
    connect(file_, &QLineEdit::editingFinished, this, &TDataDialog::Check);
    // The rows' numbers follow the first one.
    connect(first_, &QSpinBox::valueChanged, this, [this] {
        checked_.clear();
        Check();
    });
    Check();
}

QString TDataDialog::File() const { return file_->text().trimmed(); }

int TDataDialog::FirstNumber() const { return first_->value(); }

QString TDataDialog::CheckText() const { return check_->text(); }

void TDataDialog::Check()
{
    const QString path = File().isEmpty() ? QString() : resolve_(File());
    if (path == checked_ && !checked_.isEmpty())
        return;
    checked_ = path;
    rows_->clear();
    rows_->setRowCount(0);
    rows_->setColumnCount(0);
    if (path.isEmpty()) {
        check_->setText(tr("No data file: {data:Column} in items stays as typed."));
        return;
    }
    // The same reading a run does before it takes a serial.
    std::shared_ptr<const ticket::TDataTable> table;
    try {
        table = ticket::TDataTable::Load(path);
    } catch (...) {
        check_->setText(tr("Cannot be used: %1").arg(app::ErrorBoxText(app::ExceptionText(std::current_exception()))));
        return;
    }
    const qint64 first = first_->value();
    check_->setText(table->Rows() == 0
                        ? tr("Columns %1; no rows.").arg(table->Columns().join(QStringLiteral(", ")))
                        : tr("Columns %1; %2 rows, for numbers %3 to %4.")
                              .arg(table->Columns().join(QStringLiteral(", ")))
                              .arg(table->Rows())
                              .arg(first)
                              .arg(first + table->Rows() - 1));
    const int shown = int(qMin<qsizetype>(kShownRows, table->Rows()));
    rows_->setColumnCount(int(table->Columns().size()));
    rows_->setHorizontalHeaderLabels(table->Columns());
    rows_->setRowCount(shown);
    QStringList numbers;
    for (int row = 0; row < shown; ++row) {
        numbers << QString::number(first + row);
        for (int column = 0; column < table->Columns().size(); ++column)
            rows_->setItem(row, column, new QTableWidgetItem(table->Value(row, column)));
    }
    rows_->setVerticalHeaderLabels(numbers);
}

void TDataDialog::Browse()
{
    const QString start = File().isEmpty() ? QString() : QFileInfo(resolve_(File())).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Data"), start, tr("CSV files (*.csv);;All files (*)"));
    if (!chosen.isEmpty()) {
        file_->setText(chosen);
        Check();
    }
}
