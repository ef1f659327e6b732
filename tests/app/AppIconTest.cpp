// SPDX-License-Identifier: MIT
// The application's icon: drawn sharp at every hicolor size, transparent around its rounded
// square, and given to the windows; and the Windows .ico file made from its renderings.

#include "AppIcon.h"
#include "IconFile.h"

#include <QBuffer>
#include <QImageReader>

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

TEST(AppIcon, IcoFileHoldsEveryWindowsSizeAsItWasRendered)
{
    QList<QImage> renderings;
    for (const int size : kWindowsIconSizes)
        renderings.append(RenderAppIcon(size));
    QByteArray ico = IcoFile(renderings);
    ASSERT_FALSE(ico.isEmpty());

    // Read back by Qt's own reader of .ico files.
    QBuffer buffer(&ico);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    ASSERT_EQ(reader.imageCount(), renderings.size()) << reader.errorString().toStdString();
    for (qsizetype i = 0; i < renderings.size(); ++i) {
        ASSERT_TRUE(reader.jumpToImage(int(i)));
        const QImage back = reader.read();
        const int size = renderings[i].width();
        ASSERT_EQ(back.size(), QSize(size, size)) << size;
        EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32),
                  renderings[i].convertToFormat(QImage::Format_ARGB32))
            << "rendering at " << size;
    }
}

TEST(AppIcon, IcoFileRefusesWhatAnIconCannotHold)
{
    const QImage square = RenderAppIcon(16);
    const QImage oblong(16, 8, QImage::Format_ARGB32);
    const QImage tooLarge(512, 512, QImage::Format_ARGB32);
    EXPECT_TRUE(IcoFile({}).isEmpty());
    EXPECT_TRUE(IcoFile({square, QImage()}).isEmpty());
    EXPECT_TRUE(IcoFile({square, oblong}).isEmpty());
    EXPECT_TRUE(IcoFile({tooLarge}).isEmpty());
}

} // namespace
