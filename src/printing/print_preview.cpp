#include "print_preview.h"

#include "controls/host_form.h"
#include "core/arithmetic.h"
#include "core/exception.h"
#include "platform/printers.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

namespace wendolarka {
namespace {

const QString kNoPageMemory = QStringLiteral("Za mało pamięci na tworzenie nowej strony");

} // namespace

TPrintPreview::TPrintPreview(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFont(TFont(QStringLiteral("Arial"), 8).toQFont());
    m_paper = new TPaperPreview(viewport());
    m_paper->hide();
    m_paper->OnPaint = [this](TPaperPreview&, TCanvas& canvas, const TRect& r) { PaintPage(canvas, r); };
    m_paper->installEventFilter(this);
    m_paperView.OnChange = [this] {
        m_paperView.AssignTo(*m_paper);
        RelayoutPaper();
    };
    m_paperView.AssignTo(*m_paper);
    m_pages.OnChange = [this](TMetafileList&) { pagesChanged(); };
    m_pages.OnItemChange = [this](TMetafileList&, int index) {
        if (m_currentPage == index + 1) {
            rebuildOverlays();
            m_paper->Invalidate();
        }
        if (OnChange)
            OnChange(*this);
    };
    m_paperSize = paperSizeOf(m_paperType, m_units, m_orientation);
    m_pageExtent = QSize(ConvertUnit(m_paperSize.width(), m_units, mmPixel),
                         ConvertUnit(m_paperSize.height(), m_units, mmPixel));
}

TPrintPreview::~TPrintPreview() {
    m_pages.OnChange = nullptr;
    m_pages.OnItemChange = nullptr;
    m_canvas.reset();
}

int TPrintPreview::ConvertUnit(int value, TUnits from, TUnits to) const {
    return UnitConversion(value, kScreenDpi, from, to);
}

// ---- paper --------------------------------------------------------------------------------

void TPrintPreview::paperChanged() {
    m_pageExtent = QSize(ConvertUnit(m_paperSize.width(), m_units, mmPixel),
                         ConvertUnit(m_paperSize.height(), m_units, mmPixel));
    RelayoutPaper();
}

void TPrintPreview::setPaperType(TPaperType type) {
    if (type == m_paperType || m_state != stIdle)
        return;
    m_paperType = type;
    m_formName.clear();
    if (type == pCustom)
        return;
    m_paperSize = paperSizeOf(type, m_units, m_orientation);
    paperChanged();
}

void TPrintPreview::setPaperSize(QSize size) {
    size = clampPaperSize(size);
    if (size == m_paperSize || m_state != stIdle)
        return;
    m_paperSize = size;
    const QSize portrait = m_orientation == poLandscape ? size.transposed() : size;
    m_paperType = FindPaperType(portrait, m_units);
    m_formName.clear();
    paperChanged();
}

void TPrintPreview::setOrientation(TPrinterOrientation orientation) {
    if (orientation == m_orientation || m_state != stIdle)
        return;
    m_orientation = orientation;
    m_paperSize.transpose();
    paperChanged();
}

void TPrintPreview::setUnits(TUnits units) {
    if (units == m_units)
        return;
    if (m_paperType == pCustom)
        m_paperSize = QSize(ConvertUnit(m_paperSize.width(), m_units, units), ConvertUnit(m_paperSize.height(), m_units, units));
    else
        m_paperSize = paperSizeOf(m_paperType, units, m_orientation);
    m_units = units;
    if (m_canvas)
        mapCanvas(*m_canvas, kScreenDpi, kScreenDpi);
}

// ---- documents -----------------------------------------------------------------------------

void TPrintPreview::mapCanvas(QPainter& painter, int dpiX, int dpiY) const {
    // Logical (0, 0) is the physical corner of the sheet; (W, H) in Units its opposite corner.
    const int w = m_paperSize.width(), h = m_paperSize.height();
    painter.setWindow(0, 0, w, h);
    painter.setViewport(0, 0, UnitConversion(w, dpiX, m_units, mmPixel), UnitConversion(h, dpiY, m_units, mmPixel));
    QFont font = this->font();
    painter.setFont(font);
}

void TPrintPreview::openRecordedPage() {
    m_recording = std::make_unique<QPicture>();
    m_canvas = std::make_unique<QPainter>();
    if (!m_canvas->begin(m_recording.get())) {
        m_canvas.reset();
        m_recording.reset();
        throw Exception(kNoPageMemory);
    }
    // A recorded page's device is the screen: one pixel unit is one picture unit.
    mapCanvas(*m_canvas, kScreenDpi, kScreenDpi);
}

void TPrintPreview::closeRecordedPage() {
    if (!m_canvas)
        return;
    m_canvas->end();
    m_canvas.reset();
    TRecordedPage page;
    page.setPicture(*m_recording);
    m_recording.reset();
    m_pages.Add(page);
}

QPrinter* TPrintPreview::printer() const { return m_service ? &m_service->printer() : nullptr; }

void TPrintPreview::openPrinterPage() {
    if (!printer())
        throw Exception(QStringLiteral("Nie wybrano drukarki."));
    // Full page: shift 0 puts the picture at the sheet's corner, nothing scaled twice.
    printer()->setFullPage(true);
    printer()->setDocName(PrintJobTitle);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer()))
        throw Exception(QStringLiteral("Nie można rozpocząć drukowania na drukarce %1.").arg(printer()->printerName()));
    mapCanvas(*painter, printer()->logicalDpiX(), printer()->logicalDpiY());
    m_canvas = std::move(painter);
}

