#include "sortable_grid.h"

// Structure of the grid: inserting, removing and moving rows and columns, the
// sizes kept for hidden ones, and fitting sizes to the text.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace wendolarka {

namespace {
constexpr auto kRowKind = TFajny::Axis::Row;
constexpr auto kColumnKind = TFajny::Axis::Column;
} // namespace

// ---- structure -------------------------------------------------------------------------

bool TFajny::validRowRange(int first, int last) const { return 0 <= first && first <= last && last < RowCount(); }
bool TFajny::validColumnRange(int first, int last) const { return 0 <= first && first <= last && last < ColCount(); }

template <typename Operation>
void TFajny::withEditorSuspended(Operation operation) {
    const TGridOptions saved = Options();
    if (saved & goAlwaysShowEditor)
        setOptions(saved & ~goAlwaysShowEditor);
    operation();
    if (saved & goAlwaysShowEditor)
        setOptions(saved);
}

bool TFajny::ClearRowRange(int first, int last) {
    if (!validRowRange(first, last))
        return false;
    for (int r = first; r <= last; ++r)
        for (int c = 0; c < ColCount(); ++c)
            setCells(c, r, QString());
    m_edited = false;
    m_sortDirection = sdAscending;
    return true;
}

void TFajny::ClearAllRows() {
    ClearRowRange(0, RowCount() - 1);
    if (m_markRows) // marks belong to the rows that were there
        clearMarks();
}
void TFajny::ClearRowsFrom(int first) { ClearRowRange(first, RowCount() - 1); }

bool TFajny::ClearColumnRange(int first, int last) {
    if (!validColumnRange(first, last))
        return false;
    for (int c = first; c <= last; ++c)
        for (int r = 0; r < RowCount(); ++r)
            setCells(c, r, QString());
    return true;
}

void TFajny::shiftEntries(Axis kind, int from, int delta) {
    for (SavedSize& s : m_savedSizes)
        if (s.kind == kind && s.index >= from)
            s.index += delta;
}

void TFajny::dropEntry(Axis kind, int index) {
    for (auto it = m_savedSizes.rbegin(); it != m_savedSizes.rend(); ++it)
        if (it->kind == kind && it->index == index) {
            m_savedSizes.erase(std::next(it).base());
            return;
        }
}

void TFajny::insertRow(int row, int entryThreshold) {
    setRowCount(RowCount() + 1);
    shiftEntries(kRowKind, entryThreshold, 1);
    ShiftRow(RowCount() - 1, row);
    for (int c = 0; c < ColCount(); ++c)
        setCells(c, row, QString());
    if (row >= FixedRows())
        MoveCurrent(Col(), row, true);
    if (OnRowInsert)
        OnRowInsert(*this, row);
}

void TFajny::insertColumn(int col, int entryThreshold) {
    setColCount(ColCount() + 1);
    shiftEntries(kColumnKind, entryThreshold, 1);
    ShiftColumn(ColCount() - 1, col);
    for (int r = 0; r < RowCount(); ++r)
        setCells(col, r, QString());
    if (col >= FixedCols())
        MoveCurrent(col, Row(), true);
    if (OnColumnInsert)
        OnColumnInsert(*this, col);
}

// A new row or column may go anywhere up to just past the last one.
void TFajny::InsertRowAt(int row) {
    if (row >= 0 && row <= RowCount())
        insertRow(row, row);
}
void TFajny::InsertColumnAt(int col) {
    if (col >= 0 && col <= ColCount())
        insertColumn(col, col);
}

bool TFajny::InsertRowsAt(int row, int count) {
    if (row < 0 || row >= RowCount())
        return false;
    for (int k = 0; k < count; ++k)
        insertRow(row, row + k);
    return true;
}

bool TFajny::InsertColumnsAt(int col, int count) {
    if (col < 0 || col >= ColCount())
        return false;
    for (int k = 0; k < count; ++k)
        insertColumn(col, col + k);
    return true;
}

