// SPDX-License-Identifier: MIT
// The forms' pictures: decoding with libjpeg, bad pictures, sharp twins on scaled screens, and
// the file dialogs' filters.

#include "JpegPicture.h"
#include "PictureBox.h"
#include "Pictures.h"
#include "QtDialogs.h"

#include <QBuffer>
#include <QPainter>

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

TEST(JpegPicture, EveryPictureHasATwinAtTwiceItsSize)
{
    for (const char *path : {kChipPicture, kGearsPicture, kDataFilePicture, kSerialPicture,
                             kArrowLeftPicture, kArrowRightPicture}) {
        const QImage picture = LoadJpegPicture(QString::fromLatin1(path));
        const QImage twin = LoadJpegPicture(SharpPicturePath(QString::fromLatin1(path)));
        ASSERT_FALSE(twin.isNull()) << path;
        EXPECT_EQ(twin.size(), picture.size() * 2) << path;
    }
    EXPECT_EQ(SharpPicturePath(":/pictures/chip.jpg"), ":/pictures/chip@2x.jpg");
    EXPECT_EQ(SharpPicturePath("/a.b/picture"), "/a.b/picture@2x");
}

// `box` painted at `scale` device pixels per pixel.
QImage Paint(TPictureBox &box, qreal scale)
{
    QImage image((QSizeF(box.size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    box.render(&image);
    return image;
}

// Mean absolute difference of two images of one size, per channel (0..255).
double MeanDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue());
        }
    return sum / (3.0 * a.width() * a.height());
}

TEST(PictureBox, DrawsTheTwinOnScaledScreens)
{
    for (const auto fit : {TPictureBox::TFit::Stretch, TPictureBox::TFit::Center}) {
        TPictureBox box(nullptr, QRect(0, 0, 52, 52), kChipPicture, fit);
        EXPECT_EQ(&box.PictureFor(1.0), &box.Picture());
        const QImage twin = LoadJpegPicture(SharpPicturePath(kChipPicture));
        const QImage atDouble = Paint(box, 2.0);
        EXPECT_LT(MeanDifference(atDouble, twin.convertToFormat(QImage::Format_RGB32)), 1.0)
            << "at 200 % the twin is drawn pixel for pixel";
        const QImage blownUp = box.Picture().scaled(104, 104, Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation);
        EXPECT_GT(MeanDifference(atDouble, blownUp.convertToFormat(QImage::Format_RGB32)), 2.0)
            << "not the 100 % picture blown up";
        const QImage atOneAndAHalf = Paint(box, 1.5);
        EXPECT_EQ(atOneAndAHalf.size(), QSize(78, 78));
        EXPECT_EQ(&box.PictureFor(1.5), &box.PictureFor(2.0));
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