void TPrintPreview::BeginDoc() {
    if (m_state != stIdle)
        return;
    m_canvas.reset();
    m_recording.reset();
    m_aborted = false;
    if (m_directPrint) {
        // All or nothing: a job that does not start leaves everything as it was.
        m_printedPages = 0;
        if (UsePrinterOptions)
            ReadFromPrinter();
        else
            ApplyToPrinter();
        openPrinterPage();
        m_directFlag = true;
        m_state = stPrinting;
        if (OnBeginDoc)
            OnBeginDoc(*this);
        if (OnNewPage)
            OnNewPage(*this);
        return;
    }
    Clear();
    if (UsePrinterOptions)
        ReadFromPrinter();
    m_state = stRecording;
    m_directFlag = false;
    paperChanged();
    if (OnBeginDoc)
        OnBeginDoc(*this);
    NewPage();
}

void TPrintPreview::NewPage() {
    if (m_state == stRecording) {
        if (m_canvas) {
            if (OnEndPage)
                OnEndPage(*this);
            closeRecordedPage();
        }
        openRecordedPage();
    } else if (m_state == stPrinting) {
        if (m_canvas) {
            if (OnEndPage)
                OnEndPage(*this);
            ++m_printedPages;
            printer()->newPage();
        } else {
            openPrinterPage();
        }
    } else {
        return;
    }
    if (OnNewPage)
        OnNewPage(*this);
}

void TPrintPreview::EndDoc() {
    if (m_state == stIdle)
        return;
    const TPreviewState state = m_state;
    m_state = stIdle; // whatever happens below, the document is over
    if (state == stRecording) {
        if (OnEndPage)
            OnEndPage(*this);
        if (!m_aborted)
            closeRecordedPage();
        m_canvas.reset();
        m_recording.reset();
    } else {
        if (OnEndPage)
            OnEndPage(*this);
        ++m_printedPages;
        const bool ended = m_canvas && m_canvas->end();
        m_canvas.reset();
        m_directFlag = false;
        // A job that did not end well is not reported as printed.
        bool printed = ended && printer() && printer()->printerState() != QPrinter::Error;
        if (printed && printer()->outputFormat() == QPrinter::PdfFormat) {
            const QFileInfo output(printer()->outputFileName());
            printed = output.exists() && output.size() > 0;
        }
        if (!printed && !m_aborted)
            throw Exception(QStringLiteral("Drukowanie nie powiodło się; strona nie została wydrukowana."));
    }
    if (OnEndDoc)
        OnEndDoc(*this);
}

void TPrintPreview::Abort() {
    if (m_aborted)
        return;
    if (m_state == stRecording) {
        m_aborted = true;
        if (OnAbort)
            OnAbort(*this);
        if (m_canvas)
            m_canvas->end();
        m_canvas.reset();
        m_recording.reset();
        Clear();
    } else if (m_state == stPrinting) {
        m_aborted = true;
        if (OnAbort)
            OnAbort(*this);
        if (printer())
            printer()->abort();
    }
}

std::optional<QPicture> TPrintPreview::buildOverlay(bool enabled, const TPreviewPageDraw& handler, int pageNo) {
    if (!enabled || pageNo <= 0 || !handler)
        return std::nullopt;
    QPicture picture;
    QPainter canvas;
    if (!canvas.begin(&picture))
        throw Exception(kNoPageMemory);
    mapCanvas(canvas, kScreenDpi, kScreenDpi);
    try {
        handler(*this, pageNo, canvas);
    } catch (...) {
        canvas.end();
        throw;
    }
    canvas.end();
    return picture;
}

