#include "string_grid.h"

#include "core/cp1250_validator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

// The grid's cell editor, mouse and keys.
namespace wendolarka {

// ---- editor ----------------------------------------------------------------------------

bool TStringGrid::EditorMode() const { return m_editor && m_editor->isVisible(); }

void TStringGrid::setEditorMode(bool on) {
    if (on)
        showEditor();
    else
        hideEditor(true);
}

void TStringGrid::showEditor() {
    if (!(m_options & goEditing))
        return;
    if (!m_editor) {
        m_editor = new QLineEdit(viewport());
        m_editor->setFrame(false);
        m_editor->setValidator(new TCp1250Validator(m_editor));
        m_editor->installEventFilter(this);
    }
    m_editorCell = {m_col, m_row};
    m_editor->setFont(m_font.toQFont());
    m_editor->setText(Cells(m_col, m_row));
    placeEditor();
    m_editor->show();
    m_editor->setFocus();
    m_editor->selectAll();
}

void TStringGrid::placeEditor() {
    if (!EditorMode())
        return;
    const TRect r = CellRect(m_editorCell.x(), m_editorCell.y());
    if (r.isEmpty())
        m_editor->setGeometry(-1000, -1000, 10, 10);
    else
        m_editor->setGeometry(r.toQRect());
}

void TStringGrid::hideEditor(bool commit) {
    if (!EditorMode())
        return;
    const QPoint cell = m_editorCell;
    const QString text = m_editor->text();
    // Focus coming back from the editor is no new entry into the grid.
    m_focusFromEditor = true;
    m_editor->hide();
    m_editorCell = {-1, -1};
    if (commit && text != Cells(cell.x(), cell.y()))
        SetEditText(cell.x(), cell.y(), text);
    setFocus();
    m_focusFromEditor = false;
    InvalidateCell(cell.x(), cell.y());
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            hideEditor(false);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter closes the editor, keeping the text; it does not reopen it.
            hideEditor(true);
            GridKeyPress(key);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Tab:
            hideEditor(true);
            keyPressEvent(key);
            return true;
        default:
            break;
        }
    }
    if (watched == m_editor && event->type() == QEvent::FocusOut && EditorMode() &&
        !(m_options & goAlwaysShowEditor)) {
        // Clicking elsewhere in the program keeps what was typed, and leaves the grid.
        const QPoint cell = m_editorCell;
        const QString text = m_editor->text();
        if (text != Cells(cell.x(), cell.y()))
            SetEditText(cell.x(), cell.y(), text);
        if (QApplication::focusWidget() != this) {
            const QScopedValueRollback leaving(m_leavingFocus, true);
            GridExit();
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// ---- mouse and keys ------------------------------------------------------------------------

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    const QPoint cell = MouseCoord(p);
    m_state = gsNormal;
    if (event->button() != Qt::LeftButton)
        return;
    hideEditor(true);
    // Sizing by the lines in the title row or column.
    if ((m_options & goColSizing) && cell.y() >= 0 && cell.y() < m_fixedRows) {
        const int line = sizingLineAt(p.x(), true);
        if (line >= 0) {
            m_state = gsColSizing;
            m_sizingIndex = line;
            m_sizingStart = p.x() - ColWidths(line);
            return;
        }
    }
    if ((m_options & goRowSizing) && cell.x() >= 0 && cell.x() < m_fixedCols) {
        const int line = sizingLineAt(p.y(), false);
        if (line >= 0) {
            m_state = gsRowSizing;
            m_sizingIndex = line;
            m_sizingStart = p.y() - RowHeights(line);
            return;
        }
    }
    if (cell.x() < 0)
        return;
    if ((m_options & goColMoving) && cell.y() < m_fixedRows && cell.x() >= m_fixedCols) {
        m_state = gsColMoving;
        m_moveFrom = m_moveTo = cell.x();
        return;
    }
    if ((m_options & goRowMoving) && cell.x() < m_fixedCols && cell.y() >= m_fixedRows) {
        m_state = gsRowMoving;
        m_moveFrom = m_moveTo = cell.y();
        return;
    }
    if (isFixed(cell.x(), cell.y()))
        return;
    const bool extend = (event->modifiers() & Qt::ShiftModifier) && (m_options & goRangeSelect);
    MoveCurrent(cell.x(), cell.y(), !extend);
    if (m_options & goRangeSelect)
        m_state = gsSelecting;
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    switch (m_state) {
    case gsColSizing:
    case gsRowSizing:
        viewport()->update();
        return;
    case gsSelecting: {
        const QPoint cell = MouseCoord(p);
        if (cell.x() >= m_fixedCols && cell.y() >= m_fixedRows && (cell.x() != m_col || cell.y() != m_row))
            MoveCurrent(cell.x(), cell.y(), false);
        return;
    }
    case gsColMoving:
    case gsRowMoving: {
        const QPoint cell = MouseCoord(p);
        if (m_state == gsColMoving && cell.x() >= m_fixedCols)
            m_moveTo = cell.x();
        if (m_state == gsRowMoving && cell.y() >= m_fixedRows)
            m_moveTo = cell.y();
        return;
    }
    default: {
        const QPoint cell = MouseCoord(p);
        Qt::CursorShape shape = Qt::ArrowCursor;
        if ((m_options & goColSizing) && cell.y() >= 0 && cell.y() < m_fixedRows && sizingLineAt(p.x(), true) >= 0)
            shape = Qt::SplitHCursor;
        else if ((m_options & goRowSizing) && cell.x() >= 0 && cell.x() < m_fixedCols &&
                 sizingLineAt(p.y(), false) >= 0)
            shape = Qt::SplitVCursor;
        viewport()->setCursor(shape);
    }
    }
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const TGridState state = m_state;
    m_state = gsNormal;
    switch (state) {
    case gsColSizing:
        setColWidths(m_sizingIndex, std::max(0, p.x() - m_sizingStart));
        break;
    case gsRowSizing:
        setRowHeights(m_sizingIndex, std::max(0, p.y() - m_sizingStart));
        break;
    case gsColMoving:
        if (m_moveTo != m_moveFrom)
            MoveColumn(m_moveFrom, m_moveTo);
        break;
    case gsRowMoving:
        if (m_moveTo != m_moveFrom)
            MoveRow(m_moveFrom, m_moveTo);
        break;
    default:
        break;
    }
    viewport()->update();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint cell = MouseCoord(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell.x() >= m_fixedCols && cell.y() >= m_fixedRows) {
        emit DblClick();
        if ((m_options & goEditing) && !(m_options & goRowSelect))
            showEditor();
    }
}

void TStringGrid::GridKeyPress(QKeyEvent* event) {
    if ((m_options & goEditing) && !event->text().isEmpty() && event->text()[0].isPrint()) {
        showEditor();
        if (m_editor) {
            m_editor->setText(event->text());
        }
    }
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    const int page = std::max(1, VisibleRowCount());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool extend = (event->modifiers() & Qt::ShiftModifier) && (m_options & goRangeSelect);
    int col = m_col, row = m_row;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home: if (ctrl) row = m_fixedRows; else col = m_fixedCols; break;
    case Qt::Key_End: if (ctrl) row = RowCount() - 1; else col = ColCount() - 1; break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!(m_options & goTabs)) {
            event->ignore();
            return;
        }
        col += event->key() == Qt::Key_Tab ? 1 : -1;
        break;
    case Qt::Key_F2:
        showEditor();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        GridKeyPress(event);
        if ((m_options & goEditing) && !EditorMode() && !(m_options & goAlwaysShowEditor))
            showEditor();
        return;
    default:
        GridKeyPress(event);
        return;
    }
    if (col != m_col || row != m_row)
        MoveCurrent(col, row, !extend);
}

bool TStringGrid::focusNextPrevChild(bool next) {
    if (m_options & goTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TStringGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (!m_focusFromEditor)
        GridEnter();
    viewport()->update();
}

void TStringGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    // Focus passing to the cell editor stays inside the grid.
    if (m_editor && QApplication::focusWidget() == m_editor)
        return;
    {
        const QScopedValueRollback leaving(m_leavingFocus, true);
        GridExit();
    }
    viewport()->update();
}

} // namespace wendolarka
