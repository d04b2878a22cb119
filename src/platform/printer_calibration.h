#pragma once

#include <QPointF>
#include <QString>

#include <memory>

class QPrinter;
class QSettings;

namespace wendolarka {

// How far a printer's passes are moved so that they land where they should:
// millimetres right and down, kept per printer name in the user's settings,
// never in a file of theirs. Every print path adds them to its places.
QPointF calibrationOffsetMm(QSettings& settings, const QString& printerName);
void setCalibrationOffsetMm(QSettings& settings, const QString& printerName, QPointF offsetMm);
// The name the calibration of the printer object's printer is kept under.
QString calibrationPrinterName(const QPrinter& printer);
// The user's settings of this program, where calibrations are kept.
std::unique_ptr<QSettings> userSettings();

} // namespace wendolarka