void TPrintPreview::rebuildOverlays() {
    m_backgroundPage = buildOverlay(m_background, OnBackground, m_currentPage);
    m_annotationPage = buildOverlay(m_annotation, OnAnnotation, m_currentPage);
    m_shownPage = 0;
}

void TPrintPreview::setAnnotation(bool value) {
    if (value == m_annotation)
        return;
    m_annotation = value;
    UpdateAnnotation();
}

void TPrintPreview::setBackground(bool value) {
    if (value == m_background)
        return;
    m_background = value;
    m_backgroundPage = buildOverlay(m_background, OnBackground, m_currentPage);
    m_shownPage = 0;
    m_paper->Invalidate();
}

void TPrintPreview::setGrayscalePreview(bool value) {
    if (value == m_grayPreview)
        return;
    m_grayPreview = value;
    m_shownPage = 0;
    m_paper->Invalidate();
}

void TPrintPreview::UpdateAnnotation() {
    m_annotationPage = buildOverlay(m_annotation, OnAnnotation, m_currentPage);
    m_shownPage = 0;
    m_paper->Invalidate();
}

void TPrintPreview::setCurrentPage(int page) {
    if (TotalPages() == 0)
        return;
    page = std::clamp(page, 1, TotalPages());
    if (page == m_currentPage)
        return;
    m_currentPage = page;
    rebuildOverlays();
    m_paper->Invalidate();
    if (OnChange)
        OnChange(*this);
}

