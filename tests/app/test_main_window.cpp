// The main window as designed, its start from the settings file and its close.
#include "support_app.h"
#include "support_window.h"

#include "app/MainWindowDesign.h"
#include "preview/Preview.h"
#include "preview/PreviewStatusBar.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

using MainWindowDesignTest = WindowTest;

TEST_F(MainWindowDesignTest, WindowCaptionSizeAndPlacement)
{
    auto window = MakeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tallyforge"));
    EXPECT_EQ(window->minimumSize(), QSize(525, 420));
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    // Below the minimum is refused.
    window->showNormal();
    window->resize(300, 200);
    EXPECT_GE(window->width(), 525);
    EXPECT_GE(window->height(), 420);
}

TEST_F(MainWindowDesignTest, ToolbarButtonsInOrderWithHintsAndPictures)
{
    auto window = MakeWindow();
    const QList<QAction*> actions = window->ToolBar1->actions();
    const QStringList expectedNames { "ToolButton1", "ToolButton2", "butNextPage", "butPrevPage",
                                      "butPageWidth", "butWholePage", "butFont" };
    // Print says that it moves the counter, unlike File > Print.
    const QStringList expectedHints { "Print the next run and move the counter past it", "Print Setup", "Next Page", "Previous Page",
                                      "Page Width", "Whole Page", "Font" };
    ASSERT_EQ(actions.size(), expectedNames.size());
    for (int i = 0; i < actions.size(); ++i) {
        EXPECT_EQ(actions[i]->objectName(), expectedNames[i]);
        EXPECT_EQ(actions[i]->toolTip(), expectedHints[i]);
        EXPECT_EQ(actions[i]->text(), i == 0 ? QStringLiteral("Print") : expectedHints[i]);
        EXPECT_FALSE(actions[i]->icon().isNull()) << expectedNames[i].toStdString();
        EXPECT_EQ(window->ToolBar1->widgetForAction(actions[i])->width(), 24);
    }
    EXPECT_EQ(window->ToolBar1->height(), 28);
}

struct InputRow {
    const char* name;
    const char* caption;
    QRect geometry;
    const char* designText;
};

TEST_F(MainWindowDesignTest, InputsWithCaptionsPositionsAndDesignTexts)
{
    // A settings file that cannot be read leaves the design values in place.
    ASSERT_TRUE(QDir().mkpath(settingsPath_));
    auto window = MakeWindow();
    const InputRow rows[] = {
        { "txtStartingSN", "Starting SN", QRect(2, 29, 84, 21), "0" },
        { "txtPageCount", "Page Count", QRect(86, 29, 84, 21), "0" },
        { "txtHorizontalIndent", "Horizontal Indent", QRect(171, 29, 84, 21), "0.00" },
        { "txtVerticalIndent", "Vertical Indent", QRect(256, 29, 84, 21), "0.00" },
        { "txtPrefix", "Prefix", QRect(341, 29, 84, 21), "" },
        { "txtSuffix", "Suffix", QRect(426, 29, 84, 21), "" },
        { "txtHorizontalIndent2", "Horizontal Indent", QRect(171, 50, 85, 21), "0.00" },
        { "txtVerticalIndent2", "Vertical Indent", QRect(256, 50, 85, 21), "0.00" },
    };
    for (const InputRow& row : rows) {
        auto* edit = window->Panel1->findChild<THistoryEdit*>(QLatin1String(row.name));
        ASSERT_NE(edit, nullptr) << row.name;
        EXPECT_EQ(edit->LabelCaption(), QLatin1String(row.caption)) << row.name;
        EXPECT_EQ(edit->geometry(), row.geometry) << row.name;
        EXPECT_EQ(edit->Text(), QLatin1String(row.designText)) << row.name;
        // The caption stands 4 pixels above the field's left edge.
        EXPECT_EQ(edit->Label()->geometry().bottomLeft() + QPoint(0, 5), row.geometry.topLeft()) << row.name;
    }
    EXPECT_EQ(window->Panel1->height(), 77);
    EXPECT_TRUE(window->Label1->isHidden());
}

TEST_F(MainWindowDesignTest, SecondRowCaptionsLieBehindTheFirstRow)
{
    auto window = MakeWindow();
    const QObjectList stack = window->Panel1->children(); // bottom to top
    for (THistoryEdit* second : { window->txtHorizontalIndent2, window->txtVerticalIndent2 }) {
        ASSERT_NE(second->Label(), nullptr);
        const QRect caption = second->Label()->geometry();
        for (THistoryEdit* first : { window->txtHorizontalIndent, window->txtVerticalIndent }) {
            if (!first->geometry().intersects(caption))
                continue;
            EXPECT_GT(stack.indexOf(first), stack.indexOf(second->Label()))
                << first->objectName().toStdString() << " over the caption of "
                << second->objectName().toStdString();
        }
        EXPECT_TRUE(window->txtHorizontalIndent->geometry().intersects(caption)
                    || window->txtVerticalIndent->geometry().intersects(caption));
    }
}

