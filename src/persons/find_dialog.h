#pragma once

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wendolarka {

class TRadioGroup;

// What the user asked to find, and how.
struct TSearchRequest {
    QString phrase;
    bool matchCase = false;  // "Uwzględnij wielkość liter"
    bool wholeWords = false; // "Uwzględnij tylko całe wyrazy"
    bool byRows = true;      // "Szukaj kolejno rekordami"
};

// The find dialog: a phrase and how to look for it in the person grid. Neither
// button is the default, so Enter in the phrase box closes nothing; Esc cancels.
class Tfinddlg : public QDialog {
    Q_OBJECT
public:
    explicit Tfinddlg(QWidget* parent = nullptr);

    // The answers as they stand now.
    TSearchRequest request() const;
    // A fresh dialog, centred on the screen and shown modally; nothing when it is not closed with OK.
    static std::optional<TSearchRequest> ask(QWidget* parent, const QRect& screen);

    QLabel* Label1 = nullptr;
    QLineEdit* Search = nullptr;
    QCheckBox* chkLitery = nullptr;
    QCheckBox* chkSlowa = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace wendolarka
