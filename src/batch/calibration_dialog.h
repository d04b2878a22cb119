#pragma once

#include "platform/printer_calibration.h"

#include <QDialog>
#include <QPageLayout>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QDoubleSpinBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QSettings;

namespace wendolarka {

class IDialogs;
class IPrinterService;

// A page for measuring a printer: a cross whose centre should lie at the page's
// centre, with a millimetre scale on its arms and the distances to expect from
// the left and top edges.
void drawCalibrationCard(QPainter& painter, QSizeF pageMm, double dotsPerMm);

// A printer page of exactly that size, no margins, turned when wider than high.
QPageLayout pageLayoutMm(QSizeF pageMm);

// "Kalibracja drukarki": the current printer's offsets, a test card printed to
// measure them, saved on OK.
class TFKalibracja : public QDialog {
    Q_OBJECT
public:
    // `pageMm`: the page the test card is printed on (a card, or the sheet).
    TFKalibracja(IDialogs& dialogs, IPrinterService& printers, QSettings& settings, QSizeF pageMm,
                 QWidget* parent = nullptr);

    // The printer dialog, then the test card at the printer's resolution; false when not printed.
    bool printTestCard();
    // The offsets shown into the settings, for the printer shown.
    void save();

    QLabel* lblPrinter = nullptr;
    QDoubleSpinBox* spX = nullptr;
    QDoubleSpinBox* spY = nullptr;
    QPushButton* btnTestCard = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void showPrinter();

    IDialogs& m_dialogs;
    IPrinterService& m_printers;
    QSettings& m_settings;
    QSizeF m_pageMm;
    QString m_printerName;
};

} // namespace wendolarka
