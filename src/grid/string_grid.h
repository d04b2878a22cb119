#pragma once

#include "core/color.h"

#include <QAbstractScrollArea>
#include <QString>
#include <vector>

namespace wendolarka {

// A grid of text cells with fixed title rows and columns, painted the classic
// way: fixed cells raised in the fixed colour, the current row highlighted.
// Rows scroll vertically; columns of width 0 take no room.
class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

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
    int DefaultColWidth() const { return m_defaultColWidth; }
    int DefaultRowHeight() const { return m_defaultRowHeight; }

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int RowHeights(int row) const;
    void setRowHeight(int row, int height);

    int Row() const { return m_row; }
    void setRow(int row);
    int TopRow() const { return m_topRow; }

    // Paints now, not at the next idle moment.
    void Repaint();

    // The cell under a point of the viewport, or {-1, -1}.
    QPoint cellAt(QPoint viewportPos) const;

signals:
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void drawCell(class QPainter& painter, int col, int row, const QRect& rect);
    void updateScrollBar();
    int visibleRowsFrom(int top) const;
    void ensureRowVisible(int row);

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    std::vector<std::vector<QString>> m_cells; // [row][col]
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    TColor m_fixedColor = clBtnFace;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_row = 1;
    int m_topRow = 1;
};

} // namespace wendolarka
