#include "print_preview.h"

#include "controls/host_form.h"
#include "core/arithmetic.h"
#include "core/exception.h"
#include "core/picture.h"
#include "page_graphics.h"
#include "platform/printers.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstring>

namespace wendolarka {
namespace {

const QString kNoPageMemory = QStringLiteral("Za mało pamięci na tworzenie nowej strony");

} // namespace

TPrintPreview::TPrintPreview(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFont(TFont(QStringLiteral("Arial"), 8).toQFont());
    m_paper = new TPaperPreview(viewport());
    m_paper->hide();
    m_paper->OnPaint = [this](TPaperPreview& sender, TCanvas& canvas, const TRect& r) { PaintPage(sender, canvas, r); };
    m_paper->OwnerFillsPage = true;
    m_paper->installEventFilter(this);
    // The bars are part of the component's window: the wheel over them acts as over the paper.
    horizontalScrollBar()->installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
    m_paperView.OnChange = [this] {
        m_paperView.AssignTo(*m_paper);
        RelayoutPaper();
    };
    m_paperView.AssignTo(*m_paper);
    m_pages.OnChange = [this](TMetafileList&) { pagesChanged(); };
    m_pages.OnItemChange = [this](TMetafileList&, int index) {
        if (m_currentPage == index + 1)
            rebuildOverlays();
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
    m_printToFile.reset(); // an unfinished job into a file is dropped, the user's file kept
    // The form this component made for its paper goes with it (no event while dying).
    if (!m_autoFormName.isEmpty() && PrinterInstalled())
        m_service->deleteForm(m_autoFormName);
}

int TPrintPreview::ConvertUnit(int value, TUnits from, TUnits to) const {
    return UnitConversion(value, kScreenDpi, from, to);
}

QPoint TPrintPreview::ConvertPoint(QPoint point, TUnits from, TUnits to) const {
    return {ConvertUnit(point.x(), from, to), ConvertUnit(point.y(), from, to)};
}

void TPrintPreview::ConvertPoints(std::span<QPoint> points, TUnits from, TUnits to) const {
    for (QPoint& point : points)
        point = ConvertPoint(point, from, to);
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
    if (m_canvas) {
        QPen pen = m_canvas->pen();
        pen.setWidth(ConvertUnit(pen.width(), m_units, units));
        m_canvas->setPen(pen);
    }
    m_units = units;
    if (m_canvas) {
        const bool printing = m_state == stPrinting && printer();
        mapCanvas(*m_canvas, printing ? printer()->logicalDpiX() : kScreenDpi, printing ? printer()->logicalDpiY() : kScreenDpi);
    }
}

// ---- documents -----------------------------------------------------------------------------

void TPrintPreview::mapCanvas(QPainter& painter, int dpiX, int dpiY) const {
    // Logical (0, 0) is the physical corner of the sheet; (W, H) in Units its opposite corner.
    const int w = m_paperSize.width(), h = m_paperSize.height();
    const int devW = UnitConversion(w, dpiX, m_units, mmPixel), devH = UnitConversion(h, dpiY, m_units, mmPixel);
    painter.setWindow(0, 0, w, h);
    painter.setViewport(0, 0, devW, devH);
    // The font keeps its point size on any device: its pixels per inch become the
    // logical units per inch, so the mapping does not scale it a second time.
    QFont font = this->font();
    const double unitsPerInch = devH > 0 ? static_cast<double>(MulDiv(dpiY, h, devH)) : dpiY;
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / kScreenDpi;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * unitsPerInch / 72.0))));
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
    if (!m_printToFile)
        m_printToFile = std::make_unique<TPrintToFile>(*printer());
    auto painter = std::make_unique<QPainter>();
    if (!beginPrinting(*painter, *printer())) {
        m_printToFile.reset();
        throw Exception(QStringLiteral("Nie można rozpocząć drukowania na drukarce %1.").arg(printer()->printerName()));
    }
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
        const std::unique_ptr<TPrintToFile> job = std::move(m_printToFile);
        if (printed && !m_aborted && job)
            job->commit();
        if (!printed && !m_aborted) {
            if (OnEndDoc)
                OnEndDoc(*this);
            throw Exception(QStringLiteral("Drukowanie nie powiodło się; strona nie została wydrukowana."));
        }
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

void TPrintPreview::BuildAnnotation(int pageNo) {
    m_annotationPage.reset();
    m_annotationPage = buildOverlay(m_annotation, OnAnnotation, pageNo);
}

void TPrintPreview::BuildBackground(int pageNo) {
    m_backgroundPage.reset();
    m_backgroundPage = buildOverlay(m_background, OnBackground, pageNo);
}

void TPrintPreview::ReportProgress(int pageNo, int done, int total) {
    if (m_aborted || !OnPrintProgress)
        return;
    bool abortIt = false;
    OnPrintProgress(*this, pageNo, MulDiv(100, done, total), abortIt);
    if (abortIt)
        Abort();
}

void TPrintPreview::overlaysChanged() {
    m_shownPage = 0; // the page image holds the old overlays
    m_paper->Invalidate();
}

void TPrintPreview::rebuildOverlays() {
    BuildBackground(m_currentPage);
    BuildAnnotation(m_currentPage);
    overlaysChanged();
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
    BuildBackground(m_currentPage);
    overlaysChanged();
}

