// The window as a user drives it with the keyboard: what is typed is what prints, Ctrl+A,
// the menus' keys, the question before a large run, the progress of a long one, and the
// second number lying on the first.
#include "support_app.h"
#include "support_window.h"

#include "platform/Application.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using WindowKeysTest = WindowTest;

// Lets events run until condition holds, or for two seconds at most.
bool EventuallyTrue(const std::function<bool()>& condition)
{
    for (int i = 0; i < 100 && !condition(); ++i)
        QTest::qWait(20);
    return condition();
}

// Keys go where the user's would: to the widget with the focus in the active window.
QWidget* KeyTarget(QWidget* fallback)
{
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == fallback->window() ? focus : fallback;
}

// Starting SN showed 3193705000 while the run printed from 319370500: the keystroke that
// takes a number past 32 bits is refused, and so is a paste of such a number.
TEST_F(WindowKeysTest, ANumberTooLargeForTheFieldIsRefusedWhereTyped)
{
    auto window = MakeWindow();
    THistoryEdit* start = window->txtStartingSN;
    Retype(start, QStringLiteral("3193705000"));
    EXPECT_EQ(start->Text(), QStringLiteral("319370500"));
    EXPECT_EQ(QString::number(start->AsInteger()), start->Text());
    EXPECT_EQ(window->CurrentPage().StartingNumber, 319370500);

    // The largest number goes in whole; one more digit does not.
    Retype(start, QStringLiteral("2147483647"));
    EXPECT_EQ(start->Text(), QStringLiteral("2147483647"));
    QTest::keyClick(start, Qt::Key_9);
    EXPECT_EQ(start->Text(), QStringLiteral("2147483647"));

    // A paste over the whole text leaves the text as it was.
    Retype(start, QStringLiteral("42"));
    QApplication::clipboard()->setText(QStringLiteral("3193705000"));
    QTest::keyClick(start, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(start, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(start->Text(), QStringLiteral("42"));
    EXPECT_EQ(start->AsInteger(), 42);
    QApplication::clipboard()->setText(QStringLiteral("3193705"));
    QTest::keyClick(start, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(start, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(start->Text(), QStringLiteral("3193705")) << "a number that fits is pasted";
}

// Ctrl+A selects all of every field, and what is typed next takes its place.
TEST_F(WindowKeysTest, CtrlASelectsTheWholeTextOfEveryField)
{
    auto window = MakeWindow();
    window->txtPrefix->SetText(QStringLiteral("AB-"));
    window->txtSuffix->SetText(QStringLiteral("/X"));
    for (THistoryEdit* field : window->Panel1->findChildren<THistoryEdit*>()) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->setFocus();
        field->end(false);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(field->selectedText(), field->text());
        QTest::keyClicks(field, QStringLiteral("7"));
        EXPECT_EQ(field->Text(), QStringLiteral("7"));
    }
}

// A run of more pages than [SN] ConfirmAbove asks first, naming the count and the serials,
// in a real message box where Enter says No; nothing prints and the counter stays.
TEST_F(WindowKeysTest, ALargeRunAsksFirstAndEnterSaysNo)
{
    app::SetQuestionHandler(nullptr); // the real message box
    auto window = MakeWindow();
    window->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    Retype(window->txtStartingSN, QStringLiteral("101"));
    Retype(window->txtPageCount, QStringLiteral("50000"));
    const auto answerNoWithEnter = [](QStringList* texts) {
        WhenModal<QMessageBox>([texts](QMessageBox* box) {
            *texts << box->text();
            // Enter goes to the button with the focus only once the box is active.
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            QTest::keyClick(KeyTarget(box), Qt::Key_Return);
        });
    };
    QStringList asked;
    answerNoWithEnter(&asked);
    window->ToolButton1->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("This run prints 50000 pages, serials 101 to 50100"))) << asked[0].toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("Print them all?")));
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("101"));

    // File > Print, chosen with its keys, asks the same.
    answerNoWithEnter(&asked);
    ChooseFromMenu(window->mnuFile, { Qt::Key_P });
    ASSERT_TRUE(EventuallyTrue([&] { return asked.size() == 2; }));
    EXPECT_TRUE(asked[1].contains(QStringLiteral("This run prints 50000 pages, serials 101 to 50100")));
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));

    // Up to the limit nothing is asked; the default limit is not written to the file.
    Retype(window->txtPageCount, QStringLiteral("1000"));
    window->mnuPrint->trigger();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(apptest::PdfPageCount(OutputPdf()), 1000);
    window->close();
    EXPECT_EQ(Setting("SN", "ConfirmAbove"), QString());
}

