#include "value_edit_testing.h"
#include "widgets/HistoryEdit.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

// A window with two history fields and a plain edit to move the focus to.
class HistoryField : public ::testing::Test {
protected:
    void SetUp() override
    {
        valueedit_testing::App();
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        field = new THistoryEdit(window.get());
        field->setObjectName("txtField");
        field->SetAutoHistory(true);
        second = new THistoryEdit(window.get());
        other = new QLineEdit(window.get());
        layout->addWidget(field);
        layout->addWidget(second);
        layout->addWidget(other);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        Focus(field);
    }

    static void Focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    // Types into the field and leaves it for the plain edit.
    void LeaveWith(const QString& value)
    {
        Focus(field);
        field->SetText(value);
        Focus(other);
    }

    std::unique_ptr<QWidget> window;
    THistoryEdit* field = nullptr;
    THistoryEdit* second = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(HistoryField, LeavingAddsEachValueOnceIgnoringCaseButNeverAnEmptyOne)
{
    QStringList told;
    field->OnAddToHistory = [&](THistoryEdit*, const QString& s) { told << s; };
    LeaveWith("100");
    LeaveWith("abc");
    LeaveWith("ABC");
    LeaveWith("");
    EXPECT_EQ(field->LookupItems(), (QStringList{"100", "abc"}));
    EXPECT_EQ(told, (QStringList{"100", "abc"}));
}

TEST_F(HistoryField, WithoutAutoHistoryNothingIsAdded)
{
    field->SetAutoHistory(false);
    LeaveWith("100");
    EXPECT_TRUE(field->LookupItems().isEmpty());
}

TEST_F(HistoryField, HistorySeesTheReformattedValue)
{
    field->SetEditType(etFloat);
    field->SetPrecision(2);
    Focus(field);
    field->selectAll();
    QTest::keyClicks(field, "2");
    Focus(other);
    EXPECT_EQ(field->LookupItems(), (QStringList{"2.00"}));
}

TEST_F(HistoryField, DigitCompletesToTheEntryWithTheTailSelected)
{
    field->SetEditType(etNumeric);
    field->SetLookupItems({"100"});
    field->selectAll();
    QTest::keyClicks(field, "1");
    EXPECT_EQ(field->text(), "100");
    EXPECT_EQ(field->selectedText(), "00");
    EXPECT_EQ(field->cursorPosition(), 3);
    EXPECT_TRUE(field->Modified());

    QTest::keyClicks(field, "5");
    EXPECT_EQ(field->text(), "15");
    EXPECT_FALSE(field->hasSelectedText());
}

TEST_F(HistoryField, BackspaceAndDeleteNeverComplete)
{
    field->SetLookupItems({"100"});
    field->SetText("10");
    field->setCursorPosition(2);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "1");
    field->SetText("10");
    field->setCursorPosition(1);
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->text(), "1");
    EXPECT_FALSE(field->hasSelectedText());
}

TEST_F(HistoryField, TypedPartKeepsTheUsersCase)
{
    field->SetLookupItems({"Alpha"});
    QTest::keyClicks(field, "al");
    EXPECT_EQ(field->text(), "alpha");
    EXPECT_EQ(field->selectedText(), "pha");
}

TEST_F(HistoryField, MatchCaseCompletesOnlyTheSameCase)
{
    field->SetMatchCase(true);
    field->SetLookupItems({"Alpha"});
    QTest::keyClicks(field, "al");
    EXPECT_EQ(field->text(), "al");
    field->SetText("");
    QTest::keyClicks(field, "Al");
    EXPECT_EQ(field->text(), "Alpha");
}

TEST_F(HistoryField, ReturnTakesTheStoredSpelling)
{
    field->SetLookupItems({"Alpha"});
    field->SetText("ALPHA");
    field->setCursorPosition(5);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), "Alpha");
}

