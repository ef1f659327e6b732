// SPDX-License-Identifier: MIT
#include "JpegPicture.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// The pictures' resources live in a static library, where nothing else would pull them in.
static void InitPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

namespace morlith {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the decoder, which then gives up on the picture.
struct TJpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr info)
{
    auto *manager = reinterpret_cast<TJpegErrorManager *>(info->err);
    std::longjmp(manager->jump, 1);
}

// Warnings (a corrupt but readable stream) are not printed.
void IgnoreMessage(j_common_ptr) {}

// Decodes into `image`, which the caller owns so that no C++ object lives between the setjmp
// and a longjmp. False when libjpeg gave up.
bool DecodeInto(const QByteArray &bytes, QImage &image)
{
    jpeg_decompress_struct info{};
    TJpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = IgnoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    QImage image;
    if (!DecodeInto(bytes, image))
        return {};
    return image;
}

QImage LoadJpegPicture(const QString &path)
{
    static const bool resourcesReady = (InitPictureResources(), true);
    (void)resourcesReady;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return DecodeJpeg(file.readAll());
}

} // namespace morlith
