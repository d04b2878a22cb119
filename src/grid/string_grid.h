#pragma once

#include "core/canvas.h"
#include "core/color.h"
#include "core/font.h"

#include <QAbstractScrollArea>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QLineEdit;

namespace wendolarka {

enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0, goFixedHorzLine = 1u << 1, goVertLine = 1u << 2,
    goHorzLine = 1u << 3, goRangeSelect = 1u << 4, goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6, goColSizing = 1u << 7, goRowMoving = 1u << 8, goColMoving = 1u << 9,
    goEditing = 1u << 10, goTabs = 1u << 11, goRowSelect = 1u << 12, goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A block of cells, all four sides inclusive.
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// The platform's string grid: text cells (each with an attached pointer) in
// rows and columns, fixed title rows and columns, a current cell and a selection,
// an in-place editor, mouse sizing and moving of rows and columns, and a
// drawing that the owner may take over cell by cell.
class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    using DrawCellEvent = std::function<void(TStringGrid& sender, int col, int row, const TRect& rect,
                                             TGridDrawState state)>;

    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    int ColCount() const { return static_cast<int>(m_colWidths.size()); }
    void setColCount(int count);
    int RowCount() const { return static_cast<int>(m_rowHeights.size()); }
    void setRowCount(int count);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int cols);
    TColor FixedColor() const { return m_fixedColor; }
    void setFixedColor(TColor color);
    TColor Color() const { return m_color; }
    void setColor(TColor color);
    const TFont& Font() const { return m_font; }
    void setFont(const TFont& font);
    int DefaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int width);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height);
    int GridLineWidth() const { return 1; }
    TGridOptions Options() const { return m_options; }
    void setOptions(TGridOptions options);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void setScrollBars(TScrollStyle style);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool value) { m_defaultDrawing = value; }

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    // Cells from one block of text, without an allocation per cell (a whole
    // person list at once): the grid keeps the block while a cell shows part of
    // it; `part` must lie in the block adopted last.
    void adoptTextBlock(std::shared_ptr<const QString> block);
    void setCellFromBlock(int col, int row, QStringView part);
    quintptr Objects(int col, int row) const;
    void setObjects(int col, int row, quintptr object);
    // The texts of one column from top to bottom.
    QStringList Cols(int col) const;
    QStringList Rows(int row) const;
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int RowHeights(int row) const;
    void setRowHeights(int row, int height);

    int Col() const { return m_col; }
    void setCol(int col) { MoveCurrent(col, m_row, true); }
    int Row() const { return m_row; }
    // In a row-select grid the whole row is chosen: the current column goes back
    // to the first non-fixed one.
    void setRow(int row) { MoveCurrent((m_options & goRowSelect) ? m_fixedCols : m_col, row, true); }
    // Col, then Row, without the click event: the cell is shown, nothing is chosen.
    void ShowCell(int col, int row);
    TGridRect Selection() const;
    void setSelection(const TGridRect& selection);
    int TopRow() const { return m_topRow; }
    void setTopRow(int row);
    int LeftCol() const { return m_leftCol; }
    void setLeftCol(int col);
    int VisibleRowCount() const;
    int VisibleColCount() const;
    TGridState GridState() const { return m_state; }
    // A drag under way (selecting, sizing, moving) ends here, before its release.
    void cancelMouseState() { m_state = gsNormal; }
    bool EditorMode() const;
    void setEditorMode(bool on);

    // True while the grid reacts to the focus leaving it (its exit handling).
    bool LeavingFocus() const { return m_leavingFocus; }

    // Paints now, not at the next idle moment.
    void Repaint();
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    // The cell under a point of the viewport, or {-1, -1}.
    QPoint MouseCoord(QPoint viewportPos) const;
    // Where a cell lies in the viewport; empty when it is scrolled out of sight.
    TRect CellRect(int col, int row) const;

    // Moves a whole row or column (texts, objects, size) to another index.
    void MoveRow(int from, int to);
    void MoveColumn(int from, int to);
    void DeleteRow(int row);
    void DeleteColumn(int col);

    // The canvas cells are painted on; only while the grid paints.
    TCanvas* Canvas() const { return m_canvas; }

    DrawCellEvent OnDrawCell;
    std::function<void(TStringGrid&)> OnTopLeftChanged;

