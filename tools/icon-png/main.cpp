// morlith-icon-png SIZE FILE: the application's icon at SIZE x SIZE pixels, saved as PNG.

#include "AppIcon.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Usage: morlith-icon-png SIZE FILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    bool isNumber = false;
    const int size = QByteArray(argv[1]).toInt(&isNumber);
    const QImage icon = isNumber ? morlith::RenderAppIcon(size) : QImage();
    if (icon.isNull()) {
        std::fprintf(stderr, "morlith-icon-png: cannot render the icon at size %s\n", argv[1]);
        return 1;
    }
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "morlith-icon-png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
