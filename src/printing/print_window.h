#pragma once

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class QComboBox;
class QPainter;
class QRectF;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class QSettings;

namespace wendolarka {

class ErrorHandler;
class IDialogs;
class IPrinterService;
class TPrintPreview;
class TSpinEdit;

// The print window: previews a snapshot on an A4 sheet, lets the user shift it
// and zoom, and prints it at its screen size from the sheet's corner.
class TFDruk : public QDialog {
    Q_OBJECT
public:
    TFDruk(IDialogs& dialogs, IPrinterService& printers, QWidget* parent = nullptr);
    ~TFDruk() override;

    void setErrorHandler(const ErrorHandler* errors) { m_errors = errors; }
    // The picture to print ("PrintBitmap"), held while the window is open.
    void setPrintBitmap(const QImage& bitmap) { m_bitmap = bitmap; }
    const QImage& printBitmap() const { return m_bitmap; }
    // Draws the picture anew at any resolution into a rectangle of a painter;
    // printing uses it, at the printer's resolution, in the picture's place
    // and size (the preview keeps showing the snapshot). None: the snapshot is printed.
    using TPassPainter = std::function<void(QPainter& painter, const QRectF& target)>;
    void setPassPainter(TPassPainter painter) { m_passPainter = std::move(painter); }
    // Told after a print went out whole: the printer's name, or the file printed into.
    using TPrinted = std::function<void(const QString& output)>;
    void setPrintedHandler(TPrinted printed) { m_printed = std::move(printed); }
    QPrinter& printer();
    // Where printer calibrations are kept; by default the user's settings.
    void setSettings(QSettings* settings) { m_settings = settings; }

    void FormShow();
    void SpinEdit1Change() { FormShow(); }
    void ComboBox1Click();
    void btnPrintClick();
    void btnCloseClick();
    // On the printer the picture is moved by that printer's calibration.
    void PrintSnapshot();

    TPrintPreview* PP1 = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* btnPrint = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    QLabel* StaticText1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Esc does not close this window: only "&Zamknij" and the title bar do.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSettings& settings();

    IDialogs& m_dialogs;
    const ErrorHandler* m_errors = nullptr;
    IPrinterService& m_printers;
    QImage m_bitmap;
    TPassPainter m_passPainter;
    TPrinted m_printed;
    QSettings* m_settings = nullptr;
    std::unique_ptr<QSettings> m_userSettings;
};

// The four print commands: the snapshot shown in the print window, modally,
// as "Pion" (portrait) or "Poziom" (landscape); freed whatever happens.
// Shown modally, centred on `screen`, with the snapshot; the snapshot is released afterwards.
// With a painter, printing draws the picture anew by it; `printed` hears of each print that went out.
void showPrintWindow(TFDruk& window, const QImage& snapshot, bool landscape, const QRect& screen,
                     TFDruk::TPassPainter painter = {}, TFDruk::TPrinted printed = {});

} // namespace wendolarka
