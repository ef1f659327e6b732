// SPDX-License-Identifier: MIT
#include "IconFile.h"

#include <QBuffer>
#include <QtEndian>

namespace morlith {
namespace {

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;
constexpr int kLargestSide = 256;

void Append16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void Append32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray PngOf(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QByteArray();
    return png;
}

} // namespace

QByteArray IcoFile(const QList<QImage> &renderings)
{
    QList<QByteArray> pngs;
    for (const QImage &image : renderings) {
        if (image.isNull() || image.width() != image.height() || image.width() > kLargestSide)
            return QByteArray();
        pngs.append(PngOf(image));
        if (pngs.last().isEmpty())
            return QByteArray();
    }
    if (pngs.isEmpty())
        return QByteArray();

    QByteArray ico;
    Append16(ico, 0); // reserved
    Append16(ico, 1); // an icon, not a cursor
    Append16(ico, quint16(pngs.size()));
    quint32 offset = kDirectorySize + kEntrySize * quint32(pngs.size());
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        // A side of 256 is written as 0.
        const char side = char(renderings[i].width() % kLargestSide);
        ico.append(side);
        ico.append(side);
        ico.append(char(0)); // no palette
        ico.append(char(0)); // reserved
        Append16(ico, 1);    // colour planes
        Append16(ico, 32);   // bits per pixel
        Append32(ico, quint32(pngs[i].size()));
        Append32(ico, offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray &png : pngs)
        ico.append(png);
    return ico;
}

} // namespace morlith
