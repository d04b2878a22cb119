#include "print_window.h"

#include "core/exception.h"
#include "core/picture.h"
#include "platform/dialogs.h"
#include "platform/desktop.h"
#include "platform/error_handler.h"
#include "platform/printer_calibration.h"
#include "platform/printers.h"
#include "print_preview.h"
#include "widgets/form_setup.h"
#include "widgets/spin_edit.h"

#include <QFileInfo>

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>

namespace wendolarka {

TFDruk::TFDruk(IDialogs& dialogs, IPrinterService& printers, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs), m_printers(printers) {
    initForm(*this, {QStringLiteral("FDruk"), utf8("Podgląd i wydruk strony"), QSize(645, 570) - kToolWindowFrame,
                     clSilver, TFont(QStringLiteral("MS Sans Serif"), 8, fsBold), true});
    setModal(true);
    new TOuterFrameKeeper(*this, QSize(645, 570)); // placed by whoever shows it

    PP1 = named(new TPrintPreview(this), "PP1");
    setBackground(*PP1->viewport(), clBtnShadow);
    PP1->viewport()->setBackgroundRole(QPalette::Window);
    PP1->setFont(TFont(QStringLiteral("Arial"), 9).toQFont());
    PP1->setUnits(mmPixel);
    PP1->setPrinterService(&m_printers);

    Panel1 = named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    setBackground(*Panel1, clBtnShadow);
    btnPrint = named(new QPushButton(utf8("&Druk"), Panel1), "btnPrint");
    btnPrint->setToolTip(utf8("Rozpoczyna drukowanie obrazu"));
    btnPrint->setGeometry(8, 6, 80, 26);
    SpinEdit1 = named(new TSpinEdit(Panel1), "SpinEdit1");
    SpinEdit1->setToolTip(utf8("Przesuw obrazu w poziomie"));
    SpinEdit1->setGeometry(110, 8, 70, 22);
    SpinEdit2 = named(new TSpinEdit(Panel1), "SpinEdit2");
    SpinEdit2->setToolTip(utf8("Przesuw obrazu w pionie"));
    SpinEdit2->setGeometry(190, 8, 70, 22);
    for (TSpinEdit* spin : {SpinEdit1, SpinEdit2}) {
        // Any shift a sheet can show; beyond it "X + width" would overflow.
        spin->setLimits(-32767, 32767);
        spin->setValue(0);
    }
    ComboBox1 = named(new QComboBox(Panel1), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert); // the list stays the nine values
    ComboBox1->setCompleter(nullptr); // a typed "15" stays 15, not the listed 150
    ComboBox1->addItems({QStringLiteral("200"), QStringLiteral("175"), QStringLiteral("150"), QStringLiteral("125"),
                         QStringLiteral("100"), QStringLiteral("50"), QStringLiteral("40"), QStringLiteral("30"),
                         QStringLiteral("20")});
    // The listed "40" is the current item, not only the text: the box would
    // otherwise "pick" it by itself when it loses the focus.
    ComboBox1->setCurrentIndex(ComboBox1->findText(QStringLiteral("40")));
    ComboBox1->setToolTip(utf8("Zmiana rozmiaru obszaru podglądu obrazu"));
    ComboBox1->setGeometry(290, 8, 70, 22);
    StaticText1 = named(new QLabel(QStringLiteral("%"), Panel1), "StaticText1");
    StaticText1->setGeometry(364, 10, 16, 18);
    Label1 = named(new QLabel(utf8("Pion"), Panel1), "Label1");
    Label1->setFont(TFont(QStringLiteral("MS Sans Serif"), 9, fsBold).toQFont());
    setTextColor(*Label1, clRed);
    Label1->hide(); // FormCreate
    btnClose = named(new QPushButton(utf8("&Zamknij"), Panel1), "btnClose");
    btnClose->setToolTip(utf8("Zamyka to okno"));
    btnClose->setGeometry(400, 6, 80, 26);

    // Enter in the zoom box must not start printing: no button is the default.
    for (QPushButton* button : {btnPrint, btnClose}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(btnPrint, &QPushButton::clicked, this, [this] { guardOrRun(m_errors, [this] { btnPrintClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { guardOrRun(m_errors, [this] { btnCloseClick(); }); });
    connect(SpinEdit1, &TSpinEdit::Change, this, [this] { guardOrRun(m_errors, [this] { SpinEdit1Change(); }); });
    connect(SpinEdit2, &TSpinEdit::Change, this, [this] { guardOrRun(m_errors, [this] { SpinEdit1Change(); }); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { guardOrRun(m_errors, [this] { ComboBox1Click(); }); });
    // A typed value is taken with Enter as a picked one is (a listed one comes through activated).
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (ComboBox1->findText(ComboBox1->currentText()) < 0)
            guardOrRun(m_errors, [this] { ComboBox1Click(); });
    });
    resizeEvent(nullptr);
}

TFDruk::~TFDruk() = default;

QPrinter& TFDruk::printer() { return m_printers.printer(); }

QSettings& TFDruk::settings() {
    if (m_settings)
        return *m_settings;
    if (!m_userSettings)
        m_userSettings = userSettings();
    return *m_userSettings;
}

void TFDruk::resizeEvent(QResizeEvent* event) {
    if (event)
        QDialog::resizeEvent(event);
    Panel1->setGeometry(0, height() - 38, width(), 38);
    PP1->setGeometry(0, 0, width(), height() - 38);
}

void TFDruk::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFDruk::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guardOrRun(m_errors, [this] { FormShow(); });
}

void TFDruk::FormShow() {
    PP1->Clear();
    PP1->setOrientation(Label1->text() == utf8("Poziom") ? poLandscape : poPortrait);
    PP1->BeginDoc();
    try {
        if (QPainter* canvas = PP1->Canvas())
            canvas->drawImage(QPoint(SpinEdit1->Value(), SpinEdit2->Value()), m_bitmap);
    } catch (...) {
        PP1->EndDoc();
        throw;
    }
    PP1->EndDoc();
}

void TFDruk::ComboBox1Click() {
    bool ok = false;
    const QString text = ComboBox1->currentText().trimmed();
    const int zoom = text.toInt(&ok); // overflow included: not a valid integer
    if (!ok)
        throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(text));
    PP1->setZoom(zoom);
    PP1->RelayoutPaper();
}

void TFDruk::btnPrintClick() {
    if (PP1->State() != stIdle)
        return;
    if (!m_dialogs.PrinterSetup(printer()))
        return;
    // The window's paper and orientation replace those picked in the dialog.
    PP1->ApplyToPrinter();
    PP1->UpdateAnnotation();
    PP1->setDirectPrint(true);
    try {
        PrintSnapshot();
    } catch (...) {
        PP1->setDirectPrint(false);
        throw;
    }
    PP1->setDirectPrint(false);
    if (m_printed && !PP1->Aborted())
        m_printed(printer().outputFileName().isEmpty() ? printer().printerName()
                                                       : QFileInfo(printer().outputFileName()).absoluteFilePath());
}

void TFDruk::PrintSnapshot() {
    // The printer's calibration in the preview's units; the preview itself shows the place uncalibrated.
    const double unitsPerMm = PP1->ConvertUnit(100000, mmHiMetric, PP1->Units()) / 1000.0;
    const QPointF shift = calibrationOffsetMm(settings(), calibrationPrinterName(printer())) * unitsPerMm;
    PP1->PrintJobTitle.clear();
    PP1->BeginDoc();
    try {
        if (m_passPainter && PP1->Canvas()) {
            // Where and how large the snapshot would lie; only the sharpness differs.
            const QRect place = PP1->GraphicRectAt(SpinEdit1->Value(), SpinEdit2->Value(), m_bitmap.size());
            m_passPainter(*PP1->Canvas(), QRectF(place).translated(shift));
        } else {
            PP1->DrawGraphicAt(SpinEdit1->Value() + qRound(shift.x()), SpinEdit2->Value() + qRound(shift.y()),
                               TBitmap(m_bitmap));
        }
    } catch (...) {
        try {
            PP1->EndDoc();
        } catch (...) {
            // the drawing's own error is the one to report
        }
        throw;
    }
    PP1->EndDoc();
}

void TFDruk::btnCloseClick() {
    PP1->Clear();
    SpinEdit1->setValue(0);
    SpinEdit2->setValue(0);
    ComboBox1->setCurrentIndex(ComboBox1->findText(QStringLiteral("40")));
    PP1->setZoom(40);
    PP1->RelayoutPaper();
    close();
}

void showPrintWindow(TFDruk& window, const QImage& snapshot, bool landscape, const QRect& screen,
                     TFDruk::TPassPainter painter, TFDruk::TPrinted printed) {
    // The snapshot is released when the window closes, also when anything failed.
    struct Release {
        TFDruk& window;
        ~Release() {
            window.setPrintBitmap(QImage());
            window.setPassPainter({});
            window.setPrintedHandler({});
        }
    } release{window};
    window.setPrintBitmap(snapshot.convertToFormat(QImage::Format_RGB888));
    window.setPassPainter(std::move(painter));
    window.setPrintedHandler(std::move(printed));
    window.Label1->setText(QString::fromUtf8(landscape ? "Poziom" : "Pion"));
    window.move(centredOn(screen, window.size() + kToolWindowFrame));
    window.exec();
}

} // namespace wendolarka
