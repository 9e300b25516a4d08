#include "app/Icons.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

int opaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

class IconsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "test";
            static char* argv[] = { name, nullptr };
            new QApplication(argc, argv);
        }
    }
};

TEST_F(IconsTest, EveryImageHasAPictureAtEverySize)
{
    for (int index = 0; index < icons::ImageCount; ++index) {
        const QIcon icon = icons::ImageListIcon(index);
        ASSERT_FALSE(icon.isNull()) << "image " << index;
        for (int size : { 16, 32, 64 }) {
            const QImage image = icon.pixmap(size, size).toImage();
            EXPECT_EQ(image.size(), QSize(size, size)) << "image " << index;
            // Something is drawn, and the corners of the square are not all filled.
            const int drawn = opaquePixels(image);
            EXPECT_GT(drawn, size * size / 10) << "image " << index << " at " << size;
            EXPECT_LT(drawn, size * size) << "image " << index << " at " << size;
        }
    }
}

TEST_F(IconsTest, TheShownPicturesAreAllDifferent)
{
    const int shown[] = { icons::PrintImage, icons::ExitImage, icons::NextPageImage,
                          icons::PrevPageImage, icons::PageWidthImage, icons::WholePageImage,
                          icons::FontImage, icons::PrintSetupImage };
    for (int a : shown) {
        for (int b : shown) {
            if (a < b) {
                EXPECT_NE(icons::ImageListIcon(a).pixmap(32, 32).toImage(),
                          icons::ImageListIcon(b).pixmap(32, 32).toImage())
                    << a << " and " << b;
            }
        }
    }
}

} // namespace
