// Every dialog of the window from the keyboard alone, opened as a user opens it (a run's
// progress and the wait for a locked settings file included): Tab goes
// through its inputs and buttons in the order they are seen (top to bottom, left to
// right), Enter takes its main action, Escape cancels it and leaves everything as it was.
#include "support_app.h"
#include "support_window.h"

#include "app/PrintLog.h"
#include "widgets/HistoryEdit.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QTimer>


namespace {

struct DialogRow {
    const char* name;      // the test's name
    const char* dialog;    // the dialog's object name
    // Opens it as a user does; returns once a modal dialog is done.
    std::function<void(TfrmTallyforge&)> open;
    friend void PrintTo(const DialogRow& row, std::ostream* out) { *out << row.name; }
};

bool EventuallyTrue(const std::function<bool()>& condition)
{
    for (int i = 0; i < 150 && !condition(); ++i)
        QTest::qWait(20);
    return condition();
}

// Each test's own: a dialog that never came up is not waited for by the next test.
int generation = 0;

// Calls act once the named dialog is up, whether modal or not.
void WhenUp(const QString& name, std::function<void(QDialog*)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [name, act, poll, mine = generation] {
        if (mine != generation)
            return;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->objectName() == name && dialog->isVisible()) {
                dialog->activateWindow();
                if (QTest::qWaitForWindowActive(dialog) && QApplication::focusWidget()
                    && QApplication::focusWidget()->window() == dialog) {
                    act(dialog);
                    return;
                }
            }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

// Where Tab goes, from the first focused widget round to it again; the candidates are read
// off the focus chain so that a widget Tab never reaches shows up as missing.
struct TabWalk {
    QStringList seen;       // where Tab went
    QStringList outOfOrder; // where it went back up or to the left
    QStringList missed;     // what it never reached
};

bool Reachable(QWidget* widget, QDialog* dialog)
{
    if (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy() || !widget->isVisibleTo(dialog)
        || !widget->isEnabled() || widget->window() != dialog)
        return false;
    // Of a group of radio buttons Tab stops at the chosen one; the arrow keys choose.
    if (auto* radio = qobject_cast<QRadioButton*>(widget))
        return radio->isChecked();
    return true;
}


QString Describe(QWidget* widget)
{
    const QRect box(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    QWidget* named = widget;
    while (named->objectName().isEmpty() && named->parentWidget() && !qobject_cast<QAbstractSpinBox*>(named))
        named = named->parentWidget();
    QString text = named->metaObject()->className() + QStringLiteral(" ") + named->objectName();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text += QStringLiteral(" \"") + button->text() + u'"';
    return text + QStringLiteral(" at %1,%2").arg(box.x()).arg(box.y());
}

// b comes after a when reading the dialog: on the same line further right, or lower down.
bool ComesAfter(QWidget* a, QWidget* b)
{
    const QRect ra(a->mapToGlobal(QPoint(0, 0)), a->size());
    const QRect rb(b->mapToGlobal(QPoint(0, 0)), b->size());
    const bool sameLine = rb.top() < ra.bottom() && ra.top() < rb.bottom();
    return sameLine ? rb.left() > ra.left() : rb.center().y() > ra.center().y();
}

TabWalk WalkTabs(QDialog* dialog)
{
    QWidget* first = QApplication::focusWidget();
    QList<QWidget*> reachable { first };
    for (QWidget* w = first->nextInFocusChain(); w != first && reachable.size() < 100; w = w->nextInFocusChain())
        if (Reachable(w, dialog))
            reachable << w;
    QList<QWidget*> visited { first };
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == first)
            break;
        visited << QApplication::focusWidget();
    }
    TabWalk walk;
    for (qsizetype i = 0; i < visited.size(); ++i) {
        walk.seen << Describe(visited[i]);
        if (i > 0 && !ComesAfter(visited[i - 1], visited[i]))
            walk.outOfOrder << walk.seen.back();
    }
    for (QWidget* widget : reachable)
        if (!visited.contains(widget))
            walk.missed << Describe(widget);
    return walk;
}

// A change a user could make in the focused input: an arrow key in a spin box or a list,
// a digit in a text field.
void ChangeSomething(QWidget* focus)
{
    if (qobject_cast<QAbstractSpinBox*>(focus->parentWidget()))
        QTest::keyClick(focus, Qt::Key_Up);
    else if (qobject_cast<QComboBox*>(focus))
        QTest::keyClick(focus, Qt::Key_Down);
    else if (qobject_cast<QLineEdit*>(focus))
        QTest::keyClicks(focus, QStringLiteral("7"));
}

class DialogKeysTest : public WindowTest, public testing::WithParamInterface<DialogRow> {
protected:
    void TearDown() override;
    // What a cancelled dialog must leave alone: the settings as the window would save
    // them, the printer's choices, what was printed.
    QString State(TfrmTallyforge& window)
    {
        window.SaveSettings();
        const QFileInfo pdf(OutputPdf());
        return apptest::ReadText(settingsPath_) + QStringLiteral("|%1|%2|%3|%4|%5")
            .arg(Printer().PrinterIndex())
            .arg(int(Printer().Orientation()))
            .arg(Printer().PaperSize().key(), Printer().OutputFileName())
            .arg(pdf.exists() ? pdf.size() : -1);
    }
};

TEST_P(DialogKeysTest, TabGoesInReadingOrderEnterTakesTheMainActionEscapeCancels)
{
    const DialogRow& row = GetParam();
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // Two runs for the log and the reprint to show.
    answer_ = true;
    for (int start : { 10, 20 }) {
        window->txtStartingSN->SetText(QString::number(start));
        window->txtPageCount->SetText(QStringLiteral("2"));
        window->ToolButton1->trigger();
    }
    QFile::remove(OutputPdf());
    window->setProperty("lockPath", settingsPath_ + QStringLiteral(".lock"));
    // A run's progress and a wait have no OK: Enter must not stop them, Escape does.
    const bool progress = row.dialog == QStringLiteral("PrintProgress") || row.dialog == QStringLiteral("WaitProgress");
    const bool wait = row.dialog == QStringLiteral("WaitProgress");
    answer_ = progress; // yes to the question before a long run

    // Tab round the dialog, change its first input, then Escape.
    TabWalk walk;
    int result = -1;
    bool stillUp = true;
    bool enterKeptRun = false;
    const QString before = progress && !wait ? QString() : State(*window);
    WhenUp(QLatin1String(row.dialog), [&](QDialog* dialog) {
        QObject::connect(dialog, &QDialog::finished, dialog, [&](int code) { result = code; });
        walk = WalkTabs(dialog);
        ChangeSomething(QApplication::focusWidget());
        if (progress) { // even with the focus on Cancel
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            enterKeptRun = dialog->isVisible();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        stillUp = dialog->isVisible();
    });
    row.open(*window);
    ASSERT_TRUE(EventuallyTrue([&] { return !walk.seen.isEmpty(); })) << "the dialog did not come up";
    EXPECT_FALSE(stillUp) << "Escape left the dialog up";

    SCOPED_TRACE(("Tab went: " + walk.seen.join(QStringLiteral(" -> "))).toStdString());
    EXPECT_TRUE(walk.outOfOrder.isEmpty()) << "Tab went back to " << walk.outOfOrder.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(walk.missed.isEmpty()) << "Tab never reached " << walk.missed.join(QStringLiteral("; ")).toStdString();

    if (progress) {
        EXPECT_TRUE(enterKeptRun) << "Enter stopped it";
        if (wait) { // the print gave up before it began
            EXPECT_EQ(errors_.filter(QStringLiteral("Gave up waiting")).size(), 1) << errors_.join(u'\n').toStdString();
            EXPECT_EQ(State(*window).toStdString(), before.toStdString()) << "Escape changed something";
        } else { // Escape stopped it part way: the next number is not past the whole run
            EXPECT_LT(window->txtStartingSN->AsInteger(), 1000000);
        }
    } else {
        EXPECT_EQ(result, int(QDialog::Rejected));
        EXPECT_EQ(State(*window).toStdString(), before.toStdString()) << "Escape changed something";
    }
    if (progress)
        return;

    // Enter, from where the focus starts, takes the main action.
    result = -1;
    bool entered = false;
    bool reprintAsked = false;
    if (row.dialog == QStringLiteral("PrintLog")) // its main action is a reprint of the chosen run
        WhenUp(QStringLiteral("ReprintDialog"), [&](QDialog* reprint) {
            reprintAsked = true;
            reprint->reject();
        });
    WhenUp(QLatin1String(row.dialog), [&](QDialog* dialog) {
        QObject::connect(dialog, &QDialog::finished, dialog, [&](int code) { result = code; });
        if (auto* log = qobject_cast<TPrintLog*>(dialog)) {
            // The run of serial 21 found, then Enter from the filter.
            Retype(log->SerialFilter(), QStringLiteral("21"));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        entered = true;
    });
    row.open(*window);
    ASSERT_TRUE(EventuallyTrue([&] { return entered; }));
    if (row.dialog == QStringLiteral("PrintLog")) {
        EXPECT_TRUE(EventuallyTrue([&] { return reprintAsked; })) << "Enter did not reprint the chosen run";
    } else {
        EXPECT_TRUE(EventuallyTrue([&] { return result == int(QDialog::Accepted); })) << "Enter did not take OK";
    }
    if (row.dialog == QStringLiteral("ReprintDialog")) {
        EXPECT_TRUE(QFileInfo::exists(OutputPdf())) << "Enter did not reprint";
    }
    window->close();
}

void DialogKeysTest::TearDown()
{
    ++generation;
    WindowTest::TearDown();
}

const DialogRow kRows[] = {
    { "PrintSetup", "PrinterSetupDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuFile, { Qt::Key_S }); } },
    { "Progress", "PrintProgress",
      [](TfrmTallyforge& w) {
          w.txtStartingSN->SetText(QStringLiteral("1"));
          w.txtPageCount->SetText(QStringLiteral("1000000"));
          w.ToolButton1->trigger(); // asks first: the test answers yes
      } },
    { "Waiting", "WaitProgress",
      [](TfrmTallyforge& w) {
          // Another program holds the settings file: the print waits for it.
          QProcess holder;
          apptest::EndWithTest(holder);
          // -o: the lock is flock's own, gone when it is killed; cat ends with its input.
          holder.start(QStringLiteral("flock"), { QStringLiteral("-x"), QStringLiteral("-o"), w.property("lockPath").toString(),
                                                  QStringLiteral("-c"), QStringLiteral("echo held; exec cat") });
          ASSERT_TRUE(holder.waitForReadyRead(10000));
          w.ToolButton1->trigger();
          holder.kill();
          holder.waitForFinished();
          holder.closeWriteChannel();
      } },
    { "PrintLog", "PrintLog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuFile, { Qt::Key_L }); } },
    { "Reprint", "ReprintDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuFile, { Qt::Key_R }); } },
    { "CalibratePrinter", "CalibrationDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_C }); } },
    { "SharedSeries", "SharedSeriesDialog",
      [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return }); } },
    { "NumberFormat", "NumberFormatDialog",
      [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return }); } },
    { "SheetLayout", "SheetLayoutDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_L }); } },
    { "TicketItems", "TicketItemsDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_I }); } },
    { "Template", "TemplateDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_T }); } },
    { "Data", "DataDialog", [](TfrmTallyforge& w) { ChooseFromMenu(w.mnuOptions, { Qt::Key_D }); } },
};

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogKeysTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<DialogRow>& info) { return std::string(info.param.name); });

} // namespace
