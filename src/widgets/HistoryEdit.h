#pragma once

#include "widgets/Persistence.h"
#include "widgets/ValueEdit.h"

#include <QStringList>

class THistoryEdit;

// (Sender, the typed part, the completed tail it may change, the entry's index)
using TAutoCompleteEvent =
    std::function<void(THistoryEdit* sender, const QString& usrStr, QString& autoAdd, int idx)>;
// (Sender, the value, its index in the history or -1, accept starting true)
using TEnterAcceptEvent =
    std::function<void(THistoryEdit* sender, const QString& str, int idx, bool& accept)>;
using TAddToHistoryEvent = std::function<void(THistoryEdit* sender, const QString& str)>;

// An input field that remembers the values it was left with and completes typing from
// them in place, the completed part selected so that typing on replaces it.
class THistoryEdit : public TValueEdit {
    Q_OBJECT

public:
    explicit THistoryEdit(QWidget* parent = nullptr);
    ~THistoryEdit() override;

    const QStringList& LookupItems() const { return lookupItems_; }
    void SetLookupItems(const QStringList& items) { lookupItems_ = items; }
    bool AutoHistory() const { return autoHistory_; }
    void SetAutoHistory(bool v) { autoHistory_ = v; }
    bool AutoSynchronize() const { return autoSynchronize_; }
    void SetAutoSynchronize(bool v) { autoSynchronize_ = v; }
    bool MatchCase() const { return matchCase_; }
    void SetMatchCase(bool v) { matchCase_ = v; }
    bool FileLookup() const { return fileLookup_; }
    void SetFileLookup(bool v) { fileLookup_ = v; }
    THistoryPersist& LookupPersist() { return lookupPersist_; }
    const THistoryPersist& LookupPersist() const { return lookupPersist_; }
    void SetLookupPersist(const THistoryPersist& v) { lookupPersist_ = v; }

    // Completes the typed part (the value up to the caret) from the history, or from
    // the file system when the history is empty and FileLookup is on.
    void CompleteFromHistory();

    void LoadPersistence() override;
    void SavePersistence() override;

    TAutoCompleteEvent AutoComplete;
    TEnterAcceptEvent Accept;
    TAddToHistoryEvent OnAddToHistory;

protected:
    void DoKeyDown(int& key, Qt::KeyboardModifiers modifiers) override;
    void DoKeyUp(int& key, Qt::KeyboardModifiers modifiers) override;
    void Change() override;
    void DoExit() override;

private:
    void AddToHistory(const QString& value);
    void SynchronizeOthers();
    void SelectFrom(int valuePos);

    QStringList lookupItems_;
    bool autoHistory_ = false;
    bool autoSynchronize_ = false;
    bool matchCase_ = false;
    bool fileLookup_ = false;
    THistoryPersist lookupPersist_;
    bool completionAllowed_ = true;
    bool changed_ = false;
};