TEST_F(MainWindowDesignTest, TabOrderFollowsTheDesign)
{
    auto window = MakeWindow();
    const QList<QWidget*> expected { window->txtStartingSN, window->txtPrefix, window->txtSuffix,
                                     window->txtHorizontalIndent, window->txtVerticalIndent,
                                     window->txtPageCount, window->txtHorizontalIndent2,
                                     window->txtVerticalIndent2 };
    for (int i = 1; i < expected.size(); ++i) {
        QWidget* next = expected[i - 1]->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        EXPECT_EQ(next, expected[i]) << "after " << expected[i - 1]->objectName().toStdString();
    }
}

TEST_F(MainWindowDesignTest, MenuCaptionsStatesAndPictures)
{
    auto window = MakeWindow();
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Options"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Help"));
    EXPECT_EQ(window->mnuPrint->text(), QStringLiteral("&Print"));
    EXPECT_EQ(window->mnuExit->text(), QStringLiteral("E&xit"));
    EXPECT_FALSE(window->mnuPrint->icon().isNull());
    EXPECT_FALSE(window->mnuExit->icon().isNull());
    EXPECT_FALSE(window->txtCentimeter->isEnabled());
    EXPECT_TRUE(window->mnuInches->isChecked());
    EXPECT_EQ(window->mnuFont->text(), QStringLiteral("Font..."));
    EXPECT_EQ(window->mnuAbout->text(), QStringLiteral("About"));

    // Inches stays checked when chosen; nothing else happens.
    window->mnuInches->trigger();
    EXPECT_TRUE(window->mnuInches->isChecked());
    EXPECT_FALSE(window->txtCentimeter->isChecked());
}

TEST_F(MainWindowDesignTest, PreviewTakesTheSpaceLeft)
{
    auto window = MakeWindow();
    window->showNormal();
    window->resize(800, 600);
    QCoreApplication::processEvents();
    const QWidget* central = window->centralWidget();
    EXPECT_EQ(window->Preview1->width(), central->width());
    EXPECT_EQ(window->Preview1->height(),
              central->height() - window->Panel1->height() - window->PreviewStatusBar1->height());
}

// --- start from the settings file ------------------------------------------------------

using StartTest = WindowTest;

TEST_F(StartTest, FirstStartShowsTheDefaults)
{
    auto window = MakeWindow();
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(window->txtPrefix->Text(), QString());
    EXPECT_EQ(window->txtSuffix->Text(), QString());
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("1"));
    EXPECT_EQ(window->txtPageCount->Text(), QStringLiteral("10"));
    for (THistoryEdit* indent : { window->txtHorizontalIndent, window->txtVerticalIndent,
                                  window->txtHorizontalIndent2, window->txtVerticalIndent2 })
        EXPECT_EQ(indent->Text(), QStringLiteral("1.00"));
    EXPECT_EQ(window->pjSN->PageCount(), 10);
    EXPECT_EQ(window->SerialFont().Name, QStringLiteral("Arial"));
    EXPECT_EQ(window->SerialFont().Size, 24);
    EXPECT_EQ(window->SerialFont().Color, 0);
    EXPECT_FALSE(window->SerialFont().Bold);
    EXPECT_TRUE(window->mnuWholePage->isChecked());
    EXPECT_FALSE(window->mnuPageWidth->isChecked());
    EXPECT_EQ(window->Preview1->ViewMode(), vmWholePage);
    EXPECT_EQ(window->Label1->font().family(), QStringLiteral("Arial"));
}

