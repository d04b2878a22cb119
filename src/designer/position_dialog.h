#pragma once

#include "core/canvas.h"

#include <QDialog>

#include <array>

class QDoubleSpinBox;
class QSpinBox;

namespace wendolarka {

class TControl;
class TForm1;

// "Położenie i rozmiar…": the picked element's left, top, width and height
// typed in pixels or in millimetres at the design's resolution; each pair
// follows the other as it is typed.
class TFPolozenie : public QDialog {
    Q_OBJECT
public:
    TFPolozenie(const QString& elementName, const TRect& bounds, int pixelsPerInch, QWidget* parent = nullptr);

    // Left, top, width, height in pixels, as typed or as the millimetres give them.
    TRect bounds() const;

    // 0 left, 1 top, 2 width, 3 height.
    std::array<QSpinBox*, 4> Piksele{};
    std::array<QDoubleSpinBox*, 4> Milimetry{};

private:
    void pixelsChanged(std::size_t row);
    void millimetresChanged(std::size_t row);
    int m_pixelsPerInch;
};

// The command: the dialog for the element, and on OK its new place and size
// as one step of the design's history, the sizer following.
void editPositionAndSize(TForm1& form, TControl& element);
// What OK does, apart from the dialog.
void applyPositionAndSize(TForm1& form, TControl& element, const TRect& bounds);

} // namespace wendolarka