TEST_F(HistoryField, ReturnAfterBackspaceDoesNotCompleteAgain)
{
    field->SetLookupItems({"abc", "ab"});
    QTest::keyClicks(field, "ab");
    EXPECT_EQ(field->selectedText(), "c");
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), "ab");
    EXPECT_FALSE(field->hasSelectedText());
}

TEST_F(HistoryField, AutoCompleteMayChangeTheTail)
{
    field->SetLookupItems({"Berlin"});
    int seenIndex = -2;
    field->AutoComplete = [&](THistoryEdit*, const QString& head, QString& tail, int idx) {
        seenIndex = idx;
        EXPECT_EQ(head, "b");
        tail = tail.toUpper();
    };
    QTest::keyClicks(field, "b");
    EXPECT_EQ(seenIndex, 0);
    EXPECT_EQ(field->text(), "bERLIN");
    EXPECT_EQ(field->selectedText(), "ERLIN");
}

TEST_F(HistoryField, RefusedAcceptKeepsTheFocusAndAddsNothing)
{
    int exits = 0;
    QString seen;
    int seenIndex = -2;
    field->OnExit = [&](TValueEdit*) { ++exits; };
    field->Accept = [&](THistoryEdit*, const QString& s, int idx, bool& accept) {
        seen = s;
        seenIndex = idx;
        accept = false;
    };
    QTest::keyClicks(field, "xyz");
    QTest::keyClick(field, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_TRUE(field->LookupItems().isEmpty());
    EXPECT_EQ(seen, "xyz");
    EXPECT_EQ(seenIndex, -1);
    EXPECT_EQ(exits, 0);
}

struct RefusalRow {
    const char* name;
    bool otherRefusesToo;
};

class RefusedExit : public HistoryField, public ::testing::WithParamInterface<RefusalRow> {};

// The field that refuses takes the focus back once; the field that was about to get the
// focus runs none of its sequences, and two refusing fields do not fight for ever.
TEST_P(RefusedExit, OnlyTheRefusingFieldActs)
{
    second->SetEditType(etFloat);
    second->SetPrecision(2);
    second->SetText("1.5");
    second->SetAutoHistory(true);
    int fieldAsked = 0, fieldEnters = 0, fieldExits = 0;
    int secondAsked = 0, secondEnters = 0, secondExits = 0;
    field->Accept = [&](THistoryEdit*, const QString&, int, bool& accept) {
        ++fieldAsked;
        accept = false;
    };
    second->Accept = [&](THistoryEdit*, const QString&, int, bool& accept) {
        ++secondAsked;
        accept = !GetParam().otherRefusesToo;
    };
    field->OnEnter = [&](TValueEdit*) { ++fieldEnters; };
    field->OnExit = [&](TValueEdit*) { ++fieldExits; };
    second->OnEnter = [&](TValueEdit*) { ++secondEnters; };
    second->OnExit = [&](TValueEdit*) { ++secondExits; };

    QTest::keyClicks(field, "abc");
    QTest::keyClick(field, Qt::Key_Tab);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(fieldAsked, 1);
    EXPECT_EQ(fieldExits, 0);
    EXPECT_EQ(fieldEnters, 0); // it never left
    EXPECT_EQ(secondAsked, 0);
    EXPECT_EQ(secondEnters, 0);
    EXPECT_EQ(secondExits, 0);
    EXPECT_TRUE(second->LookupItems().isEmpty());
    EXPECT_FALSE(second->Modified()); // no re-format on its way out
    EXPECT_EQ(second->Text(), "1.50");

    // Once the veto is lifted the focus moves on as usual.
    field->Accept = nullptr;
    QTest::keyClick(field, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), second);
    EXPECT_EQ(fieldExits, 1);
    EXPECT_EQ(secondEnters, 1);
}

