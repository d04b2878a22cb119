// The picture readers on arbitrary bytes: the first byte picks the format.
#include "core/exception.h"
#include "core/image_codecs.h"
#include "core/picture.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace wendolarka;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    try {
        switch (data[0] % 4) {
        case 0:
            documentJpegFacts(bytes);
            TJPEGImage::fromFileData(bytes);
            break;
        case 1: TBitmap::fromFileData(bytes); break;
        case 2: TIcon::fromFileData(bytes); break;
        default: TMetafile::fromFileData(bytes); break;
        }
    } catch (const Exception&) {
        // A clean refusal is the expected outcome for most inputs.
    }
    return 0;
}
