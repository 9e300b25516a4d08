#pragma once

#include "run/Journal.h"

#include <QDialog>
#include <QSet>
#include <QSortFilterProxyModel>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QStandardItemModel;
class QTableView;

// Keeps the runs that printed the serial typed into the filter (as printed, "SC-000017",
// or a bare number), found among `runs` (the rows' RunRole indexes into it); every run
// while the filter is empty.
class TSerialFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetSerialFilter(const QString& text, const QList<TJournalRecord>& runs);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    std::optional<QSet<qsizetype>> runs_; // none: no filter
};

// The journal's runs as a table, newest first, sortable by any column, with a filter by
// serial number and a way to reprint the selected run's range.
class TPrintLog : public QDialog {
    Q_OBJECT
public:
    // Tickets: those that came out; Sheets: the paper they took.
    enum Column { colStarted, colKind, colStatus, colFirst, colLast, colTickets, colSheets, colPrefix, colSuffix,
                  colPrinter, colOutput, colUser, colHost, colCount };
    // Roles of the first column's item: the run's printed range, when it has one.
    static constexpr int FirstRole = Qt::UserRole + 1;
    static constexpr int LastRole = Qt::UserRole + 2;
    // What columns sort by: numbers as numbers, times as times.
    static constexpr int SortRole = Qt::UserRole + 3;
    // The run's place in the list the log read, and its step between serials.
    static constexpr int RunRole = Qt::UserRole + 4;
    static constexpr int StepRole = Qt::UserRole + 5;

    // readRuns: the runs of the series the window prints from (the local journal, or the
    // shared series' server), newest first; raises when they cannot be read.
    TPrintLog(std::function<QList<TJournalRecord>()> readRuns, QWidget* parent = nullptr);
    // readCounter: the series' last number, for the account of its numbers under the
    // table (none: not known).
    TPrintLog(std::function<QList<TJournalRecord>()> readRuns, std::function<std::optional<int>()> readCounter,
              QWidget* parent = nullptr);

    // Reads the journal again; a journal that cannot be read shows why instead of rows.
    void Reload();

    // Asked for by "Reprint...": the selected run's range, as it was printed.
    std::function<void(const QString& first, const QString& last)> OnReprint;
    // Asked for by "Print the Rest": the selected run, which stopped with sheets left.
    std::function<void(const TJournalRecord& run)> OnPrintRest;
    // Asked for by "Void...": the serials typed in its dialog (the selected run's range
    // to begin with) and the reason given.
    std::function<void(const QString& first, const QString& last, const QString& reason)> OnVoid;

    QTableView* Table() const { return table_; }
    QLineEdit* SerialFilter() const { return filter_; }
    QPushButton* ReprintButton() const { return reprint_; }
    QPushButton* PrintRestButton() const { return rest_; }
    QLabel* ErrorLabel() const { return error_; }
    QPushButton* VoidButton() const { return void_; }
    QLabel* SummaryLabel() const { return summary_; }
    TSerialFilterModel* Proxy() const { return proxy_; }

private:
    void UpdateButtons();
    void SelectFirstRun();
    void ReprintSelected();
    void PrintRestOfSelected();
    void VoidSerials();
    // The selected run, when one is.
    const TJournalRecord* SelectedRun() const;

    std::function<QList<TJournalRecord>()> readRuns_;
    std::function<std::optional<int>()> readCounter_;
    QStandardItemModel* model_ = nullptr;
    TSerialFilterModel* proxy_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* error_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QPushButton* reprint_ = nullptr;
    QPushButton* rest_ = nullptr;
    QPushButton* void_ = nullptr;
    QLabel* summary_ = nullptr;
    QList<TJournalRecord> runs_;
};
