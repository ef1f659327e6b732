// morlith-draw-pictures DIR: paints the forms' pictures and saves them as JPEG files in DIR.

#include "Painters.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <functional>

using namespace morlith::pictures;

namespace {

// JPEG quality of the saved pictures (0..100).
constexpr int kQuality = 92;

struct TPicture {
    const char *name;
    std::function<QImage()> paint;
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
        {"chip.jpg", [] { return PaintChip(52); }},
        {"gears.jpg", [] { return PaintGears(48); }},
        {"datafile.jpg", [] { return PaintDataFile(48); }},
        {"serial.jpg", [] { return PaintSerialPlug(48); }},
        {"arrow-left.jpg", [] { return PaintArrow(30, true); }},
        {"arrow-right.jpg", [] { return PaintArrow(30, false); }},
    };
    for (const auto &picture : pictures) {
        const QString path = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/') +
                             QString::fromLatin1(picture.name);
        if (!picture.paint().save(path, "JPG", kQuality)) {
            std::fprintf(stderr, "morlith-draw-pictures: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
