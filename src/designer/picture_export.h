#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace wendolarka {

class IDialogs;
class TElementHost;

namespace picture_export {

// The save dialog's filters, in this order: the chosen one decides the format.
inline constexpr const char* kExportFilter = "Plik JPG|*.jpg|Plik BMP|*.bmp|Plik PNG|*.png";
enum class Format { Jpeg = 1, Bmp = 2, Png = 3 };

// JPEG: quality 90, baseline, three components (JFIF); BMP: 24 bits, uncompressed; PNG.
// `dotsPerInch` is written into the file (a pass drawn larger for print says so).
QByteArray encodeCard(const QImage& card, Format format, int dotsPerInch = 96);
// A name typed without an extension gets the format's; any other name is kept as typed.
QString withExtension(const QString& fileName, Format format);
// The command: the save dialog, then the window's card bitmap written in the chosen
// format. Returns whether a file was written.
bool exportWindow(const TElementHost& form, IDialogs& dialogs);

} // namespace picture_export
} // namespace wendolarka
