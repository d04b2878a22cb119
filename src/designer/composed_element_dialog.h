#pragma once

#include "controls/barcode.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;

namespace wendolarka {

class TPassDesign;

// "Tekst złożony" / "Kod": the text with fields in braces, a field put in at
// the cursor from a list, and what it gives for the person on the pass, with
// whatever is wrong with it said in red.
class TComposedElementDialog : public QDialog {
    Q_OBJECT
public:
    // `kind` set: a code of that kind; none: a composed text.
    TComposedElementDialog(const TPassDesign& design, const QString& pattern, std::optional<TBarcodeKind> kind,
                           QWidget* parent = nullptr);

    QString pattern() const;
    TBarcodeKind kind() const;

    QComboBox* cbRodzaj = nullptr; // the kind of code
    QLineEdit* edTekst = nullptr;
    QComboBox* cbPole = nullptr;   // "Wstaw pole"
    QLabel* lblPodglad = nullptr;
    QLabel* lblUwagi = nullptr;

private:
    void showPreview();

    const TPassDesign& m_design;
    bool m_code;
};

} // namespace wendolarka
