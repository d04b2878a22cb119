#include "position_dialog.h"

#include "controls/element_host.h"
#include "design_history.h"
#include "pass_arrange.h"
#include "pass_window.h"
#include "sizer/size_control.h"
#include "widgets/form_setup.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace wendolarka {

TFPolozenie::TFPolozenie(const QString& elementName, const TRect& bounds, int pixelsPerInch, QWidget* parent)
    : QDialog(parent), m_pixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : 96) {
    setObjectName(QStringLiteral("FPolozenie"));
    // Millimetres as a Polish user writes them, with a decimal comma, whatever the system's locale.
    setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    setWindowTitle(QString::fromUtf8("Położenie i rozmiar – %1").arg(elementName));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("piksele"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("mm"), this), 0, 2);
    const std::array<const char*, 4> captions = {"Od &lewej:", "Od &góry:", "&Szerokość:", "&Wysokość:"};
    const std::array<int, 4> values = {bounds.Left, bounds.Top, bounds.Width(), bounds.Height()};
    const double mmPerPixel = 25.4 / m_pixelsPerInch;
    for (std::size_t row = 0; row < 4; ++row) {
        // A place may lie off the pass (negative); a size is never below nothing.
        const int low = row < 2 ? -kMaxCardSide : 0;
        auto* pixels = new QSpinBox(this);
        pixels->setObjectName(QStringLiteral("Piksele%1").arg(row + 1));
        pixels->setRange(low, kMaxCardSide);
        pixels->setValue(values[row]);
        auto* millimetres = new QDoubleSpinBox(this);
        millimetres->setObjectName(QStringLiteral("Milimetry%1").arg(row + 1));
        millimetres->setDecimals(2);
        millimetres->setSingleStep(0.5);
        millimetres->setRange(low * mmPerPixel, kMaxCardSide * mmPerPixel);
        millimetres->setValue(pass_arrange::toMillimetres(values[row], m_pixelsPerInch));
        auto* caption = new QLabel(QString::fromUtf8(captions[row]), this);
        caption->setBuddy(pixels);
        grid->addWidget(caption, int(row) + 1, 0);
        grid->addWidget(pixels, int(row) + 1, 1);
        grid->addWidget(millimetres, int(row) + 1, 2);
        Piksele[row] = pixels;
        Milimetry[row] = millimetres;
        connect(pixels, &QSpinBox::valueChanged, this, [this, row] { pixelsChanged(row); });
        connect(millimetres, &QDoubleSpinBox::valueChanged, this, [this, row] { millimetresChanged(row); });
    }
    auto* note = new QLabel(QString::fromUtf8("%1 pikseli na cal (1 cal = 25,4 mm)").arg(m_pixelsPerInch), this);
    QDialogButtonBox* buttons = okCancelButtons(*this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addWidget(buttons);
    Piksele[0]->setFocus();
    Piksele[0]->selectAll();
}

void TFPolozenie::pixelsChanged(std::size_t row) {
    const QSignalBlocker quiet(Milimetry[row]);
    Milimetry[row]->setValue(pass_arrange::toMillimetres(Piksele[row]->value(), m_pixelsPerInch));
}

// The millimetres stay as typed; the pixels show where that lands.
void TFPolozenie::millimetresChanged(std::size_t row) {
    const QSignalBlocker quiet(Piksele[row]);
    Piksele[row]->setValue(pass_arrange::toPixels(Milimetry[row]->value(), m_pixelsPerInch));
}

TRect TFPolozenie::bounds() const {
    return TRect::bounds(Piksele[0]->value(), Piksele[1]->value(), Piksele[2]->value(), Piksele[3]->value());
}

void applyPositionAndSize(TForm1& form, TControl& element, const TRect& bounds) {
    element.setBoundsRect(bounds);
    form.history().checkpoint(); // the sizer follows there too
}

void editPositionAndSize(TForm1& form, TControl& element) {
    TFPolozenie dialog(element.Name(), element.BoundsRect(), form.PixelsPerInch(), &form);
    if (dialog.exec() == QDialog::Accepted)
        applyPositionAndSize(form, element, dialog.bounds());
}

} // namespace wendolarka
