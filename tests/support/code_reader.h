#pragma once

// Reads codes back from pictures, as a scanner at the door would.

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QString>
#include <QStringList>

namespace wendolarka::test {

// The text of the one code found in `image`, or nothing.
inline QString decodeCode(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    const ZXing::Result result =
        ZXing::ReadBarcode({grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine())}, hints);
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

// The texts of every code found in `image`, sorted.
inline QStringList decodeCodes(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    QStringList texts;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(
             {grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine())}, hints))
        if (result.isValid())
            texts << QString::fromStdString(result.text());
    texts.sort();
    return texts;
}

} // namespace wendolarka::test