TEST_F(WindowKeysTest, ConfirmAboveFromTheSettingsFileIsKept)
{
    WriteSettings("[SN]\r\nLastNumber=0\r\nPageCount=3\r\nConfirmAbove=2\r\n\r\n");
    auto window = MakeWindow();
    window->ToolButton1->trigger();
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains(QStringLiteral("This run prints 3 pages, serials 1 to 3")));
    EXPECT_FALSE(QFileInfo::exists(OutputPdf()));
    // A reprint of more than the limit asks too.
    window->Reprint(QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("R"), -1);
    ASSERT_GE(questions_.size(), 2);
    EXPECT_EQ(questions_.filter(QStringLiteral("This reprint prints 3 pages, serials 5 to 7")).size(), 1)
        << questions_.join(u'\n').toStdString();
    window->close();
    EXPECT_EQ(Setting("SN", "ConfirmAbove"), QStringLiteral("2"));
}

// Alt+O and Alt+H open the Options and Help menus; Print Setup is in the File menu; the
// two prints say how they differ.
TEST_F(WindowKeysTest, EveryMenuOpensFromTheKeyboard)
{
    auto window = MakeWindow();
    window->showNormal();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (auto [key, menu] : { std::pair { Qt::Key_O, window->mnuOptions }, std::pair { Qt::Key_H, window->Help1 },
                              std::pair { Qt::Key_F, window->mnuFile } }) {
        QTest::keyClick(KeyTarget(window.get()), key, Qt::AltModifier);
        EXPECT_TRUE(EventuallyTrue([menu] { return menu->isVisible(); })) << menu->title().toStdString();
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(KeyTarget(window.get()), Qt::Key_Escape);
        EXPECT_TRUE(EventuallyTrue([menu] { return !menu->isVisible(); }));
    }
    ASSERT_NE(window->mnuPrintSetup, nullptr);
    EXPECT_TRUE(window->mnuFile->actions().contains(window->mnuPrintSetup));
    EXPECT_TRUE(window->mnuPrintSetup->text().contains(QLatin1Char('&')));
    EXPECT_NE(window->ToolButton1->toolTip(), window->mnuPrint->toolTip());
    EXPECT_TRUE(window->ToolButton1->statusTip().contains(QStringLiteral("counter")));
    EXPECT_TRUE(window->mnuPrint->statusTip().contains(QStringLiteral("counter")));
    // A status tip shows in the status bar while the pointer rests on the command.
    window->ToolButton1->showStatusText(window->ToolBar1);
    EXPECT_EQ(window->PreviewStatusBar1->UserText(), window->ToolButton1->statusTip());
    QStatusTipEvent leave { QString() };
    QApplication::sendEvent(window.get(), &leave);
    EXPECT_NE(window->PreviewStatusBar1->UserText(), window->ToolButton1->statusTip());
}