INSTANTIATE_TEST_SUITE_P(Fields, RefusedExit,
                         ::testing::Values(RefusalRow{"OtherFieldAccepts", false},
                                           RefusalRow{"OtherFieldRefusesToo", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HistoryField, AcceptedExitFiresOnExitAndTellsTheIndex)
{
    field->SetLookupItems({"a", "xyz"});
    int seenIndex = -2, exits = 0;
    field->OnExit = [&](TValueEdit*) { ++exits; };
    field->Accept = [&](THistoryEdit*, const QString&, int idx, bool&) { seenIndex = idx; };
    LeaveWith("XYZ");
    EXPECT_EQ(seenIndex, 1);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(field->LookupItems().size(), 2);
}

TEST_F(HistoryField, SynchronizedFieldsShareTheWholeHistory)
{
    field->SetAutoSynchronize(true);
    second->SetAutoHistory(true);
    second->SetAutoSynchronize(true);
    second->SetLookupItems({"old"});
    auto* elsewhere = new THistoryEdit(window.get());
    elsewhere->SetAutoHistory(true);
    elsewhere->SetAutoSynchronize(true);
    elsewhere->LookupPersist().SetSection("Other");
    field->SetLookupItems({"first"});
    LeaveWith("second");
    EXPECT_EQ(second->LookupItems(), (QStringList{"first", "second"}));
    EXPECT_TRUE(elsewhere->LookupItems().isEmpty());
}

TEST_F(HistoryField, FileNamesCompleteWhenTheHistoryIsEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("report.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    field->SetFileLookup(true);
    const QString typed = dir.path() + "/Re";
    field->SetText(typed);
    field->setCursorPosition(int(typed.size()));
    field->CompleteFromHistory();
    EXPECT_EQ(field->text(), dir.path() + "/report.txt");
    EXPECT_EQ(field->selectedText(), "port.txt");

    field->SetFileLookup(false);
    field->SetText(typed);
    field->CompleteFromHistory();
    EXPECT_EQ(field->text(), typed);
}

// --- the stores while the form loads ------------------------------------------------------

struct DesignRow {
    const char* name;
    bool loaded; // put through the form's loading, or only created in code
    void (*design)(THistoryEdit&);
};

class StoreWhileLoading : public ::testing::TestWithParam<DesignRow> {};

// Settings that re-create the field's window must not write the design's text and an
// empty history over the store before it has been read.
TEST_P(StoreWhileLoading, DesignSettingsLeaveTheStoreAlone)
{
    valueedit_testing::App();
    QTemporaryDir dir;
    const QString ini = dir.filePath("fields.ini");
    const QByteArray stored = "[Values]\r\ntxtPrefix=stored\r\n[History]\r\nItem1=A-\r\nItem2=B-\r\n";
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    {
        THistoryEdit field;
        if (GetParam().loaded)
            field.SetLoading(true);
        field.setObjectName("txtPrefix");
        field.Persistence().SetEnable(true);
        field.Persistence().SetKey(ini);
        field.Persistence().SetSection("Values");
        field.LookupPersist().SetEnable(true);
        field.LookupPersist().SetKey(ini);
        field.LookupPersist().SetSection("History");
        field.SetText("design");
        GetParam().design(field);
        if (GetParam().loaded) {
            field.Loaded();
            EXPECT_EQ(field.text(), "stored");
            EXPECT_EQ(field.LookupItems(), (QStringList{"A-", "B-"}));
        }
    }
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    if (GetParam().loaded) {
        EXPECT_TRUE(after.contains("txtPrefix=stored")) << after.constData();
        EXPECT_TRUE(after.contains("Item2=B-")) << after.constData();
    } else {
        EXPECT_EQ(after, stored); // never read, so never written
    }
}

INSTANTIATE_TEST_SUITE_P(
    Designs, StoreWhileLoading,
    ::testing::Values(DesignRow{"EditAlign", true, [](THistoryEdit& f) { f.SetEditAlign(eaRight); }},
                      DesignRow{"CanUndo", true, [](THistoryEdit& f) { f.SetCanUndo(false); }},
                      DesignRow{"Password", true, [](THistoryEdit& f) { f.SetEditType(etPassword); }},
                      DesignRow{"EditAlignOfAFieldNeverLoaded", false,
                                [](THistoryEdit& f) { f.SetEditAlign(eaCenter); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
