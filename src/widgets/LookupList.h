#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QRect>
#include <QStringList>

#include <functional>

class QListWidget;

// Settings of an input field's lookup pop-up: the entries offered while typing and,
// optionally, the value each entry puts into the field.
class TLookupSettings {
public:
    TLookupSettings();

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    const QStringList& DisplayList() const { return displayList_; }
    void SetDisplayList(const QStringList& v) { displayList_ = v; }
    const QStringList& ValueList() const { return valueList_; }
    void SetValueList(const QStringList& v) { valueList_ = v; }
    int NumChars() const { return numChars_; }
    // Zero or less is ignored: the pop-up needs at least one typed character.
    void SetNumChars(int v);
    int DisplayCount() const { return displayCount_; }
    void SetDisplayCount(int v);
    QColor Color() const { return color_; }
    void SetColor(const QColor& v) { color_ = v; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool v) { caseSensitive_ = v; }

private:
    bool enabled_ = false;
    QStringList displayList_;
    QStringList valueList_;
    int numChars_ = 2;
    int displayCount_ = 4;
    QColor color_;
    bool caseSensitive_ = false;
};

namespace lookup {

// One entry shown in the pop-up and where it came from in the display list.
struct Match {
    QString text;
    int index = -1;
    bool operator==(const Match&) const = default;
};

// The display entries that begin with the typed value, in the pop-up's sorted order.
QList<Match> FindMatches(const QStringList& displayList, const QString& value, bool caseSensitive);

// The value an accepted entry puts into the field: its value-list entry when there is
// one for its index, else its own text.
QString AcceptedValue(const Match& match, const QStringList& valueList);

// Height of the pop-up: displayCount rows, fewer when fewer entries match.
int PopupHeight(int matches, int displayCount);
// Width: 10 more than the widest matching entry (measured from at least 50), or the
// default width when nothing matches.
int PopupWidth(int matches, int widestText);
// Where the pop-up stands, in screen coordinates, under a field at fieldOnScreen.
QRect PopupGeometry(const QRect& fieldOnScreen, int width, int height);

// Highlight movements inside a list of count entries; -1 when the list is empty.
int RowAfterPageDown(int current, int count, int step);
int RowAfterPageUp(int current, int count, int step);
int RowAfterStep(int current, int count, int delta);

} // namespace lookup

// The lookup pop-up: a frameless window under its field holding one list with fixed
// 12-pixel rows. The field owns it; it never takes the focus away while the user types.
class TListHintWindow : public QFrame {
    Q_OBJECT
public:
    explicit TListHintWindow(QWidget* field);

    QListWidget* ListControl() const { return list_; }

    // Fills the list with the matches, highlights the first and sizes and places the
    // window under the field; shows it exactly when something matches.
    void ShowMatches(const QList<lookup::Match>& matches, const TLookupSettings& settings,
                     const QRect& fieldOnScreen);

    int Count() const;
    int CurrentRow() const;
    void SetCurrentRow(int row);
    // The highlighted entry, or an empty match (index -1) when there is none.
    lookup::Match Current() const;

    // Fired when the mouse button is released over an entry.
    std::function<void()> OnItemChosen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QListWidget* list_;
};
