#include "TestApplication.h"
#include "install/support_install.h"

#include "app/About.h"
#include "app/Icons.h"
#include "app/Tallyforge.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>


using namespace install;

namespace {

// The picture the install puts in the icon theme for this size, as the build rendered it.
QImage RenderedIcon(int size)
{
    return QImage(QStringLiteral("%1/data/icons/%2x%2/%3.png").arg(BinaryDir()).arg(size).arg(kAppId))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage Picture(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }

class ProgramIcon : public testing::TestWithParam<int> { };

TEST_P(ProgramIcon, CarriesTheInstalledPictureOfEachSize)
{
    const int size = GetParam();
    const QImage installed = RenderedIcon(size);
    ASSERT_FALSE(installed.isNull());
    const QIcon icon = icons::ProgramIcon();
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    EXPECT_TRUE(Picture(icon.pixmap(QSize(size, size))) == installed);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIcon, testing::ValuesIn(IconSizes()),
    [](const auto& info) { return "Px" + std::to_string(info.param); });

TEST(ProgramIconShown, ByTheMainWindowAndTheAboutBox)
{
    QTemporaryDir dir;
    TfrmTallyforge window(nullptr, dir.filePath(QStringLiteral("Tallyforge.ini")));
    EXPECT_TRUE(Picture(window.windowIcon().pixmap(QSize(48, 48))) == RenderedIcon(48));
    EXPECT_TRUE(Picture(window.windowIcon().pixmap(QSize(16, 16))) == RenderedIcon(16));

    TAboutBox box(&window, TVersionInfo());
    EXPECT_TRUE(Picture(box.ProgramIcon->pixmap()) == RenderedIcon(32));
}

} // namespace
