#include "app/SheetLayoutDialog.h"

#include "app/InchesBox.h"

#include "platform/FormatSettings.h"

#include <cmath>
#include <limits>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kMostTickets = 50;   // across or down
constexpr int kMostCopies = 20;
constexpr double kMostInches = 100;
const QColor kPaper(Qt::white);
const QColor kTicket(230, 236, 245);
} // namespace

// The sheet as it will come out: the paper, the printable area on it, each ticket and
// the serial it carries on the first sheet.
class TSheetDrawing : public QWidget {
public:
    explicit TSheetDrawing(QWidget* parent) : QWidget(parent) { setMinimumSize(220, 260); }
    ticket::TPageArea area;
    ticket::TSheetLayout layout;
    QStringList texts; // by slot; empty: no ticket there

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSizeF sheet = area.paper.isEmpty() ? area.printable.size() : area.paper;
        if (sheet.isEmpty())
            return;
        const double scale = std::min((width() - 8) / sheet.width(), (height() - 8) / sheet.height());
        const QRectF whole(4, 4, sheet.width() * scale, sheet.height() * scale);
        painter.fillRect(whole, kPaper);
        painter.setPen(QPen(Qt::gray, 0));
        painter.drawRect(whole);
        // The tickets are placed from the printable area's corner on the paper.
        const QPointF corner = area.paper.isEmpty() ? QPointF() : area.printable.topLeft();
        const QRectF paper(whole.topLeft() + corner * scale, area.printable.size() * scale);
        painter.setPen(QPen(Qt::lightGray, 0, Qt::DotLine));
        painter.drawRect(paper);
        QFont font = painter.font();
        font.setPixelSize(std::max(7, int(std::min(paper.width() / (3.0 * std::max(1, layout.Columns) + 1), 14.0))));
        painter.setFont(font);
        for (int slot = 0; slot < layout.Slots(); ++slot) {
            const QRectF inches = ticket::SlotRect(layout, slot, area);
            const QRectF box(paper.left() + inches.left() * scale, paper.top() + inches.top() * scale,
                             inches.width() * scale, inches.height() * scale);
            painter.fillRect(box, kTicket);
            painter.setPen(QPen(Qt::darkGray, 0));
            painter.drawRect(box);
            painter.setPen(Qt::black);
            painter.drawText(box, Qt::AlignCenter | Qt::TextWrapAnywhere, texts.value(slot));
        }
    }
};

namespace {


QSpinBox* countBox(int minimum, int maximum, int value, const QString& name, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(qBound(minimum, value, maximum));
    return box;
}

} // namespace

