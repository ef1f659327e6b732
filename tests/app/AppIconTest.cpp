// The application's icon: drawn sharp at every hicolor size, transparent around its rounded
// square, and given to the windows.

#include "AppIcon.h"

#include <gtest/gtest.h>

using namespace morlith;

namespace {

TEST(AppIcon, RendersAtEverySizeWithATransparentGround)
{
    for (const int size : kAppIconSizes) {
        const QImage icon = RenderAppIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "corner at " << size;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << "centre at " << size;
        // Between the top edge and the chip's pins: the green ground.
        const QRgb ground = icon.pixel(size / 2, qRound(size * 0.09));
        EXPECT_GT(qGreen(ground), qRed(ground) + 40) << "green ground at " << size;
    }
    EXPECT_TRUE(RenderAppIcon(0).isNull());
}

TEST(AppIcon, OffersEverySize)
{
    QList<QSize> sizes = AppIcon().availableSizes();
    for (const int size : kAppIconSizes)
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

} // namespace