void TFajny::RemoveRow(int row) {
    if (row < 0 || row >= RowCount())
        return;
    const auto selected = std::find(m_selectedRows.begin(), m_selectedRows.end(), row);
    if (selected != m_selectedRows.end()) {
        m_selectedRows.erase(selected);
        for (int& r : m_selectedRows)
            if (r > row)
                --r;
    }
    for (int c = 0; c < ColCount(); ++c)
        setCells(c, row, QString());
    withEditorSuspended([&] {
        dropEntry(kRowKind, row);
        shiftEntries(kRowKind, row + 1, -1);
        DeleteRow(row);
    });
    if (OnRowDelete)
        OnRowDelete(*this, row);
    if (RowCount() - FixedRows() < m_footerRows)
        m_footerRows = RowCount() - FixedRows();
}

bool TFajny::RemoveRowRange(int first, int last) {
    if (!validRowRange(first, last))
        return false;
    for (int r = last; r >= first; --r)
        RemoveRow(r);
    return true;
}

void TFajny::RemoveColumn(int col) {
    if (col < 0 || col >= ColCount())
        return;
    for (int r = 0; r < RowCount(); ++r)
        setCells(col, r, QString());
    withEditorSuspended([&] {
        dropEntry(kColumnKind, col);
        shiftEntries(kColumnKind, col + 1, -1);
        DeleteColumn(col);
    });
    if (OnColumnDelete)
        OnColumnDelete(*this, col);
}

bool TFajny::RemoveColumnRange(int first, int last) {
    if (!validColumnRange(first, last))
        return false;
    for (int c = last; c >= first; --c)
        RemoveColumn(c);
    return true;
}

void TFajny::ShiftRow(int from, int to) { withEditorSuspended([&] { MoveRow(from, to); }); }
void TFajny::ShiftColumn(int from, int to) { withEditorSuspended([&] { MoveColumn(from, to); }); }

void TFajny::SwapRowPair(int a, int b) {
    if (a < b) {
        ShiftRow(b, a);
        ShiftRow(a + 1, b);
    } else if (b < a) {
        ShiftRow(a, b);
        ShiftRow(b + 1, a);
    }
}

void TFajny::SwapColumnPair(int a, int b) {
    if (a < b) {
        ShiftColumn(b, a);
        ShiftColumn(a + 1, b);
    } else if (b < a) {
        ShiftColumn(a, b);
        ShiftColumn(b + 1, a);
    }
}

int TFajny::sizeOf(Axis kind, int index) const { return kind == kRowKind ? RowHeights(index) : ColWidths(index); }

void TFajny::setSizeOf(Axis kind, int index, int size) {
    if (kind == kRowKind)
        setRowHeights(index, size);
    else
        setColWidths(index, size);
}

void TFajny::hideRange(Axis kind, int first, int last) {
    const int count = kind == kRowKind ? RowCount() : ColCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        m_savedSizes.push_back({kind, i, sizeOf(kind, i)});
        setSizeOf(kind, i, 0);
    }
}

void TFajny::showRange(Axis kind, int first, int last) {
    const int count = kind == kRowKind ? RowCount() : ColCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        if (sizeOf(kind, i) != 0)
            continue;
        const auto matching = [&](const SavedSize& s) { return s.kind == kind && s.index == i; };
        const auto oldest = std::find_if(m_savedSizes.begin(), m_savedSizes.end(), matching);
        if (oldest == m_savedSizes.end())
            continue;
        setSizeOf(kind, i, oldest->size);
        dropEntry(kind, i);
    }
}

void TFajny::HideRowRange(int first, int last) { hideRange(kRowKind, first, last); }
void TFajny::HideColumnRange(int first, int last) { hideRange(kColumnKind, first, last); }
void TFajny::ShowRowRange(int first, int last) { showRange(kRowKind, first, last); }
void TFajny::ShowColumnRange(int first, int last) { showRange(kColumnKind, first, last); }

// ---- sizing ----------------------------------------------------------------------------