TEST_F(StartTest, StoredValuesFillTheWindow)
{
    WriteSettings("[SN]\r\nLastNumber=41\r\nPageCount=0\r\nPrefix= A- \r\nSuffix=/B\r\n"
                  "[Paper]\r\nHorizontalIndent=0.25\r\nVerticalIndent2=3\r\n"
                  "[Font]\r\nName=DejaVu Sans\r\nSize=abc\r\nColor=255\r\nBold=2\r\n"
                  "[View]\r\nWholePage=0\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("42"));
    EXPECT_EQ(window->txtPageCount->Text(), QStringLiteral("0"));
    EXPECT_EQ(window->pjSN->PageCount(), 1); // the job prints at least one page
    EXPECT_EQ(window->txtPrefix->Text(), QStringLiteral("A-"));
    EXPECT_EQ(window->txtHorizontalIndent->Text(), QStringLiteral("0.25"));
    EXPECT_EQ(window->txtVerticalIndent->Text(), QStringLiteral("1.00"));
    EXPECT_EQ(window->txtVerticalIndent2->Text(), QStringLiteral("3.00"));
    EXPECT_EQ(window->SerialFont().Name, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(window->SerialFont().Size, 24);
    EXPECT_EQ(window->SerialFont().Color, 255);
    EXPECT_TRUE(window->SerialFont().Bold);
    EXPECT_EQ(window->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window->Preview1->ViewMode(), vmPageWidth);
    EXPECT_TRUE(window->mnuPageWidth->isChecked());
    EXPECT_FALSE(window->mnuWholePage->isChecked());
}

TEST_F(StartTest, HexadecimalLastNumber)
{
    WriteSettings("[SN]\r\nLastNumber=0x10\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("17"));
}

TEST_F(StartTest, LargestLastNumberWrapsInsteadOfOverflowing)
{
    WriteSettings("[SN]\r\nLastNumber=2147483647\r\n");
    auto window = MakeWindow();
    EXPECT_EQ(window->txtStartingSN->AsInteger(), -2147483647 - 1);
}

TEST_F(StartTest, UnreadableFileKeepsDesignValuesAndIsNotOverwritten)
{
    // A folder in the file's place exists but cannot be read as a file.
    ASSERT_TRUE(QDir().mkpath(settingsPath_));
    auto window = MakeWindow();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_EQ(errors_[0], QStringLiteral("Cannot open file %1.").arg(QDir::toNativeSeparators(settingsPath_)));
    EXPECT_FALSE(window->SettingsLoaded());
    EXPECT_EQ(window->txtStartingSN->Text(), QStringLiteral("0"));
    EXPECT_EQ(window->txtPageCount->Text(), QStringLiteral("0"));
    EXPECT_EQ(window->txtHorizontalIndent->Text(), QStringLiteral("0.00"));
    EXPECT_EQ(window->pjSN->PageCount(), 1);
    EXPECT_EQ(window->SerialFont().Name, QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(window->SerialFont().Size, 8);
    EXPECT_FALSE(window->mnuWholePage->isChecked());
    EXPECT_FALSE(window->mnuPageWidth->isChecked());
    EXPECT_EQ(window->Preview1->ViewMode(), vmWholePage);

    // A toolbar print says its counter was not kept; closing leaves the file alone quietly.
    window->ToolButton1->trigger();
    ASSERT_EQ(errors_.size(), 2);
    EXPECT_EQ(errors_[1], errors_[0]);
    window->close();
    EXPECT_EQ(errors_.size(), 2);
    EXPECT_TRUE(QFileInfo(settingsPath_).isDir());
}

TEST_F(StartTest, CloseSavesAndTheNextStartShowsTheSameNumber)
{
    {
        auto window = MakeWindow();
        window->show();
        window->txtStartingSN->SetText(QStringLiteral("500"));
        window->txtPrefix->SetText(QStringLiteral("X"));
        window->butPageWidth->trigger();
        window->mnuExit->trigger();
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_EQ(Setting("SN", "LastNumber"), QStringLiteral("499"));
    EXPECT_EQ(Setting("SN", "PageCount"), QStringLiteral("10"));
    EXPECT_EQ(Setting("SN", "Prefix"), QStringLiteral("X"));
    EXPECT_EQ(Setting("Paper", "HorizontalIndent"), QStringLiteral("1"));
    EXPECT_EQ(Setting("Font", "Name"), QStringLiteral("Arial"));
    EXPECT_EQ(Setting("View", "WholePage"), QStringLiteral("0"));

    auto again = MakeWindow();
    EXPECT_EQ(again->txtStartingSN->Text(), QStringLiteral("500"));
    EXPECT_EQ(again->txtPrefix->Text(), QStringLiteral("X"));
    EXPECT_EQ(again->Preview1->ViewMode(), vmPageWidth);
}

TEST_F(StartTest, FileFromScratchHasTheSectionsInOrder)
{
    {
        auto window = MakeWindow();
        window->close();
    }
    const QString text = apptest::ReadText(settingsPath_);
    const qsizetype sn = text.indexOf(QStringLiteral("[SN]"));
    const qsizetype paper = text.indexOf(QStringLiteral("[Paper]"));
    const qsizetype font = text.indexOf(QStringLiteral("[Font]"));
    const qsizetype view = text.indexOf(QStringLiteral("[View]"));
    ASSERT_GE(sn, 0);
    EXPECT_LT(sn, paper);
    EXPECT_LT(paper, font);
    EXPECT_LT(font, view);
    EXPECT_TRUE(text.startsWith(QStringLiteral("[SN]\r\nLastNumber=0\r\nPageCount=10\r\nPrefix=\r\nSuffix=\r\n")));
}

} // namespace
