// SPDX-License-Identifier: MIT
// morlith-draw-pictures DIR: paints the forms' pictures and saves them as JPEG files in DIR, at
// their size on the forms and at twice that size.

#include "Painters.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <functional>
#include <utility>

using namespace morlith::pictures;

namespace {

// JPEG quality of the saved pictures (0..100).
constexpr int kQuality = 92;

struct TPicture {
    const char *name;
    // Paints the picture at `scale` times its size on the form.
    std::function<QImage(int scale)> paint;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: morlith-draw-pictures DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const TPicture pictures[] = {
        {"chip", [](int scale) { return PaintChip(52 * scale); }},
        {"gears", [](int scale) { return PaintGears(48 * scale); }},
        {"datafile", [](int scale) { return PaintDataFile(48 * scale); }},
        {"serial", [](int scale) { return PaintSerialPlug(48 * scale); }},
        {"arrow-left", [](int scale) { return PaintArrow(30 * scale, true); }},
        {"arrow-right", [](int scale) { return PaintArrow(30 * scale, false); }},
    };
    // Each picture at its size on the form, and twice that for screens scaled above 100 %.
    const std::pair<int, const char *> scales[] = {{1, ".jpg"}, {2, "@2x.jpg"}};
    for (const auto &picture : pictures) {
        for (const auto &[scale, suffix] : scales) {
            const QString path = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/') +
                                 QString::fromLatin1(picture.name) + QString::fromLatin1(suffix);
            if (!picture.paint(scale).save(path, "JPG", kQuality)) {
                std::fprintf(stderr, "morlith-draw-pictures: cannot write %s\n",
                             qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
