#include "string_grid.h"

#include "grid_sorting.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QApplication>

#include <algorithm>

namespace wendolarka {
namespace {

template <typename T>
void moveElement(std::vector<T>& list, int from, int to) {
    if (from == to)
        return;
    T item = std::move(list[static_cast<std::size_t>(from)]);
    list.erase(list.begin() + from);
    list.insert(list.begin() + to, std::move(item));
}

} // namespace

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setColCount(5);
    setRowCount(5);
    setScrollBars(ssBoth);
}

TStringGrid::~TStringGrid() = default;

// ---- shape -----------------------------------------------------------------------

void TStringGrid::setColCount(int count) {
    count = std::max(1, count);
    if (count == ColCount())
        return;
    const int oldCols = ColCount();
    if (count <= m_fixedCols)
        m_fixedCols = count - 1;
    m_colWidths.resize(static_cast<std::size_t>(count), m_defaultColWidth);
    for (auto& row : m_cells)
        row.resize(static_cast<std::size_t>(count));
    for (auto& row : m_objects)
        row.resize(static_cast<std::size_t>(count));
    m_col = std::clamp(m_col, m_fixedCols, count - 1);
    m_anchor.setX(std::clamp(m_anchor.x(), m_fixedCols, count - 1));
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, count - 1);
    updateScrollBars();
    viewport()->update();
    if (oldCols > 0)
        SizeChanged(oldCols, RowCount());
}

void TStringGrid::setRowCount(int count) {
    count = std::max(1, count);
    if (count == RowCount())
        return;
    const int oldRows = RowCount();
    if (count <= m_fixedRows)
        m_fixedRows = count - 1;
    m_rowHeights.resize(static_cast<std::size_t>(count), m_defaultRowHeight);
    m_cells.resize(static_cast<std::size_t>(count), std::vector<QString>(static_cast<std::size_t>(ColCount())));
    m_objects.resize(static_cast<std::size_t>(count), std::vector<quintptr>(static_cast<std::size_t>(ColCount())));
    m_row = std::clamp(m_row, m_fixedRows, count - 1);
    m_anchor.setY(std::clamp(m_anchor.y(), m_fixedRows, count - 1));
    m_topRow = std::clamp(m_topRow, m_fixedRows, count - 1);
    clampScroll();
    updateScrollBars();
    viewport()->update();
    if (oldRows > 0)
        SizeChanged(ColCount(), oldRows);
}

void TStringGrid::setFixedRows(int rows) {
    rows = std::clamp(rows, 0, RowCount() - 1);
    m_fixedRows = rows;
    m_row = std::max(m_row, rows);
    m_anchor.setY(std::max(m_anchor.y(), rows));
    m_topRow = std::max(m_topRow, rows);
    updateScrollBars();
    viewport()->update();
}

void TStringGrid::setFixedCols(int cols) {
    cols = std::clamp(cols, 0, ColCount() - 1);
    m_fixedCols = cols;
    m_col = std::max(m_col, cols);
    m_anchor.setX(std::max(m_anchor.x(), cols));
    m_leftCol = std::max(m_leftCol, cols);
    updateScrollBars();
    viewport()->update();
}

void TStringGrid::setFixedColor(TColor color) {
    if (color == m_fixedColor)
        return;
    m_fixedColor = color;
    viewport()->update();
}

void TStringGrid::setColor(TColor color) {
    if (color == m_color)
        return;
    m_color = color;
    viewport()->update();
}

void TStringGrid::setFont(const TFont& font) {
    m_font = font;
    QAbstractScrollArea::setFont(font.toQFont());
    viewport()->update();
}

void TStringGrid::setDefaultColWidth(int width) {
    m_defaultColWidth = width;
    std::fill(m_colWidths.begin(), m_colWidths.end(), width);
    ColWidthsChanged();
    viewport()->update();
}

void TStringGrid::setDefaultRowHeight(int height) {
    m_defaultRowHeight = height;
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), height);
    RowHeightsChanged();
    updateScrollBars();
    viewport()->update();
}

