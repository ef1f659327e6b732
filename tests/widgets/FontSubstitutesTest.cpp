// SPDX-License-Identifier: MIT
#include "FontSubstitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <gtest/gtest.h>

using namespace morlith;

namespace {

TEST(FontSubstitutes, FormFontsResolveToInstalledFacesAtTheSamePixelSize)
{
    InstallFontSubstitutes();
    const QStringList installed = QFontDatabase::families();
    for (const char *family : {"Consolas", "Tahoma"}) {
        QFont font(QString::fromLatin1(family));
        font.setPixelSize(13);
        const QFontInfo info(font);
        EXPECT_TRUE(installed.contains(info.family())) << family << " -> " << qPrintable(info.family());
        EXPECT_EQ(info.pixelSize(), 13) << family;
    }
    QFont mono(QStringLiteral("Consolas"));
    EXPECT_TRUE(QFontInfo(mono).fixedPitch());
}

} // namespace
