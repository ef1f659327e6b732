// SPDX-License-Identifier: MIT
// morlith-icon-png SIZE FILE: the application's icon at SIZE x SIZE pixels, saved as PNG.
// morlith-icon-png ico FILE: the icon as a Windows .ico file holding a PNG rendering at each size
// Windows uses (16 to 256 pixels).

#include "AppIcon.h"
#include "IconFile.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

int WriteIco(const char *path)
{
    QList<QImage> renderings;
    for (const int size : morlith::kWindowsIconSizes)
        renderings.append(morlith::RenderAppIcon(size));
    const QByteArray ico = morlith::IcoFile(renderings);
    QFile file(QString::fromLocal8Bit(path));
    if (ico.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size() ||
        !file.flush()) {
        std::fprintf(stderr, "morlith-icon-png: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Usage: morlith-icon-png SIZE FILE\n       morlith-icon-png ico FILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (QByteArray(argv[1]) == "ico")
        return WriteIco(argv[2]);
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
