// The forms' pictures: decoding with libjpeg, bad pictures, and the file dialogs' filters.

#include "JpegPicture.h"
#include "Pictures.h"
#include "QtDialogs.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace morlith;

namespace {

TEST(JpegPicture, EveryPictureOfTheFormsDecodesAtItsSize)
{
    const std::pair<const char *, int> pictures[] = {
        {kChipPicture, 52}, {kGearsPicture, 48}, {kDataFilePicture, 48},
        {kSerialPicture, 48}, {kArrowLeftPicture, 30}, {kArrowRightPicture, 30}};
    for (const auto &[path, size] : pictures) {
        const QImage image = LoadJpegPicture(QString::fromLatin1(path));
        ASSERT_FALSE(image.isNull()) << path;
        EXPECT_EQ(image.size(), QSize(size, size)) << path;
        EXPECT_NE(image.pixel(0, 0), image.pixel(size / 2, size / 2)) << path << " is blank";
    }
}

TEST(JpegPicture, DecodesColoursFaithfully)
{
    QImage source(16, 8, QImage::Format_RGB32);
    source.fill(QColor(30, 140, 200));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(source.save(&buffer, "JPG", 95));
    const QImage decoded = DecodeJpeg(buffer.data());
    ASSERT_EQ(decoded.size(), source.size());
    const QColor pixel = decoded.pixelColor(8, 4);
    EXPECT_NEAR(pixel.red(), 30, 3);
    EXPECT_NEAR(pixel.green(), 140, 3);
    EXPECT_NEAR(pixel.blue(), 200, 3);
}

TEST(JpegPicture, WhatIsNotAJpegGivesNoPicture)
{
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("plain text, not a picture")).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("\xFF\xD8\xFF\xE0 truncated header")).isNull());
    EXPECT_TRUE(LoadJpegPicture(QStringLiteral(":/pictures/none.jpg")).isNull());
}

TEST(QtFileFilter, NamesThePatternOnce)
{
    EXPECT_EQ(QtFileFilter("ORVEL MCU Application|*.xml"), "ORVEL MCU Application (*.xml)");
    EXPECT_EQ(QtFileFilter("Binary (*.bin)|*.bin"), "Binary (*.bin)");
    EXPECT_EQ(QtFileFilter("*.txt"), "*.txt");
}

} // namespace
