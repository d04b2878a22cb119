#include "sortable_grid.h"

#include "core/cp1250.h"
#include "core/exception.h"
#include "core/safe_file.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <optional>

namespace wendolarka {
using grid_rules::searchFold;


TFajny::TFajny(QWidget* parent) : TStringGrid(parent) {
    m_printOptions.HeaderSize = static_cast<unsigned>(Font().Size() + 2);
    m_printOptions.FooterSize = static_cast<unsigned>(m_footerFont.Size() - 1);
    m_selectedRows = {FixedRows()};
    m_selectionAnchor = FixedRows();
    RememberCell();
}

TFajny::~TFajny() = default;

// ---- properties ------------------------------------------------------------------

void TFajny::setAlignmentHorz(TAlignment v) { m_alignmentHorz = v; viewport()->update(); }
void TFajny::setAlignmentVert(TVertAlignment v) { m_alignmentVert = v; viewport()->update(); }
void TFajny::setBevelStyle(TCellBevelStyle v) { m_bevelStyle = v; viewport()->update(); }
void TFajny::setWordWrap(bool v) { m_wordWrap = v; viewport()->update(); }

void TFajny::setProportionalScrollBars(bool v) {
    m_proportional = v;
    AdjustScrollPages();
}

void TFajny::setSortSymbol(TSortSymbol v) { m_sortSymbol = v; loadSortSymbol(); }
void TFajny::setSortDirection(TSortDirection v) { m_sortDirection = v; loadSortSymbol(); }
void TFajny::setSortBitMapA(const QImage& v) { m_sortBitmapA = v; loadSortSymbol(); }
void TFajny::setSortBitMapD(const QImage& v) { m_sortBitmapD = v; loadSortSymbol(); }
void TFajny::setSortSpacingHor(int v) { m_sortSpacingHor = v; repaintTitleRow(); }
void TFajny::setSortSpacingVert(int v) { m_sortSpacingVert = v; repaintTitleRow(); }
void TFajny::setSortOnClick(bool v) { m_sortOnClick = v; repaintTitleRow(); }

void TFajny::setSortColumn(int v) {
    if (v < 0 || v >= ColCount())
        return;
    m_sortColumn = v;
    repaintTitleRow();
}

void TFajny::loadSortSymbol() {
    switch (m_sortSymbol) {
    case sgNone: m_symbol = QImage(); break;
    case sgArrow: m_symbol = sortSymbolImage(m_sortDirection == sdAscending ? "SORTUP" : "SORTDN"); break;
    case sgGlyph: m_symbol = sortSymbolImage(m_sortDirection == sdAscending ? "SORTAZ" : "SORTZA"); break;
    case sgCustom: m_symbol = m_sortDirection == sdAscending ? m_sortBitmapA : m_sortBitmapD; break;
    }
    repaintTitleRow();
}

void TFajny::setSortFooter(bool v) { m_sortFooter = v; }

void TFajny::setFooterRows(int v) {
    if (v < 0 || v > RowCount() - FixedRows() || v == m_footerRows)
        return;
    const int repaint = std::max(v, m_footerRows);
    m_footerRows = v;
    repaintFooterRows(repaint);
}

void TFajny::repaintFooterRows(int count) {
    for (int r = std::max(0, RowCount() - count); r < RowCount(); ++r)
        InvalidateRow(r);
}

void TFajny::setFooterColor(TColor v) { m_footerColor = v; repaintFooterRows(m_footerRows); }
void TFajny::setFooterFont(const TFont& v) { m_footerFont = v; repaintFooterRows(m_footerRows); }
void TFajny::setFooterBevelStyle(TCellBevelStyle v) { m_footerBevelStyle = v; repaintFooterRows(m_footerRows); }

// ---- sorting -----------------------------------------------------------------------

TSortKind TFajny::DetectColumnKind(int col) const {
    std::vector<QString> texts;
    for (int r = FixedRows(); r < RowCount() - ExcludedFooterRows(); ++r)
        texts.push_back(Cells(col, r));
    return grid_rules::detectKind(texts);
}

void TFajny::ApplySort(int col, const TSortOptions& options) {
    m_sortMemory.clear();
    setSortDirection(options.Direction);
    m_sortColumn = col;
    const int first = FixedRows();
    const int end = RowCount() - ExcludedFooterRows();
    m_sortMemory.reserve(static_cast<std::size_t>(std::max(0, end - first)));
    for (int r = first; r < end; ++r)
        m_sortMemory.push_back({Cells(col, r), r});
    const std::vector<int> order = grid_rules::sortOrder(
        static_cast<int>(m_sortMemory.size()),
        [this](int i) -> const QString& { return m_sortMemory[static_cast<std::size_t>(i)].text; }, options);
    permuteRows(first, order);
    grid_rules::permute(m_sortMemory.data(), order);
    const int current = Row();
    for (std::size_t i = 0; i < m_sortMemory.size(); ++i)
        if (m_sortMemory[i].sourceRow == current) {
            if (first + static_cast<int>(i) != current)
                GoToCell(Col(), first + static_cast<int>(i));
            break;
        }
    viewport()->update();
}

void TFajny::RunSort(int col, const TSortOptions& options) {
    if (EditorMode() || FixedRows() + 1 >= RowCount())
        return;
    TSortOptions working = options;
    if (working.Kind == skAuto)
        working.Kind = DetectColumnKind(col);
    if (OnBeginSort)
        OnBeginSort(*this, col, working);
    ApplySort(col, working);
    if (OnEndSort)
        OnEndSort(*this, col);
}

bool TFajny::SortMemoryValid() {
    const int sortable = RowCount() - ExcludedFooterRows() - FixedRows();
    if (static_cast<int>(m_sortMemory.size()) == sortable)
        return true;
    m_sortMemory.clear();
    return false;
}

void TFajny::RestoreOrder() {
    if (!SortMemoryValid())
        return;
    const int first = FixedRows();
    std::vector<RowContent> scratch;
    for (std::size_t i = 0; i < m_sortMemory.size(); ++i)
        scratch.push_back(takeRow(first + static_cast<int>(i)));
    for (std::size_t i = 0; i < m_sortMemory.size(); ++i)
        putRow(m_sortMemory[i].sourceRow, std::move(scratch[i]));
    const int position = Row() - first;
    if (position >= 0 && position < static_cast<int>(m_sortMemory.size()))
        GoToCell(Col(), m_sortMemory[static_cast<std::size_t>(position)].sourceRow);
    m_sortMemory.clear();
}

void TFajny::GoToCell(int col, int row) {
    col = std::max(col, FixedCols());
    row = std::max(row, FixedRows());
    if (col >= ColCount() || row >= RowCount() || !SelectCell(col, row))
        return;
    MoveCurrent(col, row, true);
}

// ---- searching -----------------------------------------------------------------------

TFajny::Found TFajny::startSearch(const QString& text, bool byRows, int firstRow, int lastRow, int firstCol,
                                  int lastCol) {
    m_searchText = text;
    m_scanByRows = byRows;
    m_scanMore = true;
    m_searchExists = true;
    m_startRow = m_scanRow = firstRow;
    m_startCol = m_scanCol = firstCol;
    m_lastRow = lastRow;
    m_lastCol = lastCol;
    return FindNext();
}

TFajny::Found TFajny::FindFirst(const QString& text, bool byRows) {
    const bool skip = m_useFixed == hfNot;
    return startSearch(text, byRows, skip ? FixedRows() : 0, RowCount() - 1, skip ? FixedCols() : 0,
                       ColCount() - 1);
}

TFajny::Found TFajny::FindFirstInRow(const QString& text, int row) {
    return startSearch(text, true, row, row, m_useFixed == hfYes ? 0 : FixedCols(), ColCount() - 1);
}

TFajny::Found TFajny::FindFirstInCol(const QString& text, int col) {
    return startSearch(text, false, m_useFixed == hfYes ? 0 : FixedRows(), RowCount() - 1, col, col);
}

bool TFajny::matches(const QString& cell) const {
    return grid_rules::CellMatcher{m_searchText, m_keyType, m_searchSubstring, m_keyPos, m_keyLen}.matches(cell);
}

bool TFajny::advance() {
    if (m_scanByRows) {
        if (++m_scanCol > m_lastCol) {
            m_scanCol = m_startCol;
            ++m_scanRow;
        }
        return m_scanRow <= m_lastRow;
    }
    if (++m_scanRow > m_lastRow) {
        m_scanRow = m_startRow;
        ++m_scanCol;
    }
    return m_scanCol <= m_lastCol;
}

TFajny::Found TFajny::FindNext() {
    if (!m_scanMore)
        return {};
    if (m_keyType == soString && m_searchSubstring)
        m_searchText = searchFold(m_searchText);
    // The grid may have been filled again since the search began: never past its end.
    m_lastRow = std::min(m_lastRow, RowCount() - 1);
    m_lastCol = std::min(m_lastCol, ColCount() - 1);
    if (m_scanRow > m_lastRow || m_scanCol > m_lastCol) {
        m_scanMore = false;
        return {};
    }
    for (;;) {
        if (matches(Cells(m_scanCol, m_scanRow))) {
            const Found hit{true, m_scanCol, m_scanRow};
            m_scanMore = advance();
            return hit;
        }
        if (!advance()) {
            m_scanMore = false;
            return {};
        }
    }
}

TFajny::Found TFajny::LocateText(const QString& text) const {
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r)
            if (Cells(c, r).compare(text, Qt::CaseInsensitive) == 0)
                return {true, c, r};
    return {};
}