signals:
    void Click();
    void DblClick();

protected:
    // Paints one cell; the canvas brush and font are already set for its state.
    virtual void DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, TGridDrawState state);
    // The base drawing of a cell: its text at (2, 2), then the draw-cell event.
    void DefaultDrawCell(TCanvas& canvas, int col, int row, const TRect& rect, TGridDrawState state);
    virtual bool SelectCell(int col, int row) { (void)col; (void)row; return true; }
    virtual void SetEditText(int col, int row, const QString& text) { setCells(col, row, text); }
    virtual void ClickCell() { emit Click(); }
    // The current cell was set, by the user or by code, quietly or not.
    virtual void CurrentCellSet() {}
    virtual void ColumnMoved(int from, int to) { (void)from; (void)to; }
    virtual void RowMoved(int from, int to) { (void)from; (void)to; }
    virtual void ColWidthsChanged() {}
    virtual void RowHeightsChanged() {}
    virtual void SizeChanged(int oldColCount, int oldRowCount) { (void)oldColCount; (void)oldRowCount; }
    virtual void TopLeftChanged();
    virtual void GridEnter() {}
    virtual void GridExit() {}
    virtual void GridKeyPress(QKeyEvent* event);
    void MoveCurrent(int col, int row, bool moveAnchor);
    TGridDrawState cellState(int col, int row) const;
    bool isFixed(int col, int row) const { return col < m_fixedCols || row < m_fixedRows; }
    virtual void AdjustScrollPages() {}

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void updateScrollBars();

    // A whole row's texts and attached pointers, for moving rows around quickly:
    // a taken row stays empty until it is put back; the caller repaints.
    struct RowContent {
        std::vector<QString> cells;
        std::vector<quintptr> objects;
    };
    RowContent takeRow(int row);
    void putRow(int row, RowContent content);
    // Rows first+k take what rows first+order[k] held (order: a permutation of
    // 0 .. n-1), each moved once; the caller repaints.
    void permuteRows(int first, const std::vector<int>& order);

private:
    struct Line {
        int index;
        int start; // pixel position of the cell's first pixel
        int size;
    };
    std::vector<Line> visibleCols() const;
    std::vector<Line> visibleRows() const;
    void showEditor();
    void hideEditor(bool commit);
    void placeEditor();
    int sizingLineAt(int pos, bool columns) const;
    void clampScroll();
    void scheduleRepaint();
    // The top row that shows `row` at the bottom of the view, or the row itself
    // when it is taller than the view; never above the present top row.
    int topRowShowing(int row) const;

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    bool anyCellFromBlock() const;
    // Before the cells, so it goes after them.
    std::vector<std::shared_ptr<const QString>> m_textBlocks;
    std::vector<std::vector<QString>> m_cells;    // [row][col]
    std::vector<std::vector<quintptr>> m_objects; // [row][col]
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    TColor m_fixedColor = clBtnFace;
    TColor m_color = clWindow;
    TFont m_font;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    bool m_quietMove = false;
    bool m_repaintPending = false; // a whole-viewport update is asked for and not painted yet
    TGridOptions m_options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TScrollStyle m_scrollBars = ssBoth;
    bool m_defaultDrawing = true;
    int m_col = 1;
    int m_row = 1;
    QPoint m_anchor{1, 1};
    int m_topRow = 1;
    int m_leftCol = 1;
    TGridState m_state = gsNormal;
    int m_sizingIndex = -1;
    int m_sizingStart = 0;
    int m_moveFrom = -1;
    int m_moveTo = -1;
    QLineEdit* m_editor = nullptr;
    QPoint m_editorCell{-1, -1};
    bool m_focusFromEditor = false;
    bool m_leavingFocus = false;
    TCanvas* m_canvas = nullptr;
};

} // namespace wendolarka