TFormatOptions TFajny::DefaultFormat(int row, const TFont& font, const TBrush& brush) const {
    TFormatOptions format;
    format.Font = font;
    format.Brush = brush;
    format.Bevel = m_bevelStyle;
    if (isFooterRow(row)) {
        format.Font = m_footerFont;
        format.Brush.Color = m_footerColor;
        format.Bevel = m_footerBevelStyle;
    }
    format.NoText = false;
    format.AlignmentHorz = m_alignmentHorz;
    format.AlignmentVert = m_alignmentVert;
    switch (format.Bevel) {
    case cbRaised: format.HighlightColor = clBtnHighlight; format.ShadowColor = clBtnShadow; break;
    case cbLowered: format.HighlightColor = clBtnShadow; format.ShadowColor = clBtnHighlight; break;
    case cbNone: format.HighlightColor = clWindow; format.ShadowColor = clWindow; break;
    }
    return format;
}

void TFajny::FitColumn(int col) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = Font();
    int widest = 0;
    for (int r = 0; r < RowCount(); ++r) {
        TFormatOptions format = DefaultFormat(r, canvas.Font, canvas.Brush);
        if (OnGetCellFormat) {
            TGridDrawState state = 0;
            if (r < FixedRows() && col < FixedCols())
                state |= gdFixed;
            if (hasFocus() && col == Col() && r == Row())
                state |= gdFocused;
            if (Selection().contains(col, r))
                state |= gdSelected;
            OnGetCellFormat(*this, col, r, state, format);
        }
        canvas.Font = format.Font;
        widest = std::max(widest, canvas.TextWidth(Cells(col, r)));
    }
    setColWidths(col, widest + canvas.TextWidth(QStringLiteral("x")));
}

void TFajny::FitAllColumns(bool includeFixed, int extra) {
    for (int c = includeFixed ? 0 : FixedCols(); c < ColCount(); ++c) {
        FitColumn(c);
        if (extra != 0)
            setColWidths(c, ColWidths(c) + extra);
    }
}

void TFajny::FitRow(int row) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = Font();
    int height = DefaultRowHeight();
    for (int c = 0; c < ColCount(); ++c) {
        TRect r{0, 0, ColWidths(c), 0};
        const int measured = canvas.DrawText(Cells(c, row), r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        height = std::max(height, measured + 1);
    }
    const auto hidden = std::find_if(m_savedSizes.rbegin(), m_savedSizes.rend(),
                                     [row](const SavedSize& s) { return s.kind == kRowKind && s.index == row; });
    if (hidden != m_savedSizes.rend())
        hidden->size = height;
    else
        setRowHeights(row, height);
}

void TFajny::FitRowRange(int first, int last) {
    for (int r = first; r <= last; ++r)
        FitRow(r);
}

void TFajny::FitVisibleRowRange(int first, int last) {
    for (int r = first; r <= last; ++r)
        if (RowHeights(r) != 0)
            FitRow(r);
}

void TFajny::FitHiddenRowRange(int first, int last) {
    for (int r = first; r <= last; ++r)
        if (RowHeights(r) == 0)
            FitRow(r);
}

void TFajny::AdjustScrollPages() {
    const auto adjust = [this](QScrollBar* bar, int visible, int fixed, int count) {
        const int span = bar->maximum() - bar->minimum() + 1;
        const int page = m_proportional
                             ? std::max(1, static_cast<int>(std::lround(
                                               static_cast<double>(visible + fixed) / count * span)))
                             : 0;
        const QSignalBlocker block(bar);
        bar->setPageStep(page);
    };
    if (ScrollBars() == ssVertical || ScrollBars() == ssBoth)
        adjust(verticalScrollBar(), VisibleRowCount(), FixedRows(), RowCount());
    if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth)
        adjust(horizontalScrollBar(), VisibleColCount(), FixedCols(), ColCount());
}

void TFajny::ColWidthsChanged() {
    if (OnColumnWidthsChanged)
        OnColumnWidthsChanged(*this);
}

void TFajny::RowHeightsChanged() {
    if (OnRowHeightsChanged)
        OnRowHeightsChanged(*this);
}

void TFajny::SizeChanged(int oldColCount, int oldRowCount) {
    if (OnSizeChanged)
        OnSizeChanged(*this, oldColCount, oldRowCount);
}

} // namespace wendolarka
