#pragma once

#include "core/font.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace wendolarka {

// The program's font dialog: family, style, size, underline, strike-out, colour
// from the sixteen basic colours, character set and a sample. It opens on the
// font it is given, bold and italic exactly as they are, and OK without a change
// returns that font unchanged, colour included.
class TFontDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TFontDialog(const TFont& initial, QWidget* parent = nullptr);

    // The font as the controls describe it now.
    TFont selectedFont() const;

    static std::optional<TFont> execute(const TFont& initial, QWidget* parent);

    QListWidget* lstNazwa = nullptr;
    QListWidget* lstStyl = nullptr;
    QLineEdit* edRozmiar = nullptr;
    QListWidget* lstRozmiar = nullptr;
    QCheckBox* chPrzekreslenie = nullptr;
    QCheckBox* chPodkreslenie = nullptr;
    QComboBox* cbKolor = nullptr;
    QComboBox* cbSkrypt = nullptr;
    QLabel* lblPrzyklad = nullptr;

private:
    void updateSample();

    TFont m_initial;
};

} // namespace wendolarka
