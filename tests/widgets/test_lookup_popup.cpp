#include "value_edit_testing.h"

#include <gtest/gtest.h>

#include <QListWidget>

namespace {

class LookupPopup : public ::testing::Test {
protected:
    void SetUp() override
    {
        field->Lookup().SetEnabled(true);
        field->Lookup().SetNumChars(2);
        field->Lookup().SetDisplayList({"Berlin", "Bern", "Paris"});
        w.FocusAt(0);
    }

    bool PopupShown() const { return field->LookupPopup() && field->LookupPopup()->isVisible(); }

    QStringList Rows() const
    {
        QStringList rows;
        QListWidget* list = field->LookupPopup()->ListControl();
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        return rows;
    }

    valueedit_testing::Window w;
    TValueEdit* field = w.edit;
};

TEST_F(LookupPopup, AppearsAtNumCharsWithTheMatchesAndReturnTakesTheHighlighted)
{
    QTest::keyClicks(field, "b");
    EXPECT_FALSE(PopupShown());
    QTest::keyClicks(field, "e");
    ASSERT_TRUE(PopupShown());
    EXPECT_EQ(Rows(), (QStringList{"Berlin", "Bern"}));
    EXPECT_EQ(field->LookupPopup()->CurrentRow(), 0);
    EXPECT_EQ(field->LookupPopup()->height(), 2 * 12 + 4);
    EXPECT_EQ(field->LookupPopup()->geometry().topLeft(),
              field->mapToGlobal(QPoint(16, field->height() - 6)));

    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(PopupShown());
    EXPECT_EQ(field->Text(), "Berlin");
    EXPECT_EQ(field->selectedText(), "Berlin");
}

TEST_F(LookupPopup, HidesWhenNothingMatchesOrTheTextGetsShort)
{
    QTest::keyClicks(field, "bex");
    EXPECT_FALSE(PopupShown());
    field->selectAll();
    QTest::keyClicks(field, "pa");
    EXPECT_TRUE(PopupShown());
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_FALSE(PopupShown());
}

TEST_F(LookupPopup, ValueListAndOnLookupSelectDecideTheValue)
{
    field->Lookup().SetValueList({"BER", "BRN"});
    QString told;
    field->OnLookupSelect = [&](TValueEdit*, QString& value) {
        told = value;
        value += "!";
    };
    QTest::keyClicks(field, "be");
    QTest::keyClick(field, Qt::Key_End); // Bern, index 1 in the display list
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(told, "BRN");
    EXPECT_EQ(field->Text(), "BRN!");
}

TEST_F(LookupPopup, KeysMoveTheHighlightByDisplayCount)
{
    QStringList many;
    for (int i = 0; i < 10; ++i)
        many << QString("Item %1").arg(i);
    field->Lookup().SetDisplayList(many);
    QTest::keyClicks(field, "it");
    ASSERT_TRUE(PopupShown());
    TListHintWindow* popup = field->LookupPopup();
    EXPECT_EQ(popup->height(), 4 * 12 + 4);
    QTest::keyClick(field, Qt::Key_PageDown);
    EXPECT_EQ(popup->CurrentRow(), 4);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(popup->CurrentRow(), 5);
    QTest::keyClick(field, Qt::Key_PageUp);
    EXPECT_EQ(popup->CurrentRow(), 1);
    QTest::keyClick(field, Qt::Key_PageUp);
    EXPECT_EQ(popup->CurrentRow(), 0);
    QTest::keyClick(field, Qt::Key_End);
    EXPECT_EQ(popup->CurrentRow(), 9);
    QTest::keyClick(field, Qt::Key_PageDown);
    EXPECT_EQ(popup->CurrentRow(), 9);
    QTest::keyClick(field, Qt::Key_Home);
    EXPECT_EQ(popup->CurrentRow(), 0);
    EXPECT_EQ(field->Text(), "it"); // the keys went to the pop-up only
}

TEST_F(LookupPopup, LeavingTheFieldHidesThePopup)
{
    QTest::keyClicks(field, "be");
    ASSERT_TRUE(PopupShown());
    w.Leave();
    EXPECT_FALSE(PopupShown());
}

TEST_F(LookupPopup, MouseReleaseOverAnEntryTakesIt)
{
    QTest::keyClicks(field, "be");
    ASSERT_TRUE(PopupShown());
    QListWidget* list = field->LookupPopup()->ListControl();
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(field->Text(), "Bern");
    EXPECT_FALSE(PopupShown());
}

TEST_F(LookupPopup, DisabledLookupNeverShows)
{
    field->Lookup().SetEnabled(false);
    QTest::keyClicks(field, "be");
    EXPECT_FALSE(PopupShown());
}

} // namespace
