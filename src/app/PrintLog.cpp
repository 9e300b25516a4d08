#include "app/PrintLog.h"

#include "run/PrintRoom.h"
#include "run/PrintedSerial.h"
#include "run/SeriesSummary.h"
#include "app/VoidDialog.h"

#include "platform/Application.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr QSize kLogSize { 760, 360 };

QString kindText(TRunKind kind)
{
    switch (kind) {
    case TRunKind::Print:
        return TPrintLog::tr("Print");
    case TRunKind::PrintNoAdvance:
        return TPrintLog::tr("Print (counter kept)");
    case TRunKind::Reprint:
        return TPrintLog::tr("Reprint");
    case TRunKind::Calibration:
        return TPrintLog::tr("Calibration sheet");
    case TRunKind::Resume:
        return TPrintLog::tr("Rest of a run");
    case TRunKind::Void:
        return TPrintLog::tr("Void");
    case TRunKind::SetNext:
        break;
    }
    return {};
}

QString statusText(const TJournalRecord& run)
{
    // A job cancelled at the print server or the printer is not a run stopped here.
    if (run.status == TRunStatus::Cancelled
        && std::any_of(run.jobs.begin(), run.jobs.end(), [](const TSpoolJob& job) { return job.state == TRunStatus::Cancelled; }))
        return TPrintLog::tr("Cancelled at the printer");
    switch (run.status) {
    case TRunStatus::Completed:
        return TPrintLog::tr("Completed");
    case TRunStatus::Cancelled:
        return TPrintLog::tr("Stopped");
    case TRunStatus::Failed:
        return TPrintLog::tr("Failed");
    case TRunStatus::Interrupted:
        return TPrintLog::tr("Interrupted");
    case TRunStatus::Unknown:
        return TPrintLog::tr("Not known");
    case TRunStatus::Aborted:
        return TPrintLog::tr("Aborted by the printer");
    case TRunStatus::Sent:
        return TPrintLog::tr("Sent, not yet printed");
    }
    return {};
}

QStandardItem* textItem(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setData(text, TPrintLog::SortRole);
    item->setEditable(false);
    return item;
}

// A number shown as the locale writes it; an empty cell sorts below every number.
QStandardItem* numberItem(std::optional<qint64> value)
{
    auto* item = new QStandardItem(value ? QString::number(*value) : QString());
    item->setData(value ? QVariant(*value) : QVariant(std::numeric_limits<qint64>::min()), TPrintLog::SortRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setEditable(false);
    return item;
}

// When a run started, as the locale writes a date and a time, with the year in full and
// the seconds: two runs within a minute, or a century apart, are told apart.
QString StartedFormat(const QLocale& locale)
{
    QString date = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression years(QStringLiteral("y+"));
    date.replace(years, QStringLiteral("yyyy"));
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QLatin1Char('s'))) {
        static const QRegularExpression minutes(QStringLiteral("m+"));
        const QRegularExpressionMatch match = minutes.match(time);
        if (match.hasMatch())
            time.insert(match.capturedEnd(), QStringLiteral(":ss"));
    }
    return date + QLatin1Char(' ') + time;
}

} // namespace

void TSerialFilterModel::SetSerialFilter(const QString& text, const QList<TJournalRecord>& runs)
{
    runs_.reset();
    if (!text.trimmed().isEmpty()) {
        // Which runs printed it is read once per text, not once per row.
        QSet<qsizetype> found;
        for (const printedserial::TNamed& reading : printedserial::Named(text, runs))
            found.insert(reading.run - runs.constData());
        if (found.isEmpty() && text.trimmed() != text)
            for (const printedserial::TNamed& reading : printedserial::Named(text.trimmed(), runs))
                found.insert(reading.run - runs.constData());
        runs_ = found;
    }
    invalidateFilter();
}

bool TSerialFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    return !runs_ || runs_->contains(sourceModel()->index(sourceRow, 0, sourceParent).data(TPrintLog::RunRole).toLongLong());
}

