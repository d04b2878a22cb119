#include "printer_calibration.h"

#include <QPrinter>
#include <QSettings>
#include <QUrl>

namespace wendolarka {
namespace {

// A printer's name may hold the settings' own separators ("/", "\").
QString settingsKey(const QString& printerName) {
    return QStringLiteral("kalibracja/") + QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

} // namespace

QPointF calibrationOffsetMm(QSettings& settings, const QString& printerName) {
    const QString key = settingsKey(printerName);
    return {settings.value(key + QStringLiteral("/x"), 0.0).toDouble(), settings.value(key + QStringLiteral("/y"), 0.0).toDouble()};
}

void setCalibrationOffsetMm(QSettings& settings, const QString& printerName, QPointF offsetMm) {
    const QString key = settingsKey(printerName);
    settings.setValue(key + QStringLiteral("/x"), offsetMm.x());
    settings.setValue(key + QStringLiteral("/y"), offsetMm.y());
    settings.sync();
}

QString calibrationPrinterName(const QPrinter& printer) {
    // Printing into a file has no printer name; it is one "printer" of its own.
    return printer.printerName().isEmpty() ? QStringLiteral("PDF") : printer.printerName();
}

std::unique_ptr<QSettings> userSettings() {
    // Named here, not by the application's title, which may change.
    return std::make_unique<QSettings>(QStringLiteral("Wendolarka"), QStringLiteral("Wendolarka"));
}

} // namespace wendolarka
