#include "widgets/LookupList.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kRowHeight = 12;
constexpr int kDefaultWidth = 200;
const char* const kListFontFamily = "Arial";
constexpr int kListFontPoints = 8;
constexpr int kFrameExtra = 4;      // border of the pop-up around its rows
constexpr int kMinMeasure = 50;     // the widest measure starts here ...
constexpr int kWidthPad = 10;       // ... and the width adds this
constexpr int kBelowFieldOverlap = 6;
constexpr int kRightOfField = 16;

// Every row exactly 12 pixels high, whatever the font would ask for.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kRowHeight);
        return size;
    }
};

QColor DefaultWindowColor()
{
    if (qApp)
        return QApplication::palette().color(QPalette::Base);
    return QColor(Qt::white);
}

} // namespace

TLookupSettings::TLookupSettings()
    : color_(DefaultWindowColor())
{
}

void TLookupSettings::SetNumChars(int v)
{
    if (v > 0)
        numChars_ = v;
}

void TLookupSettings::SetDisplayCount(int v)
{
    // A pop-up of no rows could never show anything; keep at least one.
    displayCount_ = std::max(1, v);
}

namespace lookup {

QList<Match> FindMatches(const QStringList& displayList, const QString& value, bool caseSensitive)
{
    QList<Match> matches;
    const QString typed = caseSensitive ? value : value.toUpper();
    for (int i = 0; i < displayList.size(); ++i) {
        const QString entry = caseSensitive ? displayList[i] : displayList[i].toUpper();
        if (entry.startsWith(typed))
            matches.append({displayList[i], i});
    }
    // The list shows its entries sorted the way a sorted list box sorts: ignoring case.
    std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
        return QString::localeAwareCompare(a.text.toUpper(), b.text.toUpper()) < 0;
    });
    return matches;
}

QString AcceptedValue(const Match& match, const QStringList& valueList)
{
    if (match.index >= 0 && match.index < valueList.size())
        return valueList[match.index];
    return match.text;
}

int PopupHeight(int matches, int displayCount)
{
    return std::min(matches, displayCount) * kRowHeight + kFrameExtra;
}

int PopupWidth(int matches, int widestText)
{
    if (matches <= 0)
        return kDefaultWidth;
    return std::max(kMinMeasure, widestText) + kWidthPad;
}

QRect PopupGeometry(const QRect& fieldOnScreen, int width, int height)
{
    return QRect(fieldOnScreen.left() + kRightOfField,
                 fieldOnScreen.top() + fieldOnScreen.height() - kBelowFieldOverlap, width, height);
}

int RowAfterPageDown(int current, int count, int step)
{
    if (count <= 0)
        return -1;
    return std::min(std::max(current, 0) + step, count - 1);
}

int RowAfterPageUp(int current, int count, int step)
{
    if (count <= 0)
        return -1;
    return current > step ? current - step : 0;
}

int RowAfterStep(int current, int count, int delta)
{
    if (count <= 0)
        return -1;
    return std::clamp(current + delta, 0, count - 1);
}

} // namespace lookup

TListHintWindow::TListHintWindow(QWidget* field)
    : QFrame(field, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , list_(new QListWidget(this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("  "));

    list_->setFrameShape(QFrame::NoFrame);
    list_->setItemDelegate(new FixedRowDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->setFont(QFont(kListFontFamily, kListFontPoints));
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The field keeps the keyboard: it drives the highlight with its own keys.
    list_->setFocusPolicy(Qt::NoFocus);
    list_->viewport()->installEventFilter(this);
    resize(0, 0);
}

void TListHintWindow::ShowMatches(const QList<lookup::Match>& matches, const TLookupSettings& settings,
                                  const QRect& fieldOnScreen)
{
    QPalette pal = list_->palette();
    pal.setColor(QPalette::Base, settings.Color());
    list_->setPalette(pal);

    list_->clear();
    const QFontMetrics metrics(list_->font());
    int widest = 0;
    for (const lookup::Match& match : matches) {
        auto* item = new QListWidgetItem(match.text, list_);
        item->setData(Qt::UserRole, match.index);
        widest = std::max(widest, metrics.horizontalAdvance(match.text));
    }
    if (!matches.isEmpty())
        list_->setCurrentRow(0);

    const int height = lookup::PopupHeight(int(matches.size()), settings.DisplayCount());
    const int width = lookup::PopupWidth(int(matches.size()), widest);
    setGeometry(lookup::PopupGeometry(fieldOnScreen, width, height));
    setVisible(!matches.isEmpty());
}

int TListHintWindow::Count() const
{
    return list_->count();
}

int TListHintWindow::CurrentRow() const
{
    return list_->currentRow();
}

void TListHintWindow::SetCurrentRow(int row)
{
    if (row >= 0 && row < list_->count())
        list_->setCurrentRow(row);
}

lookup::Match TListHintWindow::Current() const
{
    const QListWidgetItem* item = list_->currentItem();
    if (!item)
        return {};
    return {item->text(), item->data(Qt::UserRole).toInt()};
}

void TListHintWindow::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // Placed by hand: a layout would impose the list's minimum size on the window.
    list_->setGeometry(contentsRect());
}

bool TListHintWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (QListWidgetItem* item = list_->itemAt(mouse->position().toPoint())) {
            list_->setCurrentItem(item);
            if (OnItemChosen)
                OnItemChosen();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
