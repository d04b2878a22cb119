#pragma once

#include <QDialog>
#include <QImage>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;

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
    QPrinter& printer();

    void FormShow();
    void SpinEdit1Change() { FormShow(); }
    void ComboBox1Click();
    void btnPrintClick();
    void btnCloseClick();
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
    IDialogs& m_dialogs;
    const ErrorHandler* m_errors = nullptr;
    IPrinterService& m_printers;
    QImage m_bitmap;
};

// The four print commands: the snapshot shown in the print window, modally,
// as "Pion" (portrait) or "Poziom" (landscape); freed whatever happens.
// Shown modally, centred on `screen`, with the snapshot; the snapshot is released afterwards.
void showPrintWindow(TFDruk& window, const QImage& snapshot, bool landscape, const QRect& screen);

} // namespace wendolarka