TSheetLayoutDialog::TSheetLayoutDialog(const ticket::TSheetLayout& given, std::function<QString(qint64)> serialText,
                                       const ticket::TPageArea& area, qint64 tickets, QWidget* parent,
                                       const TBooksAndParts& books)
    : QDialog(parent)
    , serialText_(std::move(serialText))
    , area_(area)
    , tickets_(std::max<qint64>(1, tickets))
    , given_(given)
    , books_(books)
{
    // A new layout is measured from the paper; one measured from the printable area is
    // shown so, at the places it has on this printer, tickets that fit the grid with the
    // size they come to here.
    ticket::TSheetLayout layout = given;
    if (layout.IsDefault()) {
        // The first ticket's corner where the one-ticket page has it on this printer, so
        // its numbers stay on the printable area.
        layout.Origin = ticket::TOrigin::Paper;
        if (!area.paper.isEmpty()) {
            layout.Left = std::ceil(area.printable.left() * 1000) / 1000;
            layout.Top = std::ceil(area.printable.top() * 1000) / 1000;
        }
    } else if (layout.Origin == ticket::TOrigin::Printable && !area.paper.isEmpty()) {
        const QRectF first = ticket::SlotRect(layout, 0, area);
        layout.Width = first.width();
        layout.Height = first.height();
        layout.Left += area.printable.left();
        layout.Top += area.printable.top();
        layout.Origin = ticket::TOrigin::Paper;
    }
    setObjectName(QStringLiteral("SheetLayoutDialog"));
    setWindowTitle(tr("Sheet Layout"));
    columns_ = countBox(1, kMostTickets, layout.Columns, QStringLiteral("SheetColumns"), this);
    rows_ = countBox(1, kMostTickets, layout.Rows, QStringLiteral("SheetRows"), this);
    left_ = InchesBox(0, kMostInches, layout.Left, 0.05, QStringLiteral("SheetLeft"), this);
    top_ = InchesBox(0, kMostInches, layout.Top, 0.05, QStringLiteral("SheetTop"), this);
    width_ = InchesBox(0, kMostInches, layout.Width, 0.05, QStringLiteral("SheetWidth"), this);
    width_->setSpecialValueText(tr("fit the grid"));
    height_ = InchesBox(0, kMostInches, layout.Height, 0.05, QStringLiteral("SheetHeight"), this);
    height_->setSpecialValueText(tr("fit the grid"));
    gapX_ = InchesBox(0, kMostInches, layout.GapX, 0.05, QStringLiteral("SheetGapX"), this);
    gapY_ = InchesBox(0, kMostInches, layout.GapY, 0.05, QStringLiteral("SheetGapY"), this);
    order_ = new QComboBox(this);
    order_->setObjectName(QStringLiteral("SheetOrder"));
    order_->addItem(tr("Left to right, then down"), int(ticket::TOrder::Rows));
    order_->addItem(tr("Down, then across"), int(ticket::TOrder::Columns));
    order_->addItem(tr("Cut and stack"), int(ticket::TOrder::Stack));
    order_->setCurrentIndex(order_->findData(int(layout.Order)));
    origin_ = new QComboBox(this);
    origin_->setObjectName(QStringLiteral("SheetOrigin"));
    origin_->addItem(tr("The paper's edges"), int(ticket::TOrigin::Paper));
    origin_->addItem(tr("The printable area"), int(ticket::TOrigin::Printable));
    origin_->setCurrentIndex(origin_->findData(int(layout.Origin)));
    origin_->setToolTip(tr("What Left, Top and tickets of width or height 0 are measured from: from the paper's edges the grid "
                           "and its cuts are the same on every printer"));

    stackDepth_ = countBox(0, 100000, layout.StackDepth, QStringLiteral("SheetStackDepth"), this);
    stackDepth_->setSpecialValueText(tr("the whole run"));
    firstSlot_ = countBox(1, kMostTickets * kMostTickets, layout.FirstSlot, QStringLiteral("SheetFirstSlot"), this);
    copies_ = countBox(1, kMostCopies, layout.Copies, QStringLiteral("SheetCopies"), this);
    reverse_ = new QCheckBox(tr("Last sheet &first (face-up tray)"), this);
    reverse_->setChecked(layout.Reverse);
    cutMarks_ = new QCheckBox(tr("C&ut marks at the ticket corners"), this);
    cutMarks_->setChecked(layout.CutMarks);
    partNames_ = new QLineEdit(books.PartNames, this);
    partNames_->setObjectName(QStringLiteral("SheetPartNames"));
    partNames_->setToolTip(tr("The name of each copy of a sheet, | between them (Customer|Office|File): items show it as {part}, "
                              "and the copy's number as {copy}"));
    // The whole range a settings file may hold, so that a value left alone stays as it was.
    bookSize_ = countBox(0, std::numeric_limits<int>::max(), books.BookSize, QStringLiteral("BookSize"), this);
    bookSize_->setSpecialValueText(tr("no books"));
    bookSize_->setToolTip(tr("Tickets in each book: items show {book}, the number of a ticket's book, and {inbook}, "
                             "the ticket's place in its book from 1 (0: no books)"));
    bookFirst_ = countBox(std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), books.BookFirst,
                          QStringLiteral("BookFirst"), this);
    bookFirst_->setToolTip(tr("The number that opens book 1: {inbook} is 1 there and every book's size later"));

    auto* grid = new QGroupBox(tr("Tickets on a sheet"), this);
    auto* gridForm = new QFormLayout(grid);
    gridForm->addRow(tr("&Across:"), columns_);
    gridForm->addRow(tr("&Down:"), rows_);
    gridForm->addRow(tr("&Measured from:"), origin_);
    gridForm->addRow(tr("&Left:"), left_);
    gridForm->addRow(tr("&Top:"), top_);
    gridForm->addRow(tr("&Width:"), width_);
    gridForm->addRow(tr("&Height:"), height_);
    gridForm->addRow(tr("&Gap across:"), gapX_);
    gridForm->addRow(tr("Gap d&own:"), gapY_);
    auto* run = new QGroupBox(tr("Order"), this);
    auto* runForm = new QFormLayout(run);
    runForm->addRow(tr("O&rder:"), order_);
    runForm->addRow(tr("Sheets per &pile:"), stackDepth_);
    runForm->addRow(tr("First &slot:"), firstSlot_);
    runForm->addRow(tr("&Copies:"), copies_);
    runForm->addRow(tr("Part &names:"), partNames_);
    runForm->addRow(reverse_);
    runForm->addRow(cutMarks_);
    auto* bound = new QGroupBox(tr("Books"), this);
    auto* boundForm = new QFormLayout(bound);
    boundForm->addRow(tr("Tickets a &book:"), bookSize_);
    boundForm->addRow(tr("Book 1 b&egins at:"), bookFirst_);
    drawing_ = new TSheetDrawing(this);
    drawing_->setObjectName(QStringLiteral("SheetDrawing"));

    auto* fields = new QVBoxLayout;
    fields->addWidget(grid);
    fields->addWidget(run);
    fields->addWidget(bound);
    auto* sides = new QHBoxLayout;
    sides->addLayout(fields);
    sides->addWidget(drawing_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Tab goes through the fields as they are read, top to bottom, not as they were made.
    const QList<QWidget*> reading { columns_, rows_, origin_, left_, top_, width_, height_, gapX_, gapY_, order_, stackDepth_,
                                    firstSlot_, copies_, partNames_, reverse_, cutMarks_, bookSize_, bookFirst_, buttons };
    for (qsizetype i = 1; i < reading.size(); ++i)
        QWidget::setTabOrder(reading[i - 1], reading[i]);
    auto* main = new QVBoxLayout(this);
    main->addLayout(sides);
    main->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (QSpinBox* box : { columns_, rows_, stackDepth_, firstSlot_, copies_, bookSize_, bookFirst_ })
        connect(box, &QSpinBox::valueChanged, this, [this] { Changed(); });
    for (QDoubleSpinBox* box : { left_, top_, width_, height_, gapX_, gapY_ })
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { Changed(); });
    connect(order_, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
    connect(origin_, &QComboBox::currentIndexChanged, this, [this] { OriginChanged(); });
    connect(reverse_, &QCheckBox::toggled, this, [this] { Changed(); });
    connect(cutMarks_, &QCheckBox::toggled, this, [this] { Changed(); });
    connect(partNames_, &QLineEdit::textChanged, this, [this] { Changed(); });
    Changed();
    // As the fields hold it, rounded as they round.
    shown_ = Typed();
}

