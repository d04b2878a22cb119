// The string grid's geometry and painting: where cells lie and how they are drawn.

#include "string_grid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace wendolarka {
namespace {

constexpr int kSizingBand = 3; // pixels either side of a line where the pointer sizes it

} // namespace

// ---- geometry --------------------------------------------------------------------------

std::vector<TStringGrid::Line> TStringGrid::visibleCols() const {
    std::vector<Line> lines;
    int x = 0;
    const int limit = viewport()->width();
    for (int c = 0; c < m_fixedCols && c < ColCount(); ++c) {
        lines.push_back({c, x, ColWidths(c)});
        x += ColWidths(c) + 1;
    }
    for (int c = m_leftCol; c < ColCount() && x < limit; ++c) {
        lines.push_back({c, x, ColWidths(c)});
        x += ColWidths(c) + 1;
    }
    return lines;
}

std::vector<TStringGrid::Line> TStringGrid::visibleRows() const {
    std::vector<Line> lines;
    int y = 0;
    const int limit = viewport()->height();
    for (int r = 0; r < m_fixedRows && r < RowCount(); ++r) {
        lines.push_back({r, y, RowHeights(r)});
        y += RowHeights(r) + 1;
    }
    for (int r = m_topRow; r < RowCount() && y < limit; ++r) {
        lines.push_back({r, y, RowHeights(r)});
        y += RowHeights(r) + 1;
    }
    return lines;
}

TRect TStringGrid::CellRect(int col, int row) const {
    TRect result;
    for (const Line& c : visibleCols())
        if (c.index == col)
            for (const Line& r : visibleRows())
                if (r.index == row)
                    result = TRect::bounds(c.start, r.start, c.size, r.size);
    return result;
}

QPoint TStringGrid::MouseCoord(QPoint p) const {
    int col = -1, row = -1;
    for (const Line& c : visibleCols())
        if (p.x() >= c.start && p.x() < c.start + c.size + 1)
            col = c.index;
    for (const Line& r : visibleRows())
        if (p.y() >= r.start && p.y() < r.start + r.size + 1)
            row = r.index;
    if (col < 0 || row < 0)
        return {-1, -1};
    return {col, row};
}

int TStringGrid::sizingLineAt(int pos, bool columns) const {
    // The line right of (or below) a cell, within a few pixels.
    for (const Line& l : columns ? visibleCols() : visibleRows()) {
        const int edge = l.start + l.size;
        if (std::abs(pos - edge) <= kSizingBand)
            return l.index;
    }
    return -1;
}

void TStringGrid::InvalidateCell(int col, int row) {
    const TRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r.inflated(1, 1).toQRect());
    else
        viewport()->update();
}

void TStringGrid::InvalidateRow(int row) {
    for (const Line& r : visibleRows())
        if (r.index == row)
            viewport()->update(QRect(0, r.start, viewport()->width(), r.size + 1));
}

void TStringGrid::Repaint() { viewport()->repaint(); }

// ---- painting --------------------------------------------------------------------------

TGridDrawState TStringGrid::cellState(int col, int row) const {
    TGridDrawState state = 0;
    if (isFixed(col, row))
        state |= gdFixed;
    else {
        if (Selection().contains(col, row))
            state |= gdSelected;
        if (col == m_col && row == m_row && hasFocus())
            state |= gdFocused;
    }
    return state;
}

void TStringGrid::DefaultDrawCell(TCanvas& canvas, int col, int row, const TRect& rect,
                                  TGridDrawState state) {
    if (m_defaultDrawing) {
        canvas.FillRect(rect);
        TRect textRect = rect.inflated(-2, -2);
        const TBrushStyle saved = canvas.Brush.Style;
        canvas.Brush.Style = bsClear;
        canvas.DrawText(Cells(col, row), textRect, DT_NOPREFIX | DT_SINGLELINE);
        canvas.Brush.Style = saved;
    }
    if (OnDrawCell)
        OnDrawCell(*this, col, row, rect, state);
}

void TStringGrid::DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, TGridDrawState state) {
    DefaultDrawCell(canvas, col, row, rect, state);
}

void TStringGrid::paintEvent(QPaintEvent*) {
    m_repaintPending = false; // this paint shows every cell stored so far
    QImage image(viewport()->size(), QImage::Format_RGB32);
    TCanvas canvas(image);
    canvas.Brush = {m_color, bsSolid};
    canvas.FillRect({0, 0, image.width(), image.height()});
    m_canvas = &canvas;
    const std::vector<Line> cols = visibleCols();
    const std::vector<Line> rows = visibleRows();
    for (const Line& r : rows) {
        for (const Line& c : cols) {
            const TRect rect = TRect::bounds(c.start, r.start, c.size, r.size);
            const bool fixed = isFixed(c.index, r.index);
            // Grid lines right of and below the cell.
            const bool vertical = (m_options & (fixed ? goFixedVertLine : goVertLine)) != 0;
            const bool horizontal = (m_options & (fixed ? goFixedHorzLine : goHorzLine)) != 0;
            canvas.Brush = {fixed ? clBlack : (colorToRGB(m_color) == clSilver ? clGray : clSilver), bsSolid};
            if (vertical)
                canvas.FillRect({rect.Right, rect.Top, rect.Right + 1, rect.Bottom + 1});
            if (horizontal)
                canvas.FillRect({rect.Left, rect.Bottom, rect.Right + 1, rect.Bottom + 1});
            if (rect.isEmpty())
                continue;
            const TGridDrawState state = cellState(c.index, r.index);
            canvas.Font = m_font;
            canvas.Pen = TPen{};
            canvas.setClipRect(rect);
            if (fixed) {
                canvas.Brush = {m_fixedColor, bsSolid};
            } else if ((state & gdSelected) &&
                       (!(state & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect)))) {
                canvas.Brush = {clHighlight, bsSolid};
                canvas.Font.setColor(clHighlightText);
            } else {
                canvas.Brush = {m_color, bsSolid};
            }
            DrawCell(canvas, c.index, r.index, rect, state);
            if (m_defaultDrawing && fixed && (m_options & goFixedVertLine) && (m_options & goFixedHorzLine)) {
                TRect edge = rect;
                canvas.Frame3D(edge, clBtnHighlight, clBtnShadow, 1);
            }
            if (m_defaultDrawing && (state & gdFocused) && !(m_options & goRowSelect) && !EditorMode())
                canvas.DrawFocusRect(rect);
            canvas.resetClipRect();
        }
    }
    m_canvas = nullptr;
    QPainter painter(viewport());
    painter.drawImage(0, 0, image);
    if (m_state == gsColSizing || m_state == gsRowSizing) {
        painter.setPen(Qt::DashLine);
        const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
        if (m_state == gsColSizing)
            painter.drawLine(at.x(), 0, at.x(), viewport()->height());
        else
            painter.drawLine(0, at.y(), viewport()->width(), at.y());
    }
}

} // namespace wendolarka
