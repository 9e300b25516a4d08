#include "app/FontDialog.h"

#include "support_app.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QValidator>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

QListView* FamilyList(TFontDialog& dialog)
{
    // The chooser's lists in order: family, style, size.
    const auto lists = dialog.Chooser()->findChildren<QListView*>();
    return lists.isEmpty() ? nullptr : lists.first();
}

QLineEdit* SizeEdit(TFontDialog& dialog)
{
    for (QLineEdit* edit : dialog.Chooser()->findChildren<QLineEdit*>())
        if (qobject_cast<const QIntValidator*>(edit->validator()))
            return edit;
    return nullptr;
}

void ClickOk(TFontDialog& dialog)
{
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

class FontDialog : public testing::Test {
protected:
    void SetUp() override { apptest::EnsureApplication(); }
};

struct ClosingKey {
    const char* name;
    Qt::Key key;
    QDialog::DialogCode result;
};

class FontDialogKeys : public testing::TestWithParam<ClosingKey> {
protected:
    void SetUp() override { apptest::EnsureApplication(); }
};

// The dialog is kept for reuse: a key that closes the chooser must close all of it and
// leave it whole for the next time.
TEST_P(FontDialogKeys, KeyInTheFamilyListClosesTheWholeDialog)
{
    TFontDialog dialog;
    for (int round = 0; round < 2; ++round) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_TRUE(dialog.Chooser()->isVisible()) << "round " << round;
        QListView* list = FamilyList(dialog);
        ASSERT_NE(list, nullptr);
        list->setFocus();
        QTest::keyClick(list, GetParam().key);
        EXPECT_FALSE(dialog.isVisible()) << "round " << round;
        EXPECT_EQ(dialog.result(), GetParam().result) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FontDialogKeys,
    testing::Values(ClosingKey { "EscapeCancels", Qt::Key_Escape, QDialog::Rejected },
        ClosingKey { "EnterConfirms", Qt::Key_Return, QDialog::Accepted }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FontDialog, ConfirmedUnchangedKeepsTheChosenNameAndHintsAtTheDrawingFace)
{
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(12);
    const QString drawing = QFontInfo(arial).family();
    if (drawing == QLatin1String("Arial"))
        GTEST_SKIP() << "Arial is installed here, not an alias";

    TFontDialog dialog;
    dialog.SetCurrentFont(arial);
    dialog.show();
    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.CurrentFont().family().toStdString(), "Arial");
    EXPECT_EQ(dialog.CurrentFont().pointSize(), 12);
    auto* hint = dialog.findChild<QLabel*>(QStringLiteral("FaceHint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisibleTo(&dialog));
    EXPECT_TRUE(hint->text().contains(drawing)) << hint->text().toStdString();

    // Another face picked in the list is what comes back, with no hint.
    QListView* list = FamilyList(dialog);
    dialog.show();
    const QModelIndexList serif = list->model()->match(list->model()->index(0, 0),
        Qt::DisplayRole, QStringLiteral("DejaVu Serif"), 1, Qt::MatchExactly);
    ASSERT_EQ(serif.size(), 1);
    list->scrollTo(serif.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(serif.first()).center());
    EXPECT_FALSE(hint->isVisibleTo(&dialog));
    ClickOk(dialog);
    EXPECT_EQ(dialog.CurrentFont().family().toStdString(), "DejaVu Serif");
}

TEST_F(FontDialog, SizeBoxTakesAnySize)
{
    TFontDialog dialog;
    dialog.SetCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    dialog.show();
    QLineEdit* size = SizeEdit(dialog);
    ASSERT_NE(size, nullptr);
    QTest::mouseClick(size, Qt::LeftButton);
    size->selectAll();
    QTest::keyClicks(size, QStringLiteral("30000"));
    EXPECT_EQ(size->text().toStdString(), "30000");
    ClickOk(dialog);
    EXPECT_EQ(dialog.CurrentFont().pointSize(), 30000);
}

} // namespace