TPrintLog::TPrintLog(std::function<QList<TJournalRecord>()> readRuns, QWidget* parent)
    : TPrintLog(std::move(readRuns), {}, parent)
{
}

TPrintLog::TPrintLog(std::function<QList<TJournalRecord>()> readRuns, std::function<std::optional<int>()> readCounter,
                     QWidget* parent)
    : QDialog(parent)
    , readRuns_(std::move(readRuns))
    , readCounter_(std::move(readCounter))
{
    setObjectName(QStringLiteral("PrintLog"));
    setWindowTitle(tr("Print Log"));
    resize(kLogSize);

    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(tr("Which run printed serial:"), this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("SerialFilter"));
    filter_->setPlaceholderText(tr("a serial as printed, or its number"));
    filter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    layout->addLayout(filterRow);

    model_ = new QStandardItemModel(0, colCount, this);
    model_->setHorizontalHeaderLabels({ tr("Started"), tr("Kind"), tr("Status"), tr("First"), tr("Last"), tr("Tickets"), tr("Sheets"),
                                        tr("Prefix"), tr("Suffix"), tr("Printer"), tr("Output"), tr("User"),
                                        tr("Host") });
    proxy_ = new TSerialFilterModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(SortRole);

    pages_ = new QStackedWidget(this);
    table_ = new QTableView(pages_);
    table_->setObjectName(QStringLiteral("PrintLogTable"));
    table_->setModel(proxy_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the buttons; the arrow keys move within it.
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSortingEnabled(true);
    table_->sortByColumn(colStarted, Qt::DescendingOrder);
    error_ = new QLabel(pages_);
    error_->setObjectName(QStringLiteral("PrintLogError"));
    error_->setWordWrap(true);
    error_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    error_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pages_->addWidget(table_);
    pages_->addWidget(error_);
    layout->addWidget(pages_, 1);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("PrintLogSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setVisible(bool(readCounter_));
    layout->addWidget(summary_);

    // The two actions stand beside the button box rather than in it: the box orders Tab
    // among its own buttons when it is shown, and with these two in it Tab went round
    // them and never reached Close.
    auto* buttonRow = new QHBoxLayout;
    reprint_ = new QPushButton(tr("&Reprint..."), this);
    reprint_->setObjectName(QStringLiteral("ReprintButton"));
    // Enter reprints the chosen run, from the filter or the list; Escape closes.
    reprint_->setDefault(true);
    rest_ = new QPushButton(tr("Print the Re&st"), this);
    rest_->setObjectName(QStringLiteral("PrintRestButton"));
    rest_->setToolTip(tr("Prints the sheets a stopped run did not, as they would have come out"));
    void_ = new QPushButton(tr("&Void..."), this);
    void_->setObjectName(QStringLiteral("VoidButton"));
    void_->setToolTip(tr("Records spoiled serials as void, with the reason"));
    auto* refresh = new QPushButton(tr("Re&fresh"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttonRow->addStretch(1);
    buttonRow->addWidget(reprint_);
    buttonRow->addWidget(rest_);
    buttonRow->addWidget(void_);
    buttonRow->addWidget(refresh);
    buttonRow->addWidget(buttons);
    layout->addLayout(buttonRow);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(refresh, &QPushButton::clicked, this, [this] { app::Guard([this] { Reload(); }); });
    connect(reprint_, &QPushButton::clicked, this, [this] { app::Guard([this] { ReprintSelected(); }); });
    connect(rest_, &QPushButton::clicked, this, [this] { app::Guard([this] { PrintRestOfSelected(); }); });
    connect(void_, &QPushButton::clicked, this, [this] { app::Guard([this] { VoidSerials(); }); });
    connect(table_, &QTableView::doubleClicked, this, [this] { app::Guard([this] { ReprintSelected(); }); });
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        proxy_->SetSerialFilter(text, runs_);
        SelectFirstRun();
        UpdateButtons();
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateButtons(); });

    Reload();
}

void TPrintLog::Reload()
{
    QList<TJournalRecord> runs;
    try {
        runs = readRuns_();
    } catch (...) {
        runs_.clear();
        model_->removeRows(0, model_->rowCount());
        error_->setText(app::ExceptionText(std::current_exception()));
        summary_->clear();
        pages_->setCurrentWidget(error_);
        UpdateButtons();
        return;
    }
    model_->removeRows(0, model_->rowCount());
    const QLocale locale;
    const QString format = StartedFormat(locale);
    runs_ = runs;
    proxy_->SetSerialFilter(filter_->text(), runs_); // the typed serial among the runs read now
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const TJournalRecord& run = runs[i];
        auto* started = textItem(locale.toString(run.started.toLocalTime(), format));
        started->setData(run.started, SortRole);
        started->setData(qlonglong(i), RunRole);
        if (run.first && run.last) {
            started->setData(*run.first, FirstRole);
            started->setData(*run.last, LastRole);
            started->setData(run.step, StepRole);
        }
        QString output = QDir::toNativeSeparators(run.output);
        if (run.job > 0)
            output = tr("job %1").arg(run.job);
        model_->appendRow({ started, textItem(kindText(run.kind)), textItem(statusText(run)),
                            numberItem(run.first ? std::optional<qint64>(*run.first) : std::nullopt),
                            numberItem(run.last ? std::optional<qint64>(*run.last) : std::nullopt), numberItem(run.pages),
                            numberItem(run.SheetsOut()),
                            textItem(run.prefix), textItem(run.suffix), textItem(run.printer), textItem(output),
                            textItem(run.user), textItem(run.host) });
    }
    pages_->setCurrentWidget(table_);
    table_->resizeColumnsToContents();
    if (readCounter_) {
        try {
            summary_->setText(SummaryLine(SummarizeSeries(runs_, readCounter_())));
        } catch (...) {
            summary_->setText(app::ExceptionText(std::current_exception()));
        }
    }
    SelectFirstRun();
    UpdateButtons();
}

void TPrintLog::SelectFirstRun()
{
    // A run is always chosen while there is one, so that Enter (from the filter as well)
    // reprints it: a current row without a selection looked chosen and reprinted nothing.
    if (table_->selectionModel()->hasSelection() || proxy_->rowCount() == 0)
        return;
    table_->selectionModel()->setCurrentIndex(proxy_->index(0, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TPrintLog::UpdateButtons()
{
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    reprint_->setEnabled(pages_->currentWidget() == table_ && rows.size() == 1
                         && rows.front().data(FirstRole).isValid());
    const TJournalRecord* run = SelectedRun();
    rest_->setEnabled(run && RestOf(runs_, *run).has_value());
}

const TJournalRecord* TPrintLog::SelectedRun() const
{
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (pages_->currentWidget() != table_ || rows.size() != 1)
        return nullptr;
    const qsizetype i = rows.front().data(RunRole).toLongLong();
    return i >= 0 && i < runs_.size() ? &runs_[i] : nullptr;
}

void TPrintLog::PrintRestOfSelected()
{
    if (const TJournalRecord* run = SelectedRun(); run && OnPrintRest) {
        const TJournalRecord chosen = *run; // the log reloads while it prints
        OnPrintRest(chosen);
    }
}

void TPrintLog::VoidSerials()
{
    // The selected run's serials to begin with; any others may be typed.
    const TJournalRecord* run = SelectedRun();
    const bool range = run && run->first && run->last;
    TVoidDialog dialog(range ? printedserial::Text(*run, *run->first) : QString(), range ? printedserial::Text(*run, *run->last) : QString(), this);
    if (dialog.exec() != QDialog::Accepted || !OnVoid)
        return;
    OnVoid(dialog.First(), dialog.Last(), dialog.Reason());
    Reload();
}

void TPrintLog::ReprintSelected()
{
    const TJournalRecord* run = SelectedRun();
    if (!run || !run->first || !run->last)
        return;
    if (OnReprint)
        OnReprint(printedserial::Text(*run, *run->first), printedserial::Text(*run, *run->last));
}