void TPrintPreview::pagesChanged() {
    m_shownPage = 0; // the pages are new: nothing played is still right
    if (TotalPages() == 0) {
        m_currentPage = 0;
        m_paper->hide();
    } else if (m_currentPage == 0) {
        m_currentPage = 1;
        RelayoutPaper();
        m_paper->show();
    }
    rebuildOverlays();
    m_paper->Invalidate();
    m_paper->repaint();
    if (OnChange)
        OnChange(*this);
}

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
        const QSize hi = m_paperType != pCustom ? paperSizeOf(m_paperType, mmHiMetric, poPortrait)
                                                : QSize(lo.width() * 10, lo.height() * 10);
        const QString name = QStringLiteral("%1mm x %2mm").arg(hi.width() / 100).arg(hi.height() / 100);
        const QSize inUnits(ConvertUnit(hi.width(), mmHiMetric, m_units), ConvertUnit(hi.height(), mmHiMetric, m_units));
        if (AddPrinterForm(name, inUnits.width(), inUnits.height())) {
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

// ---- drawing ---------------------------------------------------------------------------------

QRect TPrintPreview::DrawGraphicInRect(const QRect& r, const QImage& image, bool proportional, bool shrinkOnly,
                                       bool center) {
    if (!m_canvas)
        throw Exception(QStringLiteral("Nie ma otwartej strony do rysowania."));
    const int gw = ConvertUnit(image.width(), mmPixel, m_units), gh = ConvertUnit(image.height(), mmPixel, m_units);
    const int rw = r.width(), rh = r.height();
    int w = rw, h = rh;
    if (shrinkOnly && gw <= rw && gh <= rh) {
        w = gw;
        h = gh;
    } else if (proportional && gw > 0 && gh > 0) {
        if (static_cast<double>(rh) / gh > static_cast<double>(rw) / gw) {
            w = rw;
            h = MulDiv(gh, rw, gw);
        } else {
            w = MulDiv(gw, rh, gh);
            h = rh;
        }
    }
    const QRect used(center ? r.left() + (rw - w) / 2 : r.left(), center ? r.top() + (rh - h) / 2 : r.top(), w, h);
    m_canvas->drawImage(used, image);
    return used;
}

QPoint TPrintPreview::DrawGraphicAt(int x, int y, const QImage& image) {
    const QRect r(x, y, ConvertUnit(image.width(), mmPixel, m_units), ConvertUnit(image.height(), mmPixel, m_units));
    const QRect used = DrawGraphicInRect(r, image, false, false, false);
    return {used.left() + used.width(), used.top() + used.height()};
}

void TPrintPreview::PaintPage(TCanvas& canvas, const TRect& r) {
    if (m_currentPage < 1 || m_currentPage > TotalPages() || m_directFlag)
        return;
    // The page is played once at its own size (its pictures decoded once) and
    // that image is what every zoom shows; a recording keeps no frame, so it is
    // fitted by the page extent.
    if (m_shownPage != m_currentPage || m_pageImage.size() != m_pageExtent) {
        m_pageImage = QImage(m_pageExtent.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_pageImage.fill(Qt::transparent);
        QPainter player(&m_pageImage);
        // Underlay, page, overlay.
        if (m_backgroundPage)
            player.drawPicture(0, 0, *m_backgroundPage);
        QImage content(m_pageImage.size(), QImage::Format_ARGB32_Premultiplied);
        content.fill(Qt::transparent);
        {
            QPainter page(&content);
            page.drawPicture(0, 0, m_pages[m_currentPage - 1].Picture());
        }
        if (m_grayPreview) {
            // gray = (30 red + 59 green + 11 blue) div 100
            for (int y = 0; y < content.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(content.scanLine(y));
                for (int x = 0; x < content.width(); ++x) {
                    const int g = (30 * qRed(row[x]) + 59 * qGreen(row[x]) + 11 * qBlue(row[x])) / 100;
                    row[x] = qRgba(g, g, g, qAlpha(row[x]));
                }
            }
        }
        player.drawImage(0, 0, content);
        if (m_annotationPage)
            player.drawPicture(0, 0, *m_annotationPage);
        m_shownPage = m_currentPage;
    }
    QPainter painter(&canvas.image());
    painter.setClipRect(r.toQRect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, r.Width() != m_pageExtent.width());
    painter.drawImage(r.toQRect(), m_pageImage);
}

// ---- view -----------------------------------------------------------------------------------------

void TPrintPreview::setZoomState(TZoomState state) {
    if (state == m_zoomState)
        return;
    m_zoomState = state;
    RelayoutPaper();
}

void TPrintPreview::setZoom(int zoom) {
    zoom = clampZoom(zoom, m_zoomMin, m_zoomMax);
    if (zoom == m_zoom && m_zoomState == zsZoomOther)
        return;
    const int before = m_zoom;
    m_zoom = zoom;
    m_zoomState = zsZoomOther;
    RelayoutPaper();
    if (!m_paper->BitmapValid()) {
        m_zoom = before; // a page too large to hold: the old zoom comes back
        RelayoutPaper();
        return;
    }
    if (OnZoomChange)
        OnZoomChange(*this);
}

void TPrintPreview::setZoomMin(int value) {
    if (value == m_zoomMin || value <= 0 || value > m_zoomMax)
        return;
    m_zoomMin = value;
    if (m_zoomState == zsZoomOther && m_zoom < value)
        setZoom(value);
}

void TPrintPreview::setZoomMax(int value) {
    if (value == m_zoomMax || value < m_zoomMin)
        return;
    m_zoomMax = value;
    if (m_zoomState == zsZoomOther && m_zoom > value)
        setZoom(value);
}

void TPrintPreview::RelayoutPaper() {
    if (m_pages.Count() == 0)
        return;
    const int before = m_zoom;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    QSize avail = maximumViewportSize();
    int px = 0, py = 0;
    if (ZoomSavePos && m_currentPage != 0) {
        px = std::max(0, MulDiv(h->value(), 100, h->maximum()));
        py = std::max(0, MulDiv(v->value(), 100, v->maximum()));
    }
    const int frame = 2 * m_paper->BorderSize() + m_paper->ShadowSize();
    TPaperBox box = ComputePaperBox(m_zoomState, m_zoom, avail, m_pageExtent, frame);
    m_canScrollHorz = box.size.width() > avail.width();
    m_canScrollVert = box.size.height() > avail.height();
    const int barHeight = h->sizeHint().height(), barWidth = v->sizeHint().width();
    if (m_canScrollHorz) {
        avail.rheight() -= barHeight;
        m_canScrollVert = box.size.height() > avail.height();
        if (m_canScrollVert)
            avail.rwidth() -= barWidth;
        box = ComputePaperBox(m_zoomState, m_zoom, avail, m_pageExtent, frame);
    } else if (m_canScrollVert) {
        avail.rwidth() -= barWidth;
        m_canScrollHorz = box.size.width() > avail.width();
        if (m_canScrollHorz)
            avail.rheight() -= barHeight;
        box = ComputePaperBox(m_zoomState, m_zoom, avail, m_pageExtent, frame);
    }
    m_zoom = box.zoom;
    setHorizontalScrollBarPolicy(m_canScrollHorz ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(m_canScrollVert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_paperPos = QPoint(m_canScrollHorz ? 0 : (avail.width() - box.size.width()) / 2,
                        m_canScrollVert ? 0 : (avail.height() - box.size.height()) / 2);
    m_paper->resize(box.size);
    h->setRange(0, std::max(0, box.size.width() - avail.width()));
    v->setRange(0, std::max(0, box.size.height() - avail.height()));
    h->setPageStep(avail.width());
    v->setPageStep(avail.height());
    h->setSingleStep(16);
    v->setSingleStep(16);
    if (m_currentPage != 0 && ZoomSavePos) {
        h->setValue(m_canScrollHorz ? MulDiv(px, h->maximum(), 100) : 0);
        v->setValue(m_canScrollVert ? MulDiv(py, v->maximum(), 100) : 0);
    }
    placePaper();
    m_grabbing = false;
    m_paper->setCursor(cursorFor(m_canScrollHorz || m_canScrollVert ? m_paperView.DragCursor : m_paperView.Cursor));
    m_paper->Invalidate();
    if (m_zoom != before && OnZoomChange)
        OnZoomChange(*this);
}

void TPrintPreview::placePaper() {
    m_paper->move(m_paperPos - QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void TPrintPreview::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RelayoutPaper();
}

void TPrintPreview::scrollContentsBy(int, int) { placePaper(); }

void TPrintPreview::keyPressEvent(QKeyEvent* event) {
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool none = mods == Qt::NoModifier || mods == Qt::KeypadModifier;
    const bool shift = mods == Qt::ShiftModifier, ctrl = mods == Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Home:
        if (none) h->setValue(0); else if (ctrl) v->setValue(0); else break;
        return;
    case Qt::Key_End:
        if (none) h->setValue(h->maximum()); else if (ctrl) v->setValue(v->maximum()); else break;
        return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int sign = event->key() == Qt::Key_Left ? -1 : 1;
        h->setValue(h->value() + sign * (ctrl ? viewport()->width() : shift ? 1 : h->singleStep()));
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int sign = event->key() == Qt::Key_Up ? -1 : 1;
        v->setValue(v->value() + sign * (ctrl ? viewport()->height() : shift ? 1 : v->singleStep()));
        return;
    }
    case Qt::Key_PageDown:
        if (none) setCurrentPage(m_currentPage + 1); else if (ctrl) setCurrentPage(TotalPages()); else break;
        return;
    case Qt::Key_PageUp:
        if (none) setCurrentPage(m_currentPage - 1); else if (ctrl) setCurrentPage(1); else break;
        return;
    case Qt::Key_Plus:
        if (event->modifiers() & Qt::KeypadModifier) { setZoom(m_zoom + ZoomStep); return; }
        break;
    case Qt::Key_Minus:
        if (event->modifiers() & Qt::KeypadModifier) { setZoom(m_zoom - ZoomStep); return; }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TPrintPreview::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int notches = m_wheel.add(event->angleDelta().y());
    const Qt::KeyboardModifiers mods = event->modifiers();
    for (int k = 0; k < std::abs(notches); ++k) {
        const bool up = notches > 0;
        if (mods == Qt::NoModifier)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + (up ? -1 : 1) * verticalScrollBar()->singleStep());
        else if (mods == Qt::ShiftModifier || (event->buttons() & Qt::MiddleButton))
            setCurrentPage(m_currentPage + (up ? -1 : 1));
        else if (mods == Qt::ControlModifier)
            setZoom(m_zoom + (up ? ZoomStep : -ZoomStep));
        else
            event->ignore();
    }
}

bool TPrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_paper)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!hasFocus() && isEnabled())
            setFocus(Qt::MouseFocusReason);
        if (m_canScrollHorz || m_canScrollVert) {
            m_grabbing = true;
            m_paper->setCursor(cursorFor(m_paperView.GrabCursor));
        }
        m_grabPoint = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || !m_grabbing)
            return false;
        const QPoint d = mouse->position().toPoint() - m_grabPoint;
        if (m_canScrollHorz)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() - d.x());
        if (m_canScrollVert)
            verticalScrollBar()->setValue(verticalScrollBar()->value() - d.y());
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (m_grabbing) {
            m_grabbing = false;
            m_paper->setCursor(cursorFor(m_paperView.DragCursor));
        }
        return false;
    default:
        return false;
    }
}

} // namespace wendolarka
