#pragma once

#include "core/font.h"
#include "metafile_list.h"
#include "paper_preview.h"
#include "paper_table.h"
#include "preview_layout.h"

#include <QAbstractScrollArea>
#include <QPicture>

#include <functional>
#include <memory>
#include <optional>
#include <span>

class QPainter;
class QPrinter;

namespace wendolarka {

class IPrinterService;
class TPrintToFile;
class TGraphic;

enum TPreviewState { stIdle, stRecording, stPrinting };

// Where pages are shown or printed in gray levels.
enum TGrayscaleOption { gsPreview = 0x1, gsPrint = 0x2 };
Q_DECLARE_FLAGS(TGrayscaleOptions, TGrayscaleOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGrayscaleOptions)

// Composes pages by drawing on a canvas in the chosen unit and keeps them for an
// on-screen preview (a sheet of paper at a chosen zoom) or sends them straight to
// a printer. Pages are recorded pictures in a page store.
class TPrintPreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TPrintPreview(QWidget* parent = nullptr);
    ~TPrintPreview() override;

    // ---- paper -----------------------------------------------------------------
    TUnits Units() const { return m_units; }
    void setUnits(TUnits units);
    TPrinterOrientation Orientation() const { return m_orientation; }
    void setOrientation(TPrinterOrientation orientation);
    TPaperType PaperType() const { return m_paperType; }
    void setPaperType(TPaperType type);
    int PaperWidth() const { return m_paperSize.width(); }
    int PaperHeight() const { return m_paperSize.height(); }
    void setPaperWidth(int width) { setPaperSize(QSize(width, m_paperSize.height())); }
    void setPaperHeight(int height) { setPaperSize(QSize(m_paperSize.width(), height)); }
    // The paper in screen pixels: the size of every recorded page.
    QSize PageExtent() const { return m_pageExtent; }

    // ---- documents ---------------------------------------------------------------
    bool DirectPrint() const { return m_directPrint; }
    void setDirectPrint(bool value) { m_directPrint = value; }
    // The print system a direct-printing document goes to; none: direct printing refuses to start.
    void setPrinterService(IPrinterService* service) { m_service = service; }
    bool UsePrinterOptions = false;

    // ---- the printer's paper -----------------------------------------------------
    bool PrinterInstalled() const;
    // Paper, form and orientation into the printer; the form operations need an
    // installed printer, the paper and orientation only a printer object.
    void ApplyToPrinter();
    void ReadFromPrinter();
    QString MatchPrinterForm();
    bool AddPrinterForm(const QString& name, int width, int height);
    bool DeletePrinterForm(const QString& name);
    const QString& FormName() const { return m_formName; }
    const QString& AutoFormName() const { return m_autoFormName; }
    std::function<void(TPrintPreview&, const QString& formName, bool inserted)> OnAutoCustomForm;
    QString PrintJobTitle;
    TPreviewState State() const { return m_state; }
    // All or nothing: a job that cannot start leaves the component idle, the error passed on.
    void BeginDoc();
    void NewPage();
    // Always back to idle; a printed job that did not end well is reported.
    void EndDoc();
    void Abort();
    bool Aborted() const { return m_aborted; }
    void Clear() { m_pages.Clear(); }
    // The page store keeps its pages in a temporary file instead of memory.
    bool UseTempFile() const { return m_pages.UseTempFile(); }
    void setUseTempFile(bool value) { m_pages.setUseTempFile(value); }
    // The open page's painter, in Units; none outside a page.
    QPainter* Canvas() const { return m_canvas.get(); }
    int CurrentPage() const { return m_currentPage; }
    void setCurrentPage(int page);
    int TotalPages() const { return m_directFlag ? m_printedPages : m_pages.Count(); }
    TMetafileList& Pages() { return m_pages; }

    // ---- drawing -------------------------------------------------------------------
    // Where a picture of `pixels` at its natural size lies from (x, y), in Units.
    QRect GraphicRectAt(int x, int y, QSize pixels) const;
    // The picture at its natural size (converted from pixels to Units); returns (right, bottom).
    QPoint DrawGraphicAt(int x, int y, const TGraphic& graphic);
    // The picture fitted into `rect` (in Units); returns the rectangle it took.
    QRect DrawGraphicInRect(const QRect& rect, const TGraphic& graphic, bool proportional, bool shrinkOnly, bool center);
    // Between units, a pixel being a screen pixel.
    int ConvertUnit(int value, TUnits from, TUnits to) const;
    QPoint ConvertPoint(QPoint point, TUnits from, TUnits to) const;
    void ConvertPoints(std::span<QPoint> points, TUnits from, TUnits to) const;

