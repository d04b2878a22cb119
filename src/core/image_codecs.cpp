#include "image_codecs.h"

#include <QTransform>
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
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->message[0] = '\0';
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void silence(j_common_ptr, int) {}

// The decoder's number, as stored programs know it, and its own readable text.
Exception jpegError(int code, const char* message) {
    QString text = QStringLiteral("JPEG error #%1").arg(code);
    if (message && *message)
        text += QStringLiteral(": ") + QString::fromLocal8Bit(message);
    return Exception(text);
}

constexpr unsigned kExifMarker = JPEG_APP0 + 1;

// The codec state lives in the caller's frame: after a jump only objects that
// were not changed as locals of the jumping function may be trusted.
struct DecodeContext {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
    QByteArray exif;
    bool tooLarge = false;
    bool cmyk = false;
    bool adobeInverted = false;
    int maxSide = 0;
};

struct EncodeContext {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    QImage rgb;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    int dotsPerInch = 0;
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
    jpeg_save_markers(&c->info, kExifMarker, 0xFFFF);
    jpeg_read_header(&c->info, TRUE);
    // Even a one-colour picture spends some bits on every 8 x 8 block; a header
    // claiming far more pixels than the bytes can describe is not believed.
    const qint64 pixels = static_cast<qint64>(c->info.image_width) * c->info.image_height;
    if (!pictureSizeAllowed(c->info.image_width, c->info.image_height) ||
        pixels > std::max<qint64>(kPixelsAlwaysBelieved, static_cast<qint64>(data.size()) * kPixelsPerByte)) {
        c->tooLarge = true;
        jpeg_destroy_decompress(&c->info);
        return -1;
    }
    for (jpeg_saved_marker_ptr m = c->info.marker_list; m; m = m->next)
        if (m->marker == kExifMarker && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            c->exif = QByteArray(reinterpret_cast<const char*>(m->data) + 6, static_cast<qsizetype>(m->data_length - 6));
    // Print and scanning workflows write four-component (CMYK or YCCK) files;
    // the decoder hands those over as CMYK and they are made RGB here.
    c->cmyk = c->info.jpeg_color_space == JCS_CMYK || c->info.jpeg_color_space == JCS_YCCK;
    c->adobeInverted = c->info.saw_Adobe_marker;
    c->info.out_color_space = c->cmyk ? JCS_CMYK : JCS_RGB;
    if (c->maxSide > 0) {
        // The largest of the decoder's eighths that stays within the side asked for.
        const std::uint64_t longSide = std::max(c->info.image_width, c->info.image_height);
        unsigned eighths = 8;
        while (eighths > 1 && longSide * eighths > 8 * static_cast<std::uint64_t>(c->maxSide))
            --eighths;
        c->info.scale_num = eighths;
        c->info.scale_denom = 8;
    }
    jpeg_start_decompress(&c->info);
    c->image = QImage(static_cast<int>(c->info.output_width), static_cast<int>(c->info.output_height),
                      c->cmyk ? QImage::Format_RGBX8888 : QImage::Format_RGB888);
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
    // 32-bit pixels lie in memory as blue, green, red, unused on this byte order:
    // the encoder takes them as they are, without a converted copy.
    const bool bgrx = c->rgb.format() == QImage::Format_RGB32 && QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    c->info.input_components = bgrx ? 4 : 3;
    c->info.in_color_space = bgrx ? JCS_EXT_BGRX : JCS_RGB;
    jpeg_set_defaults(&c->info);
    jpeg_set_quality(&c->info, quality, TRUE);
    // A picture made for print says its dots per inch; others keep the defaults.
    if (c->dotsPerInch > 0 && c->dotsPerInch <= 65535) {
        c->info.density_unit = 1;
        c->info.X_density = c->info.Y_density = static_cast<UINT16>(c->dotsPerInch);
    }
    jpeg_start_compress(&c->info, TRUE);
    while (c->info.next_scanline < c->info.image_height) {
        auto* row = const_cast<JSAMPROW>(c->rgb.constScanLine(static_cast<int>(c->info.next_scanline)));
        jpeg_write_scanlines(&c->info, &row, 1);
    }
    jpeg_finish_compress(&c->info);
    jpeg_destroy_compress(&c->info);
    return 0;
}

// Four bytes per pixel C, M, Y, K become R, G, B. Adobe's writers store the
// components inverted (255 = no ink).
QImage cmykToRgb(const QImage& cmyk, bool inverted) {
    QImage rgb(cmyk.size(), QImage::Format_RGB888);
    for (int y = 0; y < cmyk.height(); ++y) {
        const uchar* in = cmyk.constScanLine(y);
        uchar* out = rgb.scanLine(y);
        for (int x = 0; x < cmyk.width(); ++x, in += 4, out += 3) {
            const int k = inverted ? in[3] : 255 - in[3];
            for (int i = 0; i < 3; ++i) {
                const int ink = inverted ? in[i] : 255 - in[i];
                out[i] = static_cast<uchar>((ink * k + 127) / 255);
            }
        }
    }
    return rgb;
}

} // namespace

