#include "picture_export.h"

#include "controls/element_host.h"
#include "core/exception.h"
#include "core/image_codecs.h"
#include "core/safe_file.h"
#include "platform/dialogs.h"

#include <QBuffer>
#include <QFileInfo>

namespace wendolarka::picture_export {

QByteArray encodeCard(const QImage& card, Format format, int dotsPerInch) {
    switch (format) {
    case Format::Jpeg:
        return encodeJpeg(card, 90, dotsPerInch == 96 ? 0 : dotsPerInch);
    case Format::Bmp:
        return encodeBmp24(card, dotsPerInch);
    case Format::Png: {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage rgb = card.convertToFormat(QImage::Format_RGB888);
        rgb.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
        rgb.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
        if (!rgb.save(&buffer, "PNG"))
            throw Exception(QStringLiteral("Nie można zapisać obrazu w formacie PNG."));
        return png;
    }
    }
    throw Exception(QStringLiteral("Nieznany format obrazu."));
}

QString withExtension(const QString& fileName, Format format) {
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    switch (format) {
    case Format::Jpeg: return fileName + QStringLiteral(".jpg");
    case Format::Bmp: return fileName + QStringLiteral(".bmp");
    case Format::Png: return fileName + QStringLiteral(".png");
    }
    return fileName;
}

bool exportWindow(const TElementHost& form, IDialogs& dialogs) {
    FileDialogOptions options;
    options.filter = QString::fromUtf8(kExportFilter);
    options.place = TFilePlace::Exports;
    options.filterIndex = 0; // the type chosen last time
    const auto chosen = dialogs.SaveFile(options);
    if (!chosen)
        return false;
    const Format format = chosen->filterIndex == 2 ? Format::Bmp : chosen->filterIndex == 3 ? Format::Png : Format::Jpeg;
    const QString fileName = withExtension(chosen->fileName, format);
    // The dialog asked about the name as typed; a file under the completed name is asked about here.
    if (fileName != chosen->fileName && QFileInfo::exists(fileName) &&
        dialogs.MessageDlg(QString::fromUtf8("Plik %1 już istnieje.\nCzy chcesz go zastąpić?").arg(fileName),
                           TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
    const QImage card = form.Snapshot();
    writeFileSafely(fileName, encodeCard(card, format));
    return true;
}

} // namespace wendolarka::picture_export