// Enter on the progress of a long run does not stop it, and the dialog keeps its width
// while the page numbers grow by a digit, so Cancel stays under the pointer; Escape
// stops it.
TEST_F(WindowKeysTest, EnterDoesNotStopALongRunAndItsProgressKeepsItsWidth)
{
    auto window = MakeWindow();
    window->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A long serial and a count of ten digits, so that the label decides the dialog's
    // width and grows as the run goes on.
    const QString prefix = QStringLiteral("Batch-2026-December-Station-Seven-");
    const QString count = QStringLiteral("2000000000");
    window->txtPrefix->SetText(prefix);
    window->txtStartingSN->SetText(QStringLiteral("1"));
    window->txtPageCount->SetText(count);
    // The label of the run's last page, the longest it shows.
    const QString lastLabel = QStringLiteral("Printing page ") + count + QStringLiteral(" of ") + count
        + QStringLiteral(": ") + prefix + count;
    answer_ = true; // yes, all of them
    struct Seen {
        int width = -1, value = -1, laterWidth = -1, laterValue = -1;
        bool stillShown = false;
        bool roomForTheLastLabel = false;
    };
    auto seen = std::make_shared<Seen>();
    auto later = std::make_shared<std::function<void()>>();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&, poll, later, seen] {
        auto* progress = window->findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
        if (!progress || !progress->isVisible() || progress->value() < 1) {
            QTimer::singleShot(20, *poll);
            return;
        }
        seen->width = progress->width();
        seen->value = progress->value();
        if (auto* label = progress->findChild<QLabel*>())
            seen->roomForTheLastLabel = label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(lastLabel);
        // Enter to the button with the focus, as a user's Enter goes, and to the dialog.
        if (auto* cancel = progress->findChild<QPushButton*>()) {
            cancel->setFocus();
            QTest::keyClick(cancel, Qt::Key_Return);
        }
        QTest::keyClick(progress, Qt::Key_Enter);
        // Once the page numbers have a digit more: still there, as wide, and Escape.
        int grown = 10;
        while (grown <= seen->value)
            grown *= 10;
        *later = [progress, seen, later, grown] {
            if (progress->value() < grown) {
                QTimer::singleShot(20, progress, *later);
                return;
            }
            seen->stillShown = progress->isVisible();
            seen->laterWidth = progress->width();
            seen->laterValue = progress->value();
            QTest::keyClick(progress, Qt::Key_Escape);
        };
        QTimer::singleShot(20, progress, *later);
    };
    QTimer::singleShot(0, *poll);
    window->ToolButton1->trigger();
    ASSERT_GE(seen->value, 1) << "no progress was shown";
    EXPECT_TRUE(seen->stillShown);
    EXPECT_GT(seen->laterValue, seen->value) << "the run went on after Enter";
    EXPECT_EQ(seen->laterWidth, seen->width);
    EXPECT_TRUE(seen->roomForTheLastLabel) << "the dialog would grow before the run ends";
    // Escape stopped it part way (the page begun when it stopped stays blank).
    const int printed = window->txtStartingSN->AsInteger() - 1;
    EXPECT_GE(printed, seen->laterValue);
    EXPECT_LT(printed, 1000000);
    EXPECT_GE(apptest::PdfPageCount(OutputPdf()), printed);
}

int BluePixels(const QImage& image)
{
    return apptest::CountPixels(image, [](const QColor& c) { return c.blue() > 200 && c.red() < 60 && c.green() < 160; });
}

// A first start puts both numbers at the same place: the preview outlines the second and
// the status bar says to place it; once placed, both go.
TEST_F(WindowKeysTest, FirstStartShowsThatThereAreTwoNumbers)
{
    auto window = MakeWindow();
    ASSERT_TRUE(ShowLarge(*window));
    const auto preview = [&] { return PreviewImage(*window); };
    // In full in the status bar's tip; in short in the bar itself unless a warning needs it.
    const QString hint = QStringLiteral("Both numbers are at the same place: set the second position");
    EXPECT_TRUE(window->PreviewStatusBar1->toolTip().contains(hint)) << window->PreviewStatusBar1->toolTip().toStdString();
    EXPECT_GT(BluePixels(preview()), 20);

    Retype(window->txtVerticalIndent2, QStringLiteral("3"));
    EXPECT_FALSE(window->PreviewStatusBar1->toolTip().contains(hint));
    EXPECT_EQ(BluePixels(preview()), 0);
}

} // namespace
