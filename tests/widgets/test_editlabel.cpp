// Placement of the caption label and its following of the field.
#include "value_edit_testing.h"

#include "widgets/EditLabel.h"

#include <gtest/gtest.h>

#include <QLabel>

using valueedit_testing::Window;

namespace {

struct PlaceRow {
    const char* name;
    TLabelPosition position;
    QPoint topLeft;
};

class Placement : public ::testing::TestWithParam<PlaceRow> {};

// Field at (100, 50), 80 x 21; label 60 x 13 with a 50 pixel caption; margin 4.
TEST_P(Placement, EachPosition)
{
    const QPoint at = editlabel::LabelTopLeft(GetParam().position, QRect(100, 50, 80, 21),
                                              QSize(60, 13), 50, 4);
    EXPECT_EQ(at, GetParam().topLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Placement,
    ::testing::Values(PlaceRow{"LeftTop", lpLeftTop, {46, 50}},
                      PlaceRow{"LeftCenter", lpLeftCenter, {46, 54}},
                      PlaceRow{"LeftBottom", lpLeftBottom, {46, 58}},
                      PlaceRow{"TopLeft", lpTopLeft, {100, 33}},
                      PlaceRow{"BottomLeft", lpBottomLeft, {100, 75}},
                      PlaceRow{"LeftTopLeft", lpLeftTopLeft, {96, 50}},
                      PlaceRow{"LeftCenterLeft", lpLeftCenterLeft, {96, 54}},
                      PlaceRow{"LeftBottomLeft", lpLeftBottomLeft, {96, 58}},
                      PlaceRow{"TopCenter", lpTopCenter, {110, 33}},
                      PlaceRow{"BottomCenter", lpBottomCenter, {110, 75}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Placement, MainWindowCaptionAboveItsField)
{
    // Field at left 2, top 29, 21 high; label 13 high; margin 4: the label sits at 2, 12.
    EXPECT_EQ(editlabel::LabelTopLeft(lpTopLeft, QRect(2, 29, 121, 21), QSize(63, 13), 63, 4),
              QPoint(2, 12));
}

TEST(Placement, HalvesTruncateTowardZeroWhenTheLabelIsLarger)
{
    // A label 91 wide over a field 80 wide: (80 - 91) / 2 = -5 (not -6).
    EXPECT_EQ(editlabel::LabelTopLeft(lpTopCenter, QRect(10, 40, 80, 21), QSize(91, 13), 91, 4),
              QPoint(5, 23));
    // A label 24 high beside a field 21 high: (21 - 24) / 2 = -1.
    EXPECT_EQ(editlabel::LabelTopLeft(lpLeftCenter, QRect(100, 40, 80, 21), QSize(30, 24), 30, 4),
              QPoint(66, 39));
}

TEST(Label, BelongsToTheFieldsParentAndFocusesTheField)
{
    Window w;
    w.edit->SetLabelPosition(lpTopLeft);
    w.edit->SetLabelCaption("Starting SN");
    QLabel* label = w.edit->Label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), w.top.get());
    EXPECT_EQ(label->buddy(), w.edit);
    EXPECT_EQ(label->pos(), QPoint(2, 29 - label->height() - 4));
}

TEST(Label, NoCaptionNoLabel)
{
    Window w;
    EXPECT_EQ(w.edit->LabelCaption(), "");
    EXPECT_EQ(w.edit->Label(), nullptr);
    w.edit->SetLabelPosition(lpBottomLeft);
    EXPECT_EQ(w.edit->Label(), nullptr);
}

TEST(Label, FollowsMovesResizesAndVisibility)
{
    Window w;
    w.edit->SetLabelPosition(lpBottomCenter);
    w.edit->SetLabelCaption("A rather long caption for a narrow field");
    QLabel* label = w.edit->Label();
    w.edit->setGeometry(40, 10, 50, 21);
    EXPECT_EQ(label->y(), 10 + 21 + 4);
    EXPECT_EQ(label->x(), 40 + (50 - label->width()) / 2);
    EXPECT_LT(label->x(), 40); // centred, extending on both sides
    w.edit->SetLabelMargin(10);
    EXPECT_EQ(label->y(), 41);
    EXPECT_TRUE(label->isVisible());
    w.edit->hide();
    EXPECT_FALSE(label->isVisible());
    w.edit->show();
    EXPECT_TRUE(label->isVisible());
}

TEST(Label, LeftPositionsMeasureTheCaption)
{
    Window w;
    w.edit->setGeometry(150, 30, 80, 21);
    w.edit->SetLabelCaption("Prefix");
    QLabel* label = w.edit->Label();
    const int width = label->fontMetrics().horizontalAdvance("Prefix");
    EXPECT_EQ(label->pos(), QPoint(150 - width - 4, 30));
    w.edit->SetLabelPosition(lpLeftTopLeft);
    EXPECT_EQ(label->pos(), QPoint(146, 30));
}

TEST(Label, FontAndTransparencyAreApplied)
{
    Window w;
    w.edit->SetLabelCaption("Suffix");
    QFont big = w.edit->LabelFont();
    big.setPointSize(20);
    w.edit->SetLabelPosition(lpTopLeft);
    w.edit->SetLabelFont(big);
    QLabel* label = w.edit->Label();
    EXPECT_EQ(label->font().pointSize(), 20);
    EXPECT_EQ(label->y(), 29 - label->height() - 4); // placed by its new size
    EXPECT_TRUE(label->autoFillBackground());
    w.edit->SetLabelTransparent(true);
    EXPECT_FALSE(label->autoFillBackground());
}

TEST(Label, BoldExactlyWhileFocused)
{
    Window w;
    w.edit->SetFocusLabel(true);
    w.edit->SetLabelCaption("Page Count");
    EXPECT_FALSE(w.edit->Label()->font().bold());
    w.FocusAt(0);
    EXPECT_TRUE(w.edit->Label()->font().bold());
    w.edit->move(5, 35);
    EXPECT_TRUE(w.edit->Label()->font().bold());
    w.Leave();
    EXPECT_FALSE(w.edit->Label()->font().bold());
}

TEST(Label, GoesWithTheField)
{
    Window w;
    w.edit->SetLabelCaption("Gone");
    QPointer<QLabel> label = w.edit->Label();
    delete w.edit;
    w.edit = nullptr;
    EXPECT_TRUE(label.isNull());
}

} // namespace