// ---- cells from text -------------------------------------------------------------------

namespace {
QStringList splitAtSeparator(QString text, const QString& separator) {
    QStringList parts;
    if (!separator.isEmpty()) {
        qsizetype at;
        while ((at = text.indexOf(separator)) >= 0) {
            parts << text.left(at);
            text.remove(0, at + separator.size());
        }
    }
    parts << text;
    return parts;
}
} // namespace

int TFajny::ModifyRow(int row, const QString& text, const QString& separator) {
    const QStringList parts = splitAtSeparator(text, separator);
    for (int k = 0; k < parts.size(); ++k)
        setCells(k, row, parts[k]);
    return static_cast<int>(parts.size());
}

int TFajny::ModifyCol(int col, const QString& text, const QString& separator) {
    const QStringList parts = splitAtSeparator(text, separator);
    for (int k = 0; k < parts.size(); ++k)
        setCells(col, k, parts[k]);
    return static_cast<int>(parts.size());
}

void TFajny::LoadFromTextFile(const QString& fileName, QChar separator) {
    ClearAllRows();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file %1").arg(fileName));
    QString text = cp1250::decode(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    setRowCount(static_cast<int>(lines.size()));
    setColCount(FixedCols() + 1);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(separator);
        if (fields.size() > ColCount())
            setColCount(static_cast<int>(fields.size()));
        for (int c = 0; c < fields.size(); ++c)
            setCells(c, i, fields[c]);
    }
}

void TFajny::SaveToTextFile(const QString& fileName, QChar separator) const {
    QString text;
    for (int r = 0; r < RowCount(); ++r)
        text += Rows(r).join(separator) + QStringLiteral("\r\n");
    const QByteArray bytes = cp1250::encode(text);
    writeFileSafely(fileName, bytes);
}

} // namespace wendolarka