void TPrintPreview::setGrayscale(TGrayscaleOptions options) {
    if (options == m_grayscale)
        return;
    m_grayscale = options;
    overlaysChanged();
}

void TPrintPreview::UpdateAnnotation() {
    BuildAnnotation(m_currentPage);
    overlaysChanged();
}

void TPrintPreview::setCurrentPage(int page) {
    if (TotalPages() == 0)
        return;
    page = std::clamp(page, 1, TotalPages());
    if (page == m_currentPage)
        return;
    m_currentPage = page;
    rebuildOverlays();
    if (OnChange)
        OnChange(*this);
}

void TPrintPreview::pagesChanged() {
    m_shownPage = 0; // the pages are new: nothing played is still right
    if (TotalPages() == 0) {
        m_currentPage = 0;
        m_paper->hide();
    } else if (m_currentPage == 0) {
        RelayoutPaper(); // while no page is current: the view starts at the top-left corner
        m_currentPage = 1;
        m_paper->show();
    }
    rebuildOverlays();
    m_paper->repaint();
    if (OnChange)
        OnChange(*this);
}

// ---- drawing ---------------------------------------------------------------------------------

QRect TPrintPreview::DrawGraphicInRect(const QRect& r, const TGraphic& graphic, bool proportional, bool shrinkOnly,
                                       bool center) {
    if (!m_canvas)
        throw Exception(QStringLiteral("Nie ma otwartej strony do rysowania."));
    const int gw = ConvertUnit(graphic.Width(), mmPixel, m_units), gh = ConvertUnit(graphic.Height(), mmPixel, m_units);
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
    DrawGraphic(*m_canvas, used, graphic);
    return used;
}

QRect TPrintPreview::GraphicRectAt(int x, int y, QSize pixels) const {
    return {x, y, ConvertUnit(pixels.width(), mmPixel, m_units), ConvertUnit(pixels.height(), mmPixel, m_units)};
}

QPoint TPrintPreview::DrawGraphicAt(int x, int y, const TGraphic& graphic) {
    const QRect r = GraphicRectAt(x, y, QSize(graphic.Width(), graphic.Height()));
    const QRect used = DrawGraphicInRect(r, graphic, false, false, false);
    return {used.left() + used.width(), used.top() + used.height()};
}

void TPrintPreview::PaintPage(TPaperPreview&, TCanvas& canvas, const TRect& r) {
    // The paper control leaves the page to us (OwnerFillsPage): the page image
    // below is opaque, and without a page the paper colour is filled here.
    if (m_currentPage < 1 || m_currentPage > TotalPages() || m_directFlag) {
        canvas.Brush = {m_paper->PaperColor(), bsSolid};
        canvas.FillRect(r);
        return;
    }
    // The page is played once at its own size (its pictures decoded once) onto
    // the paper colour, and that image is what every zoom shows; a recording
    // keeps no frame, so it is fitted by the page extent.
    if (m_shownPage != m_currentPage || m_pageImage.size() != m_pageExtent || m_pagePaper != m_paper->PaperColor()) {
        m_pagePaper = m_paper->PaperColor();
        m_pageImage = QImage(m_pageExtent.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        m_pageImage.fill(toQColor(m_pagePaper));
        QPainter player(&m_pageImage);
        // Underlay, page, overlay.
        if (m_backgroundPage)
            player.drawPicture(0, 0, *m_backgroundPage);
        if (m_grayscale & gsPreview) {
            // gray = (30 red + 59 green + 11 blue) div 100, on the page only
            QImage content(m_pageImage.size(), QImage::Format_ARGB32_Premultiplied);
            content.fill(Qt::transparent);
            QPainter(&content).drawPicture(0, 0, m_pages[m_currentPage - 1].Picture());
            for (int y = 0; y < content.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(content.scanLine(y));
                for (int x = 0; x < content.width(); ++x) {
                    const int g = (30 * qRed(row[x]) + 59 * qGreen(row[x]) + 11 * qBlue(row[x])) / 100;
                    row[x] = qRgba(g, g, g, qAlpha(row[x]));
                }
            }
            player.drawImage(0, 0, content);
        } else {
            player.drawPicture(0, 0, m_pages[m_currentPage - 1].Picture());
        }
        if (m_annotationPage)
            player.drawPicture(0, 0, *m_annotationPage);
        m_shownPage = m_currentPage;
    }
    const QRect target = r.toQRect();
    QImage& paper = canvas.image();
    if (target.size() == m_pageImage.size() && paper.format() == m_pageImage.format() &&
        paper.rect().contains(target)) {
        // One to one: the rows are copied as they are, with no painter to set up.
        const std::size_t rowBytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
        for (int y = 0; y < target.height(); ++y)
            std::memcpy(paper.scanLine(target.top() + y) + target.left() * sizeof(QRgb), m_pageImage.constScanLine(y),
                        rowBytes);
        return;
    }
    // Stretched colour on colour, as a bitmap is stretched onto a page: every
    // shown pixel is one pixel of the page, none blended.
    QPainter painter(&paper);
    painter.setClipRect(target);
    painter.drawImage(target, m_pageImage);
}

} // namespace wendolarka
