#include "calibration_dialog.h"

#include "core/exception.h"
#include "platform/dialogs.h"
#include "platform/printers.h"
#include "widgets/form_setup.h"

#include <QDoubleSpinBox>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>

#include <algorithm>

namespace wendolarka {
namespace {

QString millimetres(double value) { return QLocale(QLocale::Polish).toString(value, 'f', 1); }

} // namespace

QPageLayout pageLayoutMm(QSizeF pageMm) {
    // A page size is named upright; a wide card is an upright one turned.
    const bool wide = pageMm.width() > pageMm.height();
    return QPageLayout(QPageSize(wide ? pageMm.transposed() : pageMm, QPageSize::Millimeter),
                       wide ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

void drawCalibrationCard(QPainter& painter, QSizeF pageMm, double dotsPerMm) {
    painter.save();
    painter.scale(dotsPerMm, dotsPerMm); // from here on, millimetres
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(pageMm.width() / 2, pageMm.height() / 2);
    // Arms as long as the page allows, up to 4 cm; the upper one ends below the two lines of text.
    const double armX = std::clamp(pageMm.width() / 2 - 4, 5.0, 40.0);
    const double armY = std::clamp(pageMm.height() / 2 - 10, 5.0, 40.0);
    painter.setPen(QPen(Qt::black, 0.15));
    painter.drawLine(centre - QPointF(armX, 0), centre + QPointF(armX, 0));
    painter.drawLine(centre - QPointF(0, armY), centre + QPointF(0, armY));
    // A tick every millimetre, a longer one every five: the shift is read off the scale.
    for (int mm = 1; mm <= static_cast<int>(std::max(armX, armY)); ++mm) {
        const double tick = mm % 5 == 0 ? 1.5 : 0.75;
        for (const int side : {-1, 1}) {
            if (mm <= armX)
                painter.drawLine(centre + QPointF(side * mm, -tick), centre + QPointF(side * mm, tick));
            if (mm <= armY)
                painter.drawLine(centre + QPointF(-tick, side * mm), centre + QPointF(tick, side * mm));
        }
    }
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(2); // millimetres, as the painter is scaled
    painter.setFont(font);
    const QRectF text(3, 2, pageMm.width() - 6, 6);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromUtf8("Kalibracja drukarki. Środek krzyża powinien leżeć %1 mm od lewej "
                                       "i %2 mm od górnej krawędzi. Przesunięcie = oczekiwana odległość − zmierzona.")
                         .arg(millimetres(centre.x()), millimetres(centre.y())));
    painter.restore();
}

TFKalibracja::TFKalibracja(IDialogs& dialogs, IPrinterService& printers, QSettings& settings, QSizeF pageMm, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_printers(printers), m_settings(settings), m_pageMm(pageMm) {
    setObjectName(QStringLiteral("FKalibracja"));
    setWindowTitle(utf8("Kalibracja drukarki"));
    // Millimetres with a decimal comma, as the rest of the window writes them, whatever the system's locale.
    setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    lblPrinter = named(new QLabel(this), "lblPrinter");
    const auto offsetSpin = [this](const char* name) {
        auto* spin = named(new QDoubleSpinBox(this), name);
        spin->setRange(-20, 20);
        spin->setDecimals(1);
        spin->setSingleStep(0.1);
        spin->setSuffix(QStringLiteral(" mm"));
        return spin;
    };
    spX = offsetSpin("spX");
    spY = offsetSpin("spY");
    btnTestCard = named(new QPushButton(utf8("&Drukuj kartę testową…"), this), "btnTestCard");
    btnOK = named(new QPushButton(utf8("OK"), this), "btnOK");
    btnCancel = named(new QPushButton(utf8("Anuluj"), this), "btnCancel");
    auto* help = new QLabel(utf8("Wydrukuj kartę testową, zmierz, jak daleko od lewej i górnej krawędzi leży "
                                 "środek krzyża, i wpisz różnicę: oczekiwana odległość minus zmierzona. "
                                 "Wartość dodatnia przesuwa wydruk w prawo i w dół."),
                            this);
    help->setWordWrap(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblPrinter, 0, 0, 1, 3);
    layout->addWidget(help, 1, 0, 1, 3);
    layout->addWidget(new QLabel(utf8("W prawo:"), this), 2, 0);
    layout->addWidget(spX, 2, 1);
    layout->addWidget(new QLabel(utf8("W dół:"), this), 3, 0);
    layout->addWidget(spY, 3, 1);
    layout->addWidget(btnTestCard, 4, 0, 1, 2);
    layout->addWidget(btnOK, 5, 1);
    layout->addWidget(btnCancel, 5, 2);
    btnOK->setDefault(true);
    connect(btnTestCard, &QPushButton::clicked, this, [this] {
        try {
            printTestCard();
        } catch (const Exception& error) {
            m_dialogs.ShowError(error.message());
        }
    });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        save();
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    showPrinter();
}

void TFKalibracja::showPrinter() {
    m_printerName = calibrationPrinterName(m_printers.printer());
    lblPrinter->setText(utf8("Drukarka: %1").arg(m_printerName));
    const QPointF offset = calibrationOffsetMm(m_settings, m_printerName);
    spX->setValue(offset.x());
    spY->setValue(offset.y());
}

void TFKalibracja::save() {
    setCalibrationOffsetMm(m_settings, m_printerName, QPointF(spX->value(), spY->value()));
}

bool TFKalibracja::printTestCard() {
    QPrinter& printer = m_printers.printer();
    if (!m_dialogs.PrinterSetup(printer))
        return false;
    if (calibrationPrinterName(printer) != m_printerName)
        showPrinter(); // another printer chosen: its own offsets
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutMm(m_pageMm));
    printer.setDocName(utf8("Kalibracja drukarki"));
    TPrintToFile job(printer);
    QPainter painter;
    if (!beginPrinting(painter, printer))
        throw Exception(utf8("Nie można rozpocząć drukowania na drukarce %1.").arg(printer.printerName()));
    // Not moved by the offsets: what is measured is the printer's own shift.
    drawCalibrationCard(painter, m_pageMm, printer.resolution() / 25.4);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw Exception(utf8("Drukowanie nie powiodło się; karta testowa nie została wydrukowana."));
    job.commit();
    return true;
}

} // namespace wendolarka
