#include "TestApplication.h"
#include "install/support_install.h"

#include "app/About.h"
#include "app/Icons.h"
#include "app/Tallyforge.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>

using namespace install;

namespace {

// The picture the install puts in the icon theme for this size, as the build rendered it.
QImage RenderedIcon(int size)
{
    return QImage(QStringLiteral("%1/data/icons/%2x%2/%3.png").arg(BinaryDir()).arg(size).arg(kAppId))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage Picture(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }

// Empty when the two pictures are the same, else how they differ.
std::string Difference(const QImage& shown, const QImage& expected)
{
    if (shown.size() != expected.size())
        return QStringLiteral("%1x%2 shown, %3x%4 expected")
            .arg(shown.width()).arg(shown.height()).arg(expected.width()).arg(expected.height())
            .toStdString();
    int pixels = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            pixels += shown.pixel(x, y) != expected.pixel(x, y);
    return pixels == 0 ? std::string() : std::to_string(pixels) + " pixels differ";
}

class ProgramIcon : public testing::TestWithParam<int> { };

TEST_P(ProgramIcon, CarriesTheInstalledPictureOfEachSize)
{
    const int size = GetParam();
    const QImage installed = RenderedIcon(size);
    ASSERT_FALSE(installed.isNull());
    const QIcon icon = icons::ProgramIcon();
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    EXPECT_EQ(Difference(Picture(icon.pixmap(QSize(size, size))), installed), "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIcon, testing::ValuesIn(IconSizes()),
    [](const auto& info) { return "Px" + std::to_string(info.param); });

TEST(ProgramIconShown, ByTheMainWindowAndTheAboutBox)
{
    QTemporaryDir dir;
    TfrmTallyforge window(nullptr, dir.filePath(QStringLiteral("Tallyforge.ini")));
    EXPECT_EQ(Difference(Picture(window.windowIcon().pixmap(QSize(48, 48))), RenderedIcon(48)), "");
    EXPECT_EQ(Difference(Picture(window.windowIcon().pixmap(QSize(16, 16))), RenderedIcon(16)), "");

    TAboutBox box(&window, TVersionInfo());
    EXPECT_EQ(Difference(Picture(box.ProgramIcon->pixmap()), RenderedIcon(32)), "");
}

} // namespace
