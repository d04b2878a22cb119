#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace wendolarka {

class ErrorHandler;
class IDialogs;
class TColorPanel;
class TForm1;
class TLabel3DF;
class TSpinEdit;

// The fixed elements dialog: the fixed image and the two captions of the pass,
// changed on the pass window at once. An element the window lacks is left alone.
class TFUkos : public QWidget {
    Q_OBJECT
public:
    explicit TFUkos(IDialogs& dialogs, QWidget* parent = nullptr);

    // The pass window it acts on; its elements are looked up at each change,
    // and shown again here when an undo brings back another design.
    void setPassWindow(TForm1* form);
    void setErrorHandler(const ErrorHandler* errors) { m_errors = errors; }

    void FormShow();
    void chWidocznyClick();
    void bitOpenImgClick();
    void edImageChange();
    void chOpisClick(int which);
    void edOpisuChange(int which);
    void pnlKolorClick(int which);
    void bitFontyClick(int which);
    void pnlCienClick(int which);
    void SpinEditChange(int which);

    QGroupBox* GroupObraz = nullptr;
    QGroupBox* GroupOpisy = nullptr;
    QCheckBox* chWidoczny = nullptr;
    QPushButton* bitOpenImg = nullptr;
    QLineEdit* edImage = nullptr;
    QCheckBox* chOpis1 = nullptr;
    QCheckBox* chOpis2 = nullptr;
    QLineEdit* edOpisu1 = nullptr;
    QLineEdit* edOpisu2 = nullptr;
    TColorPanel* pnlKolor1 = nullptr;
    TColorPanel* pnlKolor2 = nullptr;
    QPushButton* bitFonty1 = nullptr;
    QPushButton* bitFonty2 = nullptr;
    TColorPanel* pnlCien1 = nullptr;
    TColorPanel* pnlCien2 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    QPushButton* bitClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TLabel3DF* description(int which) const; // 1 or 2
    IDialogs& m_dialogs;
    const ErrorHandler* m_errors = nullptr;
    TForm1* m_form = nullptr;
};

} // namespace wendolarka