void TSheetLayoutDialog::ShowTips()
{
    // Where the grid is measured from, said where it is typed.
    if (ticket::TOrigin(origin_->currentData().toInt()) == ticket::TOrigin::Paper) {
        left_->setToolTip(tr("From the left edge of the paper to the first ticket's left edge"));
        top_->setToolTip(tr("From the top edge of the paper to the first ticket's top edge"));
        width_->setToolTip(tr("One ticket's width; 0: the paper's width, less Left and the gaps, shared by the tickets across"));
        height_->setToolTip(tr("One ticket's height; 0: the paper's height, less Top and the gaps, shared by the tickets down"));
        return;
    }
    left_->setToolTip(tr("From the left edge of the printer's printable area to the first ticket's left edge"));
    top_->setToolTip(tr("From the top edge of the printer's printable area to the first ticket's top edge"));
    width_->setToolTip(tr("One ticket's width; 0: the printable area's width, less Left and the gaps, shared by the tickets across"));
    height_->setToolTip(tr("One ticket's height; 0: the printable area's height, less Top and the gaps, shared by the tickets down"));
}

void TSheetLayoutDialog::OriginChanged()
{
    // The first ticket's corner stays where it is on this printer.
    const QPointF corner = area_.paper.isEmpty() ? QPointF() : area_.printable.topLeft();
    const double sign = ticket::TOrigin(origin_->currentData().toInt()) == ticket::TOrigin::Paper ? 1 : -1;
    const QSignalBlocker leftQuiet(left_);
    const QSignalBlocker topQuiet(top_);
    left_->setValue(left_->value() + sign * corner.x());
    top_->setValue(top_->value() + sign * corner.y());
    Changed();
}

ticket::TSheetLayout TSheetLayoutDialog::Layout() const
{
    const ticket::TSheetLayout typed = Typed();
    // Shown as it was and left so: the layout the window had, as its file has it.
    if (typed == shown_)
        return given_;
    return typed;
}

ticket::TSheetLayout TSheetLayoutDialog::Typed() const
{
    ticket::TSheetLayout layout;
    layout.Columns = columns_->value();
    layout.Rows = rows_->value();
    layout.Left = left_->value();
    layout.Top = top_->value();
    layout.Width = width_->value();
    layout.Height = height_->value();
    layout.GapX = gapX_->value();
    layout.GapY = gapY_->value();
    layout.Order = ticket::TOrder(order_->currentData().toInt());
    layout.StackDepth = layout.Order == ticket::TOrder::Stack ? stackDepth_->value() : 0;
    layout.FirstSlot = layout.Order == ticket::TOrder::Stack ? 1 : qBound(1, firstSlot_->value(), layout.Slots());
    layout.Copies = copies_->value();
    layout.Reverse = reverse_->isChecked();
    layout.CutMarks = cutMarks_->isChecked();
    layout.Origin = ticket::TOrigin(origin_->currentData().toInt());
    return layout;
}

TBooksAndParts TSheetLayoutDialog::BooksAndParts() const
{
    TBooksAndParts books;
    books.PartNames = partNames_->text();
    books.BookSize = bookSize_->value();
    books.BookFirst = books.BookSize > 0 ? bookFirst_->value() : books_.BookFirst;
    return books;
}

QStringList TSheetLayoutDialog::FirstSheet() const { return drawing_->texts; }

void TSheetLayoutDialog::Changed()
{
    const ticket::TSheetLayout layout = Typed();
    ShowTips();
    // What applies only to some orders is offered only there.
    stackDepth_->setEnabled(layout.Order == ticket::TOrder::Stack);
    firstSlot_->setEnabled(layout.Order != ticket::TOrder::Stack);
    firstSlot_->setMaximum(layout.Slots());
    bookFirst_->setEnabled(bookSize_->value() > 0);
    const ticket::TSheetPlan plan(layout, tickets_);
    QStringList texts;
    for (const qint64 ticket : plan.OnSheet(0))
        texts << (ticket >= 0 ? serialText_(ticket) : QString());
    drawing_->layout = layout;
    drawing_->area = area_;
    drawing_->texts = texts;
    drawing_->update();
    if (OnChange)
        OnChange(Layout());
}
