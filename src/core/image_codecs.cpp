#include "image_codecs.h"

#include <QtEndian>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace wendolarka {
namespace {

// libjpeg reports errors by calling error_exit, which must not return. We jump
// back to the function that set up the decoder or encoder and turn the message
// number into our exception there, with no C frame left to unwind.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

void silence(j_common_ptr, int) {}

Exception jpegError(int code) { return Exception(QStringLiteral("JPEG error #%1").arg(code)); }

// The codec state lives in the caller's frame: after a jump only objects that
// were not changed as locals of the jumping function may be trusted.
struct DecodeContext {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
};

struct EncodeContext {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    QImage rgb;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

// Returns the decoder's message number, or 0 when the image was read.
int runDecoder(const QByteArray& data, DecodeContext* c) {
    c->info.err = jpeg_std_error(&c->errors.base);
    c->errors.base.error_exit = onJpegError;
    c->errors.base.emit_message = silence;
    if (setjmp(c->errors.jump)) {
        jpeg_destroy_decompress(&c->info);
        return c->errors.base.msg_code == 0 ? -1 : c->errors.base.msg_code;
    }
    jpeg_create_decompress(&c->info);
    jpeg_mem_src(&c->info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&c->info, TRUE);
    c->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c->info);
    c->image = QImage(static_cast<int>(c->info.output_width), static_cast<int>(c->info.output_height),
                      QImage::Format_RGB888);
    if (c->image.isNull()) {
        jpeg_destroy_decompress(&c->info);
        return -1;
    }
    while (c->info.output_scanline < c->info.output_height) {
        JSAMPROW row = c->image.scanLine(static_cast<int>(c->info.output_scanline));
        jpeg_read_scanlines(&c->info, &row, 1);
    }
    jpeg_finish_decompress(&c->info);
    jpeg_destroy_decompress(&c->info);
    return 0;
}

int runEncoder(int quality, EncodeContext* c) {
    c->info.err = jpeg_std_error(&c->errors.base);
    c->errors.base.error_exit = onJpegError;
    c->errors.base.emit_message = silence;
    if (setjmp(c->errors.jump)) {
        jpeg_destroy_compress(&c->info);
        return c->errors.base.msg_code == 0 ? -1 : c->errors.base.msg_code;
    }
    jpeg_create_compress(&c->info);
    jpeg_mem_dest(&c->info, &c->buffer, &c->size);
    c->info.image_width = static_cast<JDIMENSION>(c->rgb.width());
    c->info.image_height = static_cast<JDIMENSION>(c->rgb.height());
    c->info.input_components = 3;
    c->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c->info);
    jpeg_set_quality(&c->info, quality, TRUE);
    jpeg_start_compress(&c->info, TRUE);
    while (c->info.next_scanline < c->info.image_height) {
        auto* row = const_cast<JSAMPROW>(c->rgb.constScanLine(static_cast<int>(c->info.next_scanline)));
        jpeg_write_scanlines(&c->info, &row, 1);
    }
    jpeg_finish_compress(&c->info);
    jpeg_destroy_compress(&c->info);
    return 0;
}

} // namespace

QImage decodeJpeg(const QByteArray& data) {
    DecodeContext context;
    if (const int code = runDecoder(data, &context))
        throw jpegError(code);
    return std::move(context.image);
}

QByteArray encodeJpeg(const QImage& image, int quality) {
    EncodeContext context;
    context.rgb = image.convertToFormat(QImage::Format_RGB888);
    const int code = runEncoder(quality, &context);
    const QByteArray data(reinterpret_cast<const char*>(context.buffer), static_cast<qsizetype>(context.size));
    std::free(context.buffer);
    if (code)
        throw jpegError(code);
    return data;
}

QByteArray encodeBmp24(const QImage& source) {
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width(), h = rgb.height();
    const int stride = (w * 3 + 3) & ~3;
    const quint32 pixelBytes = static_cast<quint32>(stride) * static_cast<quint32>(h);
    QByteArray bmp(14 + 40 + static_cast<qsizetype>(pixelBytes), '\0');
    auto* p = reinterpret_cast<uchar*>(bmp.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(bmp.size()), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    qToLittleEndian<quint32>(0, p + 30); // no compression
    qToLittleEndian<quint32>(pixelBytes, p + 34);
    qToLittleEndian<qint32>(3780, p + 38); // 96 per inch
    qToLittleEndian<qint32>(3780, p + 42);
    for (int y = 0; y < h; ++y) {
        const uchar* in = rgb.constScanLine(h - 1 - y);
        uchar* out = p + 54 + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        for (int x = 0; x < w; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return bmp;
}

} // namespace wendolarka
