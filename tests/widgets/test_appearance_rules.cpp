#include "widgets/EditAppearance.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

struct AddressRow {
    const char* name;
    QString value;
    bool address;
    QString open;
    int selectionStart;
};

class Addresses : public ::testing::TestWithParam<AddressRow> {};

TEST_P(Addresses, RecognisedOpenedAndSelected)
{
    const AddressRow& r = GetParam();
    EXPECT_EQ(appearance::LooksLikeAddress(r.value), r.address);
    if (r.address) {
        EXPECT_EQ(appearance::AddressToOpen(r.value), r.open);
    }
    EXPECT_EQ(appearance::AddressSelectionStart(r.value), r.selectionStart);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Addresses,
    ::testing::Values(AddressRow{"WebAddress", "https://example.org", true, "https://example.org", 8},
                      AddressRow{"MailtoAddress", "mailto:ann@example.org", true, "mailto:ann@example.org", 7},
                      AddressRow{"BareMailGetsMailto", "ann@example.org", true, "mailto:ann@example.org", 0},
                      AddressRow{"AtFirstIsNoAddress", "@home", false, "", 0},
                      AddressRow{"PlainText", "Serial 42", false, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlatGeometry, LinesStartTwoLeftAndFourAboveTheText)
{
    const QRect field(0, 0, 100, 21);
    const QRect text = field.marginsRemoved(appearance::FlatTextMargins());
    EXPECT_EQ(text, QRect(2, 4, 96, 13));
    EXPECT_EQ(appearance::SoftBorderFrame(field, text), QRect(0, 0, 100, 21));
    EXPECT_EQ(appearance::FlatUnderline(field, text), QLine(0, 20, 99, 20));
}

QImage Blank()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(FlatPainting, UnderlineOnlyOnTheBottomRow)
{
    QImage image = Blank();
    {
        QPainter painter(&image);
        appearance::PaintFlatLine(painter, image.rect(), image.rect().adjusted(2, 4, -2, -4), Qt::red, false);
    }
    EXPECT_EQ(image.pixelColor(0, 19), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(39, 19), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(39, 10), QColor(Qt::white));
}

TEST(FlatPainting, SoftBorderFramesTheField)
{
    QImage image = Blank();
    {
        QPainter painter(&image);
        appearance::PaintFlatLine(painter, image.rect(), image.rect().adjusted(2, 4, -2, -4), Qt::red, true);
    }
    for (const QPoint& p : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 19), QPoint(39, 19), QPoint(20, 0)})
        EXPECT_EQ(image.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixelColor(20, 10), QColor(Qt::white));
}

TEST(FocusBorderPainting, SunkenEdgeWithButtonFaceInsideWhenHighlighted)
{
    const appearance::BorderColors colors{Qt::darkGray, Qt::white, Qt::lightGray, Qt::green};
    QImage image = Blank();
    image.fill(Qt::blue);
    {
        QPainter painter(&image);
        appearance::PaintFocusBorder(painter, image.rect(), true, colors);
    }
    EXPECT_EQ(image.pixelColor(10, 0), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(0, 10), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(10, 19), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(39, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 1), QColor(Qt::lightGray));
    EXPECT_EQ(image.pixelColor(38, 10), QColor(Qt::lightGray));
    EXPECT_EQ(image.pixelColor(10, 2), QColor(Qt::blue));
}

TEST(FocusBorderPainting, TwoParentColouredFramesOtherwise)
{
    const appearance::BorderColors colors{Qt::darkGray, Qt::white, Qt::lightGray, Qt::green};
    QImage image = Blank();
    {
        QPainter painter(&image);
        appearance::PaintFocusBorder(painter, image.rect(), false, colors);
    }
    EXPECT_EQ(image.pixelColor(10, 0), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(10, 1), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(39, 19), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(10, 2), QColor(Qt::white));
}

} // namespace