    // ---- view ----------------------------------------------------------------------
    TZoomState ZoomState() const { return m_zoomState; }
    void setZoomState(TZoomState state);
    int Zoom() const { return m_zoom; }
    void setZoom(int zoom);
    int ZoomMin() const { return m_zoomMin; }
    void setZoomMin(int value);
    int ZoomMax() const { return m_zoomMax; }
    void setZoomMax(int value);
    int ZoomStep = 10;
    bool ZoomSavePos = true;
    TPaperPreviewOptions& PaperView() { return m_paperView; }
    TPaperPreview& Paper() const { return *m_paper; }
    void RelayoutPaper();
    bool CanScrollHorz() const { return m_canScrollHorz; }
    bool CanScrollVert() const { return m_canScrollVert; }

    // ---- overlays and gray --------------------------------------------------------
    bool Annotation() const { return m_annotation; }
    void setAnnotation(bool value);
    bool Background() const { return m_background; }
    void setBackground(bool value);
    // gsPreview: the shown page in gray levels. gsPrint is kept for a caller
    // that prints the recorded pages itself; this component never does.
    TGrayscaleOptions Grayscale() const { return m_grayscale; }
    void setGrayscale(TGrayscaleOptions options);
    // When Annotation is on, the shown page's overlay is made again.
    void UpdateAnnotation();
    using TPreviewPageDraw = std::function<void(TPrintPreview&, int pageNo, QPainter& canvas)>;
    TPreviewPageDraw OnAnnotation, OnBackground;

    std::function<void(TPrintPreview&)> OnChange, OnZoomChange, OnBeginDoc, OnEndDoc, OnNewPage, OnEndPage, OnAbort;
    // For a caller that reports its own printing: ReportProgress raises it; setting
    // `abortIt` aborts the document.
    using TPreviewPrintProgress = std::function<void(TPrintPreview&, int pageNo, int progress, bool& abortIt)>;
    TPreviewPrintProgress OnPrintProgress;
    // Kept for a caller that prints the recorded pages itself; nothing here raises them.
    std::function<void(TPrintPreview&)> OnBeforePrint, OnAfterPrint;
    // The paper's mouse, passed on with the point in this component's client coordinates.
    using TPreviewMouseEvent = std::function<void(TPrintPreview&, Qt::MouseButton, QPoint)>;
    TPreviewMouseEvent OnClick, OnDblClick, OnMouseDown, OnMouseMove, OnMouseUp;

protected:
    // Operations a descendant may replace, in this order.
    // The shown page's overlay and underlay, recorded by OnAnnotation and OnBackground.
    virtual void BuildAnnotation(int pageNo);
    virtual void BuildBackground(int pageNo);
    // OnPrintProgress with done of total pages in percent; aborts when it says so.
    virtual void ReportProgress(int pageNo, int done, int total);
    // The paper control's painting of the page area; it fills the whole area,
    // the control leaves it unfilled.
    virtual void PaintPage(TPaperPreview& sender, TCanvas& canvas, const TRect& pageRect);

    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPaperSize(QSize size);
    void paperChanged();
    void openRecordedPage();
    void closeRecordedPage();
    void openPrinterPage();
    void mapCanvas(QPainter& painter, int dpiX, int dpiY) const;
    void pagesChanged();
    void placePaper();
    // An overlay page recorded by a handler, or none.
    std::optional<QPicture> buildOverlay(bool enabled, const TPreviewPageDraw& handler, int pageNo);
    // Underlay and overlay of the current page made again, and the page shown anew.
    void rebuildOverlays();
    void overlaysChanged();

    TUnits m_units = mmHiMetric;
    TPrinterOrientation m_orientation = poPortrait;
    TPaperType m_paperType = pA4;
    QSize m_paperSize;
    QSize m_pageExtent;

    TPreviewState m_state = stIdle;
    bool m_directPrint = false;
    bool m_directFlag = false;
    bool m_aborted = false;
    int m_printedPages = 0;
    QPrinter* printer() const;
    IPrinterService* m_service = nullptr;
    QString m_formName;
    QString m_autoFormName;
    std::unique_ptr<QPainter> m_canvas;
    std::unique_ptr<QPicture> m_recording;
    std::unique_ptr<TPrintToFile> m_printToFile; // a job into a PDF file, until it is whole
    TMetafileList m_pages;
    int m_currentPage = 0;

    TZoomState m_zoomState = zsZoomToFit;
    int m_zoom = 40;
    int m_zoomMin = 10;
    int m_zoomMax = 500;
    TPaperPreviewOptions m_paperView;
    TPaperPreview* m_paper = nullptr;
    QPoint m_paperPos; // in content coordinates (before scrolling)
    bool m_canScrollHorz = false;
    bool m_canScrollVert = false;
    bool m_grabbing = false;
    QPoint m_grabPoint;
    TWheelAccumulator m_wheel;
    bool m_annotation = false;
    bool m_background = false;
    TGrayscaleOptions m_grayscale;
    std::optional<QPicture> m_annotationPage;
    std::optional<QPicture> m_backgroundPage;
    QImage m_pageImage; // the shown page played at its own size onto the paper
    TColor m_pagePaper = clWhite;
    int m_shownPage = 0;
};

} // namespace wendolarka
