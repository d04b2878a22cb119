#include "string_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace wendolarka {

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setColCount(5);
    setRowCount(5);
}

void TStringGrid::setColCount(int count) {
    count = qMax(0, count);
    if (count == ColCount())
        return;
    m_colWidths.resize(static_cast<std::size_t>(count), m_defaultColWidth);
    for (auto& row : m_cells)
        row.resize(static_cast<std::size_t>(count));
    viewport()->update();
}

void TStringGrid::setRowCount(int count) {
    count = qMax(0, count);
    if (count == RowCount())
        return;
    m_rowHeights.resize(static_cast<std::size_t>(count), m_defaultRowHeight);
    m_cells.resize(static_cast<std::size_t>(count),
                   std::vector<QString>(static_cast<std::size_t>(ColCount())));
    m_row = qBound(qMin(m_fixedRows, count - 1), m_row, count - 1);
    m_topRow = qBound(m_fixedRows, m_topRow, qMax(m_fixedRows, count - 1));
    updateScrollBar();
    viewport()->update();
}

void TStringGrid::setFixedRows(int rows) {
    m_fixedRows = qBound(0, rows, qMax(0, RowCount() - 1));
    m_row = qMax(m_row, m_fixedRows);
    m_topRow = qMax(m_topRow, m_fixedRows);
    updateScrollBar();
    viewport()->update();
}

void TStringGrid::setFixedCols(int cols) {
    m_fixedCols = qBound(0, cols, qMax(0, ColCount() - 1));
    viewport()->update();
}

void TStringGrid::setFixedColor(TColor color) {
    if (m_fixedColor == color)
        return;
    m_fixedColor = color;
    viewport()->update();
}

QString TStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return {};
    return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TStringGrid::setCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    viewport()->update();
}

int TStringGrid::ColWidths(int col) const {
    return (col >= 0 && col < ColCount()) ? m_colWidths[static_cast<std::size_t>(col)] : 0;
}

void TStringGrid::setColWidths(int col, int width) {
    if (col < 0 || col >= ColCount())
        return;
    m_colWidths[static_cast<std::size_t>(col)] = qMax(0, width);
    viewport()->update();
}

int TStringGrid::RowHeights(int row) const {
    return (row >= 0 && row < RowCount()) ? m_rowHeights[static_cast<std::size_t>(row)] : 0;
}

void TStringGrid::setRowHeight(int row, int height) {
    if (row < 0 || row >= RowCount())
        return;
    m_rowHeights[static_cast<std::size_t>(row)] = qMax(0, height);
    updateScrollBar();
    viewport()->update();
}

void TStringGrid::setRow(int row) {
    row = qBound(m_fixedRows, row, RowCount() - 1);
    if (row == m_row)
        return;
    m_row = row;
    ensureRowVisible(row);
    viewport()->update();
}

void TStringGrid::Repaint() { viewport()->repaint(); }

int TStringGrid::visibleRowsFrom(int top) const {
    int height = viewport()->height();
    for (int r = 0; r < m_fixedRows; ++r)
        height -= RowHeights(r) + 1;
    int count = 0;
    for (int r = top; r < RowCount() && height >= RowHeights(r) + 1; ++r, ++count)
        height -= RowHeights(r) + 1;
    return qMax(1, count);
}

void TStringGrid::ensureRowVisible(int row) {
    if (row < m_topRow)
        m_topRow = row;
    while (row >= m_topRow + visibleRowsFrom(m_topRow) && m_topRow < row)
        ++m_topRow;
    updateScrollBar();
}

void TStringGrid::updateScrollBar() {
    const int scrollable = RowCount() - m_fixedRows;
    const int page = visibleRowsFrom(m_fixedRows);
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, qMax(0, scrollable - page));
    bar->setPageStep(page);
    bar->setValue(m_topRow - m_fixedRows);
}

void TStringGrid::scrollContentsBy(int, int) {
    m_topRow = m_fixedRows + verticalScrollBar()->value();
    viewport()->update();
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

QPoint TStringGrid::cellAt(QPoint pos) const {
    int col = -1;
    int x = 0;
    for (int c = 0; c < ColCount(); ++c) {
        const int w = ColWidths(c);
        if (w > 0 && pos.x() >= x && pos.x() < x + w + 1) {
            col = c;
            break;
        }
        x += w > 0 ? w + 1 : 0;
    }
    int row = -1;
    int y = 0;
    const auto hitRow = [&](int r) {
        const int h = RowHeights(r);
        const bool hit = pos.y() >= y && pos.y() < y + h + 1;
        y += h + 1;
        return hit;
    };
    for (int r = 0; r < m_fixedRows && row < 0; ++r)
        if (hitRow(r))
            row = r;
    for (int r = m_topRow; r < RowCount() && row < 0; ++r)
        if (hitRow(r))
            row = r;
    if (col < 0 || row < 0)
        return {-1, -1};
    return {col, row};
}

void TStringGrid::drawCell(QPainter& painter, int col, int row, const QRect& rect) {
    const bool fixed = col < m_fixedCols || row < m_fixedRows;
    const bool selected = !fixed && row == m_row;
    TColor background = fixed ? m_fixedColor : clWindow;
    TColor textColor = clWindowText;
    if (selected) {
        background = clHighlight;
        textColor = clHighlightText;
    }
    painter.fillRect(rect, toQColor(background));
    if (fixed) {
        // Raised edge: light top-left, dark bottom-right.
        painter.setPen(toQColor(clBtnHighlight));
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
    }
    painter.setPen(toQColor(textColor));
    painter.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     Cells(col, row));
}

void TStringGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.fillRect(viewport()->rect(), toQColor(clWindow));
    std::vector<int> rows;
    for (int r = 0; r < m_fixedRows && r < RowCount(); ++r)
        rows.push_back(r);
    for (int r = m_topRow; r < RowCount(); ++r)
        rows.push_back(r);
    int y = 0;
    for (int r : rows) {
        if (y > viewport()->height())
            break;
        const int h = RowHeights(r);
        int x = 0;
        for (int c = 0; c < ColCount(); ++c) {
            const int w = ColWidths(c);
            if (w <= 0)
                continue;
            const QRect cell(x, y, w, h);
            drawCell(painter, c, r, cell);
            // Grid lines: black around fixed cells, grey between the others.
            const bool fixed = c < m_fixedCols || r < m_fixedRows;
            painter.setPen(toQColor(fixed ? clBlack : clSilver));
            painter.drawLine(x + w, y, x + w, y + h);
            painter.drawLine(x, y + h, x + w, y + h);
            x += w + 1;
        }
        y += h + 1;
    }
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell.y() >= m_fixedRows && cell.x() >= 0) {
        setRow(cell.y());
        emit Click();
    }
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell.y() >= m_fixedRows)
        emit DblClick();
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    const int page = visibleRowsFrom(m_topRow);
    int target = m_row;
    switch (event->key()) {
    case Qt::Key_Up:
        target = m_row - 1;
        break;
    case Qt::Key_Down:
        target = m_row + 1;
        break;
    case Qt::Key_PageUp:
        target = m_row - page;
        break;
    case Qt::Key_PageDown:
        target = m_row + page;
        break;
    case Qt::Key_Home:
        target = m_fixedRows;
        break;
    case Qt::Key_End:
        target = RowCount() - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int before = m_row;
    setRow(target);
    if (m_row != before)
        emit Click();
}

} // namespace wendolarka