void TStringGrid::setOptions(TGridOptions options) {
    if (options == m_options)
        return;
    m_options = options;
    if ((m_options & goAlwaysShowEditor) && (m_options & goEditing) && hasFocus())
        showEditor();
    else if (!(m_options & goEditing))
        hideEditor(true);
    viewport()->update();
}

void TStringGrid::setScrollBars(TScrollStyle style) {
    m_scrollBars = style;
    setVerticalScrollBarPolicy((style == ssVertical || style == ssBoth) ? Qt::ScrollBarAsNeeded
                                                                       : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy((style == ssHorizontal || style == ssBoth) ? Qt::ScrollBarAsNeeded
                                                                           : Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

// ---- content ---------------------------------------------------------------------

namespace {
// A cell that shows part of a text block owns no storage of its own.
bool showsBlock(const QString& cell) { return !cell.isNull() && !cell.data_ptr().isMutable(); }
} // namespace

QString TStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return {};
    const QString& cell = m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    // Handed out as a copy of its own: the block may go with the next load.
    if (showsBlock(cell))
        return QString(cell.constData(), cell.size());
    return cell;
}

void TStringGrid::adoptTextBlock(std::shared_ptr<const QString> block) {
    if (!anyCellFromBlock())
        m_textBlocks.clear();
    m_textBlocks.push_back(std::move(block));
}

void TStringGrid::setCellFromBlock(int col, int row, QStringView part) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || m_textBlocks.empty())
        return;
    const QString& block = *m_textBlocks.back();
    if (part.data() < block.constData() || part.data() + part.size() > block.constData() + block.size())
        return;
    m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] =
        part.isEmpty() ? QString() : QString::fromRawData(reinterpret_cast<const QChar*>(part.data()), part.size());
    scheduleRepaint();
}

bool TStringGrid::anyCellFromBlock() const {
    if (m_textBlocks.empty())
        return false;
    for (const auto& row : m_cells)
        for (const QString& cell : row)
            if (showsBlock(cell))
                return true;
    return false;
}

void TStringGrid::setCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    scheduleRepaint();
}

void TStringGrid::scheduleRepaint() {
    // One repaint for a whole fill: asking the widget again for every one of
    // thousands of cells costs more than storing them.
    if (m_repaintPending)
        return;
    m_repaintPending = true;
    viewport()->update();
}

