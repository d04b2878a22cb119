#include "print_preview.h"

// The preview's paper on the printer: device-mode record and printer forms.

#include "controls/host_form.h"
#include "core/arithmetic.h"
#include "core/exception.h"
#include "platform/printers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace wendolarka {

// ---- the printer's paper -----------------------------------------------------------------------

bool TPrintPreview::PrinterInstalled() const { return m_service && m_service->PrinterInstalled(); }

void TPrintPreview::ApplyToPrinter() {
    if (!m_service)
        return;
    TDeviceMode mode = m_service->deviceMode();
    mode.dmFields &= ~(TDeviceMode::dmPaperSizeField | TDeviceMode::dmPaperLengthField |
                       TDeviceMode::dmPaperWidthField | TDeviceMode::dmFormNameField);
    const QString form = MatchPrinterForm();
    if (!form.isEmpty()) {
        mode.dmFields |= TDeviceMode::dmFormNameField;
        mode.dmFormName = form.left(31);
    }
    if (m_paperType == pCustom) {
        QSize size(ConvertUnit(m_paperSize.width(), m_units, mmLoMetric), ConvertUnit(m_paperSize.height(), m_units, mmLoMetric));
        if (m_orientation == poLandscape)
            size.transpose();
        mode.dmFields |= TDeviceMode::dmPaperSizeField | TDeviceMode::dmPaperWidthField | TDeviceMode::dmPaperLengthField;
        mode.dmPaperSize = 256;
        mode.dmPaperWidth = size.width();
        mode.dmPaperLength = size.height();
    } else {
        mode.dmFields |= TDeviceMode::dmPaperSizeField;
        mode.dmPaperSize = kPaperTable[static_cast<std::size_t>(m_paperType)].code;
    }
    mode.dmFields |= TDeviceMode::dmOrientationField;
    mode.dmOrientation = m_orientation == poLandscape ? 2 : 1;
    m_service->setDeviceMode(mode);
}

void TPrintPreview::ReadFromPrinter() {
    if (!m_service)
        return;
    const TDeviceMode mode = m_service->deviceMode();
    if (mode.dmFields & TDeviceMode::dmOrientationField)
        setOrientation(mode.dmOrientation == 2 ? poLandscape : poPortrait);
    setPaperType((mode.dmFields & TDeviceMode::dmPaperSizeField) ? PaperTypeFromCode(mode.dmPaperSize) : pCustom);
    if (m_paperType == pCustom && mode.dmPaperWidth > 0 && mode.dmPaperLength > 0) {
        QSize size(ConvertUnit(mode.dmPaperWidth, mmLoMetric, m_units), ConvertUnit(mode.dmPaperLength, mmLoMetric, m_units));
        if (m_orientation == poLandscape)
            size.transpose();
        setPaperSize(size);
    }
    if (mode.dmFields & TDeviceMode::dmFormNameField)
        m_formName = mode.dmFormName.left(32);
}

QString TPrintPreview::MatchPrinterForm() {
    if (!PrinterInstalled())
        return {};
    // A paper chosen by type is matched by the table's own size, never by a
    // size rounded through pixels (A4 stays 2100 x 2970).
    const QSize lo = m_paperType != pCustom
                         ? paperSizeOf(m_paperType, mmLoMetric, poPortrait)
                         : QSize(ConvertUnit(m_orientation == poLandscape ? m_paperSize.height() : m_paperSize.width(), m_units, mmLoMetric),
                                 ConvertUnit(m_orientation == poLandscape ? m_paperSize.width() : m_paperSize.height(), m_units, mmLoMetric));
    if (m_formName.isEmpty()) {
        for (const TPrinterForm& form : m_service->forms())
            if (form.size.width() / 100 == lo.width() && form.size.height() / 100 == lo.height()) {
                m_formName = form.name;
                break;
            }
    }
    if (!m_autoFormName.isEmpty() && m_autoFormName.compare(m_formName, Qt::CaseInsensitive) == 0)
        DeletePrinterForm(m_autoFormName);
    if (m_formName.isEmpty()) {
        const QSize portrait = m_orientation == poLandscape ? m_paperSize.transposed() : m_paperSize;
        const QSize hi = m_paperType != pCustom
                             ? paperSizeOf(m_paperType, mmHiMetric, poPortrait)
                             : QSize(ConvertUnit(portrait.width(), m_units, mmHiMetric), ConvertUnit(portrait.height(), m_units, mmHiMetric));
        const QString name = QStringLiteral("%1mm x %2mm").arg(hi.width() / 100).arg(hi.height() / 100);
        if (AddPrinterForm(name, portrait.width(), portrait.height())) {
            m_formName = m_autoFormName = name;
            if (OnAutoCustomForm)
                OnAutoCustomForm(*this, name, true);
        }
    }
    return m_formName;
}

bool TPrintPreview::AddPrinterForm(const QString& name, int width, int height) {
    if (!PrinterInstalled())
        return false;
    const QSize size(ConvertUnit(width, m_units, mmHiMetric) * 10, ConvertUnit(height, m_units, mmHiMetric) * 10);
    return m_service->addForm({name, size});
}

bool TPrintPreview::DeletePrinterForm(const QString& name) {
    if (!PrinterInstalled() || !m_service->deleteForm(name))
        return false;
    if (m_formName.compare(name, Qt::CaseInsensitive) == 0)
        m_formName.clear();
    if (m_autoFormName.compare(name, Qt::CaseInsensitive) == 0) {
        if (OnAutoCustomForm)
            OnAutoCustomForm(*this, m_autoFormName, false);
        m_autoFormName.clear();
    }
    return true;
}

} // namespace wendolarka
