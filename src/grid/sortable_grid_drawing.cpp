#include "sortable_grid.h"

// Drawing of cells, selection of rows with the mouse, validation and keys.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace wendolarka {

// ---- drawing ---------------------------------------------------------------------------

void TFajny::DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, TGridDrawState state) {
    TFormatOptions format = DefaultFormat(row, canvas.Font, canvas.Brush);
    const bool listed = std::find(m_selectedRows.begin(), m_selectedRows.end(), row) != m_selectedRows.end();
    const bool body = !isFixed(col, row) && !isFooterRow(row);
    TGridDrawState adjusted = state & ~gdSelected;
    if (m_markRows) {
        // The current row is the chosen one; marks never look like it.
        const bool current = (state & gdSelected) && m_currentRowShown;
        if (current)
            adjusted |= gdSelected;
        if (body && !current) {
            format.Brush.Color = listed ? kMarkedColor : Color();
            format.Font.setColor(clWindowText);
        }
    } else {
        if (listed)
            adjusted |= gdSelected;
        if (body && (Options() & goRangeSelect)) {
            const bool selected = adjusted & gdSelected;
            format.Brush.Color = selected ? clHighlight : clWindow;
            format.Font.setColor(selected ? clHighlightText : clWindowText);
        }
    }
    if (OnGetCellFormat)
        OnGetCellFormat(*this, col, row, state, format);
    if (!DefaultDrawing()) {
        DefaultDrawCell(canvas, col, row, rect, adjusted);
        return;
    }
    canvas.Font = format.Font;
    canvas.Brush = format.Brush;
    const QString text = Cells(col, row);
    const QSize extent = canvas.TextExtent(text);
    const int w = rect.Width(), h = rect.Height();
    int dx = 2, dy = 2;
    if (format.AlignmentHorz == taRightJustify)
        dx = w - extent.width() - 2;
    else if (format.AlignmentHorz == taCenter)
        dx = (w - extent.width()) / 2;
    if (format.AlignmentVert == taBottomJustify)
        dy = h - extent.height() - 3;
    else if (format.AlignmentVert == taMiddle)
        dy = (h - extent.height()) / 2;
    canvas.FillRect(rect);
    if (!format.NoText) {
        const TBrushStyle saved = canvas.Brush.Style;
        canvas.Brush.Style = bsClear;
        TRect textRect{rect.Left + dx, rect.Top + dy, rect.Right, rect.Bottom};
        canvas.DrawText(text, textRect, DT_NOPREFIX | DT_SINGLELINE);
        canvas.Brush.Style = saved;
    }
    if (m_sortSymbol != sgNone && row == 0 && col == m_sortColumn && FixedRows() > 0 && !m_symbol.isNull()) {
        const QRgb transparent = m_sortSymbol == sgCustom ? m_symbol.pixel(0, 0) : qRgb(0, 255, 255);
        const int x0 = rect.Left + dx + extent.width() + m_sortSpacingHor;
        const int y0 = rect.Top + dy + m_sortSpacingVert;
        for (int y = 0; y < m_symbol.height(); ++y)
            for (int x = 0; x < m_symbol.width(); ++x) {
                const QRgb p = m_symbol.pixel(x, y);
                if ((p & 0xFFFFFF) != (transparent & 0xFFFFFF))
                    canvas.setPixel(x0 + x, y0 + y, rgbColor(qRed(p), qGreen(p), qBlue(p)));
            }
    }
    if (format.Bevel != cbNone && col >= FixedCols() && row >= FixedRows()) {
        const auto edge = [&canvas](TColor color, int x1, int y1, int x2, int y2) {
            canvas.Pen = {color, 1, psSolid, pmCopy};
            canvas.MoveTo(x1, y1);
            canvas.LineTo(x2, y2);
        };
        const TRect& r = rect;
        if (Options() & goFixedVertLine)
            edge(format.ShadowColor, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
        if (Options() & goFixedHorzLine)
            edge(format.ShadowColor, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
        if (Options() & goFixedVertLine)
            edge(format.HighlightColor, r.Left, r.Top, r.Left, r.Bottom);
        if (Options() & goFixedHorzLine)
            edge(format.HighlightColor, r.Left, r.Top, r.Right, r.Top);
    }
    if (OnDrawCell)
        OnDrawCell(*this, col, row, rect, adjusted);
}

// ---- selection of rows ------------------------------------------------------------------

void TFajny::selectRow(int row) {
    if (std::find(m_selectedRows.begin(), m_selectedRows.end(), row) != m_selectedRows.end())
        return;
    m_selectedRows.push_back(row);
    InvalidateRow(row);
}

void TFajny::deselectRow(int row) {
    const auto it = std::find(m_selectedRows.begin(), m_selectedRows.end(), row);
    if (it == m_selectedRows.end())
        return;
    m_selectedRows.erase(it);
    InvalidateRow(row);
}

void TFajny::selectBetween(int a, int b) {
    for (int r = std::min(a, b); r <= std::max(a, b); ++r)
        selectRow(r);
}

void TFajny::setMarkRows(bool v) {
    m_markRows = v;
    clearMarks();
}

void TFajny::clearMarks() {
    m_selectedRows.clear();
    m_selectionAnchor = Row();
    viewport()->update();
}

void TFajny::setCurrentRowShown(bool v) {
    if (v == m_currentRowShown)
        return;
    m_currentRowShown = v;
    InvalidateRow(Row());
}

void TFajny::EndMouseSelection() {
    m_selecting = false;
    cancelMouseState();
}

void TFajny::mousePressEvent(QMouseEvent* event) {
    TStringGrid::mousePressEvent(event);
    if (!((Options() & goRangeSelect) || m_markRows) || event->button() != Qt::LeftButton)
        return;
    const QPoint cell = MouseCoord(event->position().toPoint());
    const int r = cell.y();
    if (r < FixedRows())
        return;
    m_selecting = true;
    m_dragEndRow = r;
    const auto mods = event->modifiers();
    if (mods & Qt::ControlModifier) {
        if (std::find(m_selectedRows.begin(), m_selectedRows.end(), r) != m_selectedRows.end())
            deselectRow(r);
        else
            selectRow(r);
        m_selectionAnchor = r;
    } else if (mods & Qt::ShiftModifier) {
        m_selectedRows.clear();
        selectBetween(m_selectionAnchor, r);
    } else {
        // Marking: a plain click chooses a row and marks nothing.
        m_selectedRows = m_markRows ? std::vector<int>{} : std::vector<int>{r};
        m_selectionAnchor = r;
        viewport()->update();
    }
}

void TFajny::mouseMoveEvent(QMouseEvent* event) {
    TStringGrid::mouseMoveEvent(event);
    if (!m_selecting)
        return;
    const int r = MouseCoord(event->position().toPoint()).y();
    if (r < FixedRows() || r == m_dragEndRow)
        return;
    const int a = m_selectionAnchor, e = m_dragEndRow;
    if ((a <= r && r < e) || (e < r && r <= a)) {
        // Shrinking toward the anchor: the rows passed drop out, the row under the pointer stays.
        for (int k = std::min(e, r); k <= std::max(e, r); ++k)
            if (k != r)
                deselectRow(k);
        selectRow(r);
    } else if (r < a && a < e) {
        for (int k = a + 1; k <= e; ++k)
            deselectRow(k);
        selectBetween(a, r);
    } else if (e < a && a < r) {
        for (int k = e; k <= a - 1; ++k)
            deselectRow(k);
        selectBetween(a, r);
    } else {
        selectBetween(r, a);
    }
    m_dragEndRow = r;
}

void TFajny::TopLeftChanged() {
    if (m_selecting && TopRow() > m_prevTopRow) {
        const int last = TopRow() + VisibleRowCount() - 1;
        selectRow(last);
        m_dragEndRow = last;
    }
    m_prevTopRow = TopRow();
    TStringGrid::TopLeftChanged();
}

void TFajny::mouseReleaseEvent(QMouseEvent* event) {
    const bool normal = GridState() == gsNormal || GridState() == gsSelecting;
    const QPoint cell = MouseCoord(event->position().toPoint());
    const bool noModifiers = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (hasFocus() && m_sortOnClick && normal && FixedRows() >= 1 && noModifiers && event->buttons() == Qt::NoButton &&
        cell.y() >= 0 && cell.y() <= FixedRows() - 1 && cell.x() >= 0) {
        TSortOptions options;
        options.Kind = skAuto;
        options.Direction = event->button() == Qt::RightButton ? sdDescending : sdAscending;
        options.CaseSensitive = m_caseSensitive;
        if (OnClickSort)
            OnClickSort(*this, cell.x(), cell.y(), options);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            RunSort(cell.x(), options);
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
    }
    TStringGrid::mouseReleaseEvent(event);
    m_selecting = false;
}

// ---- validation and keys ------------------------------------------------------------------

void TFajny::RememberCell() {
    m_rememberedCol = Col();
    m_rememberedRow = Row();
    m_rememberedText = Cells(Col(), Row());
    m_savedEdited = m_edited;
}

void TFajny::SetEditText(int col, int row, const QString& text) {
    if (text != Cells(col, row))
        m_edited = true;
    TStringGrid::SetEditText(col, row, text);
}

void TFajny::ValidateCell() {
    const QString present = Cells(m_rememberedCol, m_rememberedRow);
    if (present != m_rememberedText) {
        QString value = present;
        bool valid = true;
        if (OnCellValidate)
            OnCellValidate(*this, m_rememberedCol, m_rememberedRow, value, valid);
        if (valid) {
            if (value != present)
                setCells(m_rememberedCol, m_rememberedRow, value);
        } else {
            setCells(m_rememberedCol, m_rememberedRow, value != present ? value : m_rememberedText);
            m_edited = m_savedEdited;
        }
    }
    RememberCell();
}

void TFajny::ClickCell() {
    try {
        TStringGrid::ClickCell();
    } catch (...) {
        if (m_entered)
            ValidateCell();
        throw;
    }
    if (m_entered)
        ValidateCell();
}

void TFajny::GridEnter() {
    m_entered = true;
    RememberCell();
}

void TFajny::GridExit() {
    try {
        ClickCell();
    } catch (...) {
        m_entered = false;
        throw;
    }
    m_entered = false;
}

void TFajny::GridKeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        ValidateCell();
    TStringGrid::GridKeyPress(event);
}

void TFajny::keyPressEvent(QKeyEvent* event) {
    if (m_markRows && event->key() == Qt::Key_Space && event->modifiers() == Qt::ControlModifier) {
        const int r = Row();
        if (std::find(m_selectedRows.begin(), m_selectedRows.end(), r) != m_selectedRows.end())
            deselectRow(r);
        else
            selectRow(r);
        m_selectionAnchor = r;
        return;
    }
    TStringGrid::keyPressEvent(event);
    if (!m_extendedKeys || EditorMode())
        return;
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool ctrl = mods == Qt::ControlModifier;
    const bool shiftCtrl = mods == (Qt::ShiftModifier | Qt::ControlModifier);
    if (event->key() == Qt::Key_Insert && ctrl)
        InsertRowAt(Row());
    else if (event->key() == Qt::Key_Delete && ctrl && FixedRows() + 1 < RowCount())
        RemoveRow(Row());
    else if (event->key() == Qt::Key_Insert && shiftCtrl)
        InsertColumnAt(Col());
    else if (event->key() == Qt::Key_Delete && shiftCtrl && FixedCols() + 1 < ColCount())
        RemoveColumn(Col());
}

void TFajny::enterEvent(QEnterEvent* event) {
    TStringGrid::enterEvent(event);
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TFajny::leaveEvent(QEvent* event) {
    TStringGrid::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(*this);
}

} // namespace wendolarka
