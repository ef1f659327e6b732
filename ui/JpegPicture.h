// SPDX-License-Identifier: MIT
#pragma once
// JPEG pictures of the forms, decoded with libjpeg.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace morlith {

// The picture in `bytes`; a null image when they are not a JPEG libjpeg can decode.
QImage DecodeJpeg(const QByteArray &bytes);

// The picture in the resource or file at `path` (":/pictures/chip.jpg"); a null image when it is
// missing or does not decode.
QImage LoadJpegPicture(const QString &path);

} // namespace morlith