bool pictureSizeAllowed(qint64 width, qint64 height) {
    return width >= 0 && height >= 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

Exception pictureSizeError(qint64 width, qint64 height) {
    return Exception(QStringLiteral("Obraz ma wymiary, jakich nie ma żaden obraz: %1 × %2 pikseli.")
                         .arg(width)
                         .arg(height));
}

int exifOrientation(const QByteArray& tiff) {
    // A TIFF header (byte order, 42, offset of the first directory), then the
    // directory's 12-byte entries; tag 0x0112 holds the orientation as a short.
    if (tiff.size() < 8)
        return 1;
    const auto* p = reinterpret_cast<const uchar*>(tiff.constData());
    const bool little = p[0] == 'I' && p[1] == 'I';
    if (!little && !(p[0] == 'M' && p[1] == 'M'))
        return 1;
    const auto u16 = [&](qsizetype at) -> quint32 {
        return little ? qFromLittleEndian<quint16>(p + at) : qFromBigEndian<quint16>(p + at);
    };
    const auto u32 = [&](qsizetype at) -> quint32 {
        return little ? qFromLittleEndian<quint32>(p + at) : qFromBigEndian<quint32>(p + at);
    };
    if (u16(2) != 42)
        return 1;
    const quint64 directory = u32(4);
    if (directory + 2 > static_cast<quint64>(tiff.size()))
        return 1;
    const quint32 entries = u16(static_cast<qsizetype>(directory));
    for (quint32 i = 0; i < entries; ++i) {
        const quint64 entry = directory + 2 + 12ull * i;
        if (entry + 12 > static_cast<quint64>(tiff.size()))
            break;
        if (u16(static_cast<qsizetype>(entry)) == 0x0112) {
            const quint32 value = u16(static_cast<qsizetype>(entry + 8));
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
    }
    return 1;
}

QImage applyOrientation(const QImage& image, int orientation) {
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.transformed(QTransform(0, 1, 1, 0, 0, 0)); // transpose
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.transformed(QTransform(0, -1, -1, 0, 0, 0)); // transverse
    case 8: return image.transformed(QTransform().rotate(270));
    default: return image;
    }
}

std::optional<TJpegFacts> documentJpegFacts(const QByteArray& jpeg) {
    const auto* p = reinterpret_cast<const uchar*>(jpeg.constData());
    const qsizetype size = jpeg.size();
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return std::nullopt;
    qsizetype at = 2;
    std::optional<TJpegFacts> facts;
    while (at + 4 <= size) {
        if (p[at] != 0xFF)
            return std::nullopt;
        const uchar marker = p[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const qsizetype length = qFromBigEndian<quint16>(p + at + 2);
        if (length < 2 || at + 2 + length > size)
            return std::nullopt;
        const uchar* segment = p + at + 4;
        const qsizetype body = length - 2;
        // The picture's data: every header is read. A file cut short goes as what the decoder made of it.
        if (marker == 0xDA || marker == 0xD9)
            return jpeg.endsWith("\xFF\xD9") ? facts : std::nullopt;
        if (marker == 0xE1 && body >= 6 && std::memcmp(segment, "Exif\0\0", 6) == 0) {
            const int orientation = exifOrientation(QByteArray(reinterpret_cast<const char*>(segment) + 6, body - 6));
            if (orientation != 1)
                return std::nullopt;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            // Baseline, extended and progressive Huffman only; arithmetic and lossless ones are rare in readers.
            if (marker > 0xC2 || body < 6 || segment[0] != 8)
                return std::nullopt;
            const int height = qFromBigEndian<quint16>(segment + 1), width = qFromBigEndian<quint16>(segment + 3);
            const int components = segment[5];
            if (width == 0 || height == 0 || (components != 1 && components != 3))
                return std::nullopt;
            facts = TJpegFacts{QSize(width, height), components};
        }
        at += 2 + length;
    }
    return std::nullopt; // it ends before its picture
}

QImage decodeJpeg(const QByteArray& data, int maxSide) {
    DecodeContext context;
    context.maxSide = maxSide;
    if (const int code = runDecoder(data, &context)) {
        if (context.tooLarge)
            throw pictureSizeError(context.info.image_width, context.info.image_height);
        throw jpegError(code, context.errors.message);
    }
    QImage image = context.cmyk ? cmykToRgb(context.image, context.adobeInverted) : std::move(context.image);
    return applyOrientation(image, exifOrientation(context.exif));
}

QByteArray encodeJpeg(const QImage& image, int quality, int dotsPerInch) {
    EncodeContext context;
    context.dotsPerInch = dotsPerInch;
    context.rgb = image.format() == QImage::Format_RGB32 && QSysInfo::ByteOrder == QSysInfo::LittleEndian
                      ? image
                      : image.convertToFormat(QImage::Format_RGB888);
    const int code = runEncoder(quality, &context);
    const QByteArray data(reinterpret_cast<const char*>(context.buffer), static_cast<qsizetype>(context.size));
    std::free(context.buffer);
    if (code)
        throw jpegError(code, context.errors.message);
    return data;
}

QByteArray encodeBmp24(const QImage& source, int dotsPerInch) {
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
    const qint32 perMetre = qRound(dotsPerInch / 0.0254); // 3780 for 96 per inch
    qToLittleEndian<qint32>(perMetre, p + 38);
    qToLittleEndian<qint32>(perMetre, p + 42);
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