quintptr TStringGrid::Objects(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return 0;
    return m_objects[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TStringGrid::setObjects(int col, int row, quintptr object) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    m_objects[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = object;
}

QStringList TStringGrid::Cols(int col) const {
    QStringList texts;
    for (int r = 0; r < RowCount(); ++r)
        texts << Cells(col, r);
    return texts;
}

QStringList TStringGrid::Rows(int row) const {
    QStringList texts;
    for (int c = 0; c < ColCount(); ++c)
        texts << Cells(c, row);
    return texts;
}

int TStringGrid::ColWidths(int col) const {
    return (col >= 0 && col < ColCount()) ? m_colWidths[static_cast<std::size_t>(col)] : 0;
}

void TStringGrid::setColWidths(int col, int width) {
    if (col < 0 || col >= ColCount() || m_colWidths[static_cast<std::size_t>(col)] == width)
        return;
    m_colWidths[static_cast<std::size_t>(col)] = std::max(0, width);
    ColWidthsChanged();
    updateScrollBars();
    viewport()->update();
}

int TStringGrid::RowHeights(int row) const {
    return (row >= 0 && row < RowCount()) ? m_rowHeights[static_cast<std::size_t>(row)] : 0;
}

void TStringGrid::setRowHeights(int row, int height) {
    if (row < 0 || row >= RowCount() || m_rowHeights[static_cast<std::size_t>(row)] == height)
        return;
    m_rowHeights[static_cast<std::size_t>(row)] = std::max(0, height);
    RowHeightsChanged();
    updateScrollBars();
    viewport()->update();
}

TStringGrid::RowContent TStringGrid::takeRow(int row) {
    const auto r = static_cast<std::size_t>(row);
    RowContent content{std::move(m_cells[r]), std::move(m_objects[r])};
    // Left empty until putRow fills it again.
    m_cells[r].clear();
    m_objects[r].clear();
    return content;
}

void TStringGrid::putRow(int row, RowContent content) {
    const auto r = static_cast<std::size_t>(row);
    content.cells.resize(static_cast<std::size_t>(ColCount()));
    content.objects.resize(static_cast<std::size_t>(ColCount()));
    m_cells[r] = std::move(content.cells);
    m_objects[r] = std::move(content.objects);
}

void TStringGrid::permuteRows(int first, const std::vector<int>& order) {
    if (first < 0 || first + static_cast<long long>(order.size()) > RowCount())
        return;
    const auto at = static_cast<std::size_t>(first);
    if (grid_rules::permute(m_cells.data() + at, order))
        grid_rules::permute(m_objects.data() + at, order);
}

void TStringGrid::MoveRow(int from, int to) {
    if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount() || from == to)
        return;
    hideEditor(true);
    moveElement(m_cells, from, to);
    moveElement(m_objects, from, to);
    moveElement(m_rowHeights, from, to);
    RowMoved(from, to);
    viewport()->update();
}

void TStringGrid::MoveColumn(int from, int to) {
    if (from < 0 || to < 0 || from >= ColCount() || to >= ColCount() || from == to)
        return;
    hideEditor(true);
    for (auto& row : m_cells)
        moveElement(row, from, to);
    for (auto& row : m_objects)
        moveElement(row, from, to);
    moveElement(m_colWidths, from, to);
    ColumnMoved(from, to);
    viewport()->update();
}

void TStringGrid::DeleteRow(int row) {
    if (row < 0 || row >= RowCount())
        return;
    MoveRow(row, RowCount() - 1);
    setRowCount(RowCount() - 1);
}

void TStringGrid::DeleteColumn(int col) {
    if (col < 0 || col >= ColCount())
        return;
    MoveColumn(col, ColCount() - 1);
    setColCount(ColCount() - 1);
}

// ---- current cell, selection, scrolling ---------------------------------------------------

TGridRect TStringGrid::Selection() const {
    TGridRect r{std::min(m_anchor.x(), m_col), std::min(m_anchor.y(), m_row), std::max(m_anchor.x(), m_col),
                std::max(m_anchor.y(), m_row)};
    if (m_options & goRowSelect) {
        r.Left = m_fixedCols;
        r.Right = ColCount() - 1;
    }
    return r;
}

void TStringGrid::setSelection(const TGridRect& selection) {
    m_anchor = {selection.Left, selection.Top};
    m_col = selection.Right;
    m_row = selection.Bottom;
    viewport()->update();
    CurrentCellSet();
}

void TStringGrid::MoveCurrent(int col, int row, bool moveAnchor) {
    col = std::clamp(col, m_fixedCols, ColCount() - 1);
    row = std::clamp(row, m_fixedRows, RowCount() - 1);
    if (row < m_fixedRows || col < m_fixedCols || !SelectCell(col, row))
        return;
    hideEditor(true);
    m_col = col;
    m_row = row;
    if (moveAnchor || !(m_options & goRangeSelect))
        m_anchor = {col, row};
    if (row < m_topRow)
        setTopRow(row);
    else if (row > m_topRow)
        setTopRow(topRowShowing(row));
    if (col < m_leftCol)
        setLeftCol(col);
    else
        while (m_leftCol < col && col >= m_leftCol + VisibleColCount())
            setLeftCol(m_leftCol + 1);
    viewport()->update();
    CurrentCellSet();
    if (!m_quietMove)
        ClickCell();
    if ((m_options & goAlwaysShowEditor) && (m_options & goEditing) && hasFocus())
        showEditor();
}

int TStringGrid::topRowShowing(int row) const {
    // The least scroll that shows the row whole, in one step: far down a long
    // grid, scrolling a row at a time would cost a scroll-bar update per row.
    int room = viewport()->height();
    for (int r = 0; r < m_fixedRows; ++r)
        room -= RowHeights(r) + 1;
    int top = row;
    int used = RowHeights(row) + 1;
    while (top > m_topRow && used + RowHeights(top - 1) + 1 <= room) {
        --top;
        used += RowHeights(top) + 1;
    }
    return used <= room ? top : row;
}

void TStringGrid::ShowCell(int col, int row) {
    m_quietMove = true;
    setCol(col);
    setRow(row);
    m_quietMove = false;
}

void TStringGrid::setTopRow(int row) {
    row = std::clamp(row, m_fixedRows, std::max(m_fixedRows, RowCount() - 1));
    if (row == m_topRow)
        return;
    m_topRow = row;
    updateScrollBars();
    placeEditor();
    viewport()->update();
    TopLeftChanged();
}

void TStringGrid::setLeftCol(int col) {
    col = std::clamp(col, m_fixedCols, std::max(m_fixedCols, ColCount() - 1));
    if (col == m_leftCol)
        return;
    m_leftCol = col;
    updateScrollBars();
    placeEditor();
    viewport()->update();
    TopLeftChanged();
}

void TStringGrid::TopLeftChanged() {
    if (OnTopLeftChanged)
        OnTopLeftChanged(*this);
}

int TStringGrid::VisibleRowCount() const {
    int room = viewport()->height();
    for (int r = 0; r < m_fixedRows; ++r)
        room -= RowHeights(r) + 1;
    int count = 0;
    for (int r = m_topRow; r < RowCount() && room >= RowHeights(r) + 1; ++r, ++count)
        room -= RowHeights(r) + 1;
    return count;
}

int TStringGrid::VisibleColCount() const {
    int room = viewport()->width();
    for (int c = 0; c < m_fixedCols; ++c)
        room -= ColWidths(c) + 1;
    int count = 0;
    for (int c = m_leftCol; c < ColCount() && room >= ColWidths(c) + 1; ++c, ++count)
        room -= ColWidths(c) + 1;
    return count;
}

void TStringGrid::clampScroll() {
    // The last row may not scroll above the bottom of the view.
    int room = viewport()->height();
    for (int r = 0; r < m_fixedRows; ++r)
        room -= RowHeights(r) + 1;
    int top = RowCount() - 1;
    int used = RowHeights(top) + 1;
    while (top > m_fixedRows && used + RowHeights(top - 1) + 1 <= room) {
        --top;
        used += RowHeights(top) + 1;
    }
    if (m_topRow > top)
        m_topRow = std::max(m_fixedRows, top);
}

void TStringGrid::updateScrollBars() {
    if (!viewport())
        return;
    int room = viewport()->height();
    for (int r = 0; r < m_fixedRows; ++r)
        room -= RowHeights(r) + 1;
    int maxTop = RowCount() - 1;
    int used = RowHeights(maxTop) + 1;
    while (maxTop > m_fixedRows && used + RowHeights(maxTop - 1) + 1 <= room) {
        --maxTop;
        used += RowHeights(maxTop) + 1;
    }
    QScrollBar* vertical = verticalScrollBar();
    {
        const QSignalBlocker block(vertical);
        vertical->setRange(0, std::max(0, maxTop - m_fixedRows));
        vertical->setPageStep(std::max(1, VisibleRowCount()));
        vertical->setSingleStep(1);
        vertical->setValue(m_topRow - m_fixedRows);
    }
    QScrollBar* horizontal = horizontalScrollBar();
    {
        const QSignalBlocker block(horizontal);
        horizontal->setRange(0, std::max(0, ColCount() - 1 - m_fixedCols));
        horizontal->setPageStep(std::max(1, VisibleColCount()));
        horizontal->setValue(m_leftCol - m_fixedCols);
    }
    AdjustScrollPages();
}

void TStringGrid::scrollContentsBy(int, int) {
    setTopRow(m_fixedRows + verticalScrollBar()->value());
    setLeftCol(m_fixedCols + horizontalScrollBar()->value());
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    placeEditor();
}

} // namespace wendolarka
