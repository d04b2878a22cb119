#include "sortable_grid.h"

#include "core/cp1250.h"
#include "core/exception.h"

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
namespace {

constexpr int kRowKind = 1;
constexpr int kColumnKind = 2;

// The user's locale for reading numbers: no thousands separators, as the platform reads them.
QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

// Conversions by the user's locale; a text that does not convert gives nothing.
std::optional<double> toNumber(const QString& text, const QLocale& locale = numberLocale()) {
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> toDateTime(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale locale;
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    for (const QString& format : {date, date + QStringLiteral(" HH:mm:ss"), date + QStringLiteral(" H:mm"),
                                  date + QStringLiteral(" H:mm:ss"), locale.dateTimeFormat(QLocale::ShortFormat),
                                  QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy-MM-dd H:mm:ss"),
                                  QStringLiteral("yyyy-MM-dd H:mm")}) {
        const QDateTime value = locale.toDateTime(text, format);
        if (value.isValid())
            return static_cast<double>(value.toMSecsSinceEpoch());
    }
    return std::nullopt;
}

std::optional<double> toTime(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale locale;
    for (const QString& format : {locale.timeFormat(QLocale::ShortFormat), locale.timeFormat(QLocale::LongFormat),
                                  QStringLiteral("H:mm"), QStringLiteral("H:mm:ss")}) {
        const QTime value = locale.toTime(text, format);
        if (value.isValid())
            return static_cast<double>(value.msecsSinceStartOfDay());
    }
    return std::nullopt;
}

QString asciiUpper(QString text) {
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return text;
}

int sign(int value) { return (value > 0) - (value < 0); }

} // namespace

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
    bool number = true, dateTime = true, time = true;
    const QLocale locale = numberLocale();
    for (int r = FixedRows(); r < RowCount() - ExcludedFooterRows() && (number || dateTime || time); ++r) {
        const QString text = Cells(col, r);
        number = number && toNumber(text, locale).has_value();
        time = time && toTime(text).has_value();
        dateTime = dateTime && toDateTime(text).has_value();
    }
    if (number)
        return skNumber;
    if (dateTime)
        return skDateTime;
    if (time)
        return skTime;
    return skText;
}

void TFajny::ApplySort(int col, const TSortOptions& options) {
    m_sortMemory.clear();
    setSortDirection(options.Direction);
    m_sortColumn = col;
    const int first = FixedRows();
    const int end = RowCount() - ExcludedFooterRows();
    const int count = std::max(0, end - first);
    for (int r = first; r < end; ++r)
        m_sortMemory.push_back({Cells(col, r), r});

    // Keys are converted once; equal keys fall back to the rows' order, so the
    // order is total. A merge sort keeps every access in bounds even when a
    // custom comparison contradicts itself.
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    const bool descending = options.Direction == sdDescending;
    const auto finish = [descending](int result, int a, int b) {
        if (result == 0)
            return a < b;
        return descending ? result > 0 : result < 0;
    };
    const bool numeric = options.Kind == skNumber || options.Kind == skDateTime || options.Kind == skTime;
    if (numeric) {
        const QLocale locale = numberLocale();
        std::vector<std::optional<double>> keys(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            QString text = m_sortMemory[static_cast<std::size_t>(i)].text;
            if (!options.CaseSensitive && options.Kind != skNumber) // digits have no case
                text = text.toUpper();
            auto& key = keys[static_cast<std::size_t>(i)];
            key = options.Kind == skNumber ? toNumber(text, locale)
                  : options.Kind == skDateTime ? toDateTime(text)
                                               : toTime(text);
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const auto& x = keys[static_cast<std::size_t>(a)];
            const auto& y = keys[static_cast<std::size_t>(b)];
            const int result = (x && y) ? (*x > *y) - (*x < *y) : 0;
            return finish(result, a, b);
        });
    } else {
        std::vector<QString> keys(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const QString& text = m_sortMemory[static_cast<std::size_t>(i)].text;
            keys[static_cast<std::size_t>(i)] = options.CaseSensitive ? text : text.toUpper();
        }
        const bool custom = options.Kind == skCustom && options.CompareProc;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const QString& x = keys[static_cast<std::size_t>(a)];
            const QString& y = keys[static_cast<std::size_t>(b)];
            const int result = custom ? sign(options.CompareProc(x, y)) : sign(QString::localeAwareCompare(x, y));
            return finish(result, a, b);
        });
    }

    std::vector<RowContent> moved;
    moved.reserve(order.size());
    for (int i : order)
        moved.push_back(takeRow(first + i));
    std::vector<TSortedListEntry> sortedMemory;
    sortedMemory.reserve(order.size());
    const int current = Row();
    int newCurrent = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        putRow(first + static_cast<int>(i), std::move(moved[i]));
        const TSortedListEntry& entry = m_sortMemory[static_cast<std::size_t>(order[i])];
        if (entry.sourceRow == current)
            newCurrent = first + static_cast<int>(i);
        sortedMemory.push_back(entry);
    }
    m_sortMemory = std::move(sortedMemory);
    if (newCurrent >= 0 && newCurrent != current)
        GoToCell(Col(), newCurrent);
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
    if (m_searchSubstring) {
        if (m_searchText.isEmpty())
            return false;
        if (m_keyType == soString)
            return asciiUpper(cell).contains(m_searchText);
        return cell.contains(m_searchText);
    }
    const QString part = cell.mid(std::max(0, m_keyPos - 1), m_keyLen);
    if (m_keyType == soString)
        return part.compare(m_searchText, Qt::CaseInsensitive) == 0;
    return part == m_searchText;
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
        m_searchText = asciiUpper(m_searchText);
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
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw Exception(QStringLiteral("Cannot create file %1").arg(fileName));
}

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

void TFajny::ClearAllRows() { ClearRowRange(0, RowCount() - 1); }
void TFajny::ClearRowsFrom(int first) { ClearRowRange(first, RowCount() - 1); }

bool TFajny::ClearColumnRange(int first, int last) {
    if (!validColumnRange(first, last))
        return false;
    for (int c = first; c <= last; ++c)
        for (int r = 0; r < RowCount(); ++r)
            setCells(c, r, QString());
    return true;
}

void TFajny::shiftEntries(int kind, int from, int delta) {
    for (SavedSize& s : m_savedSizes)
        if (s.kind == kind && s.index >= from)
            s.index += delta;
}

void TFajny::dropEntry(int kind, int index) {
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

void TFajny::InsertRowAt(int row) { insertRow(row, row); }
void TFajny::InsertColumnAt(int col) { insertColumn(col, col); }

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

int TFajny::sizeOf(int kind, int index) const { return kind == kRowKind ? RowHeights(index) : ColWidths(index); }

void TFajny::setSizeOf(int kind, int index, int size) {
    if (kind == kRowKind)
        setRowHeights(index, size);
    else
        setColWidths(index, size);
}

void TFajny::hideRange(int kind, int first, int last) {
    const int count = kind == kRowKind ? RowCount() : ColCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        m_savedSizes.push_back({kind, i, sizeOf(kind, i)});
        setSizeOf(kind, i, 0);
    }
}

void TFajny::showRange(int kind, int first, int last) {
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

// ---- drawing ---------------------------------------------------------------------------

void TFajny::DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, TGridDrawState state) {
    TFormatOptions format = DefaultFormat(row, canvas.Font, canvas.Brush);
    TGridDrawState adjusted = state & ~gdSelected;
    if (std::find(m_selectedRows.begin(), m_selectedRows.end(), row) != m_selectedRows.end())
        adjusted |= gdSelected;
    if (!isFixed(col, row) && !isFooterRow(row) && (Options() & goRangeSelect)) {
        const bool selected = adjusted & gdSelected;
        format.Brush.Color = selected ? clHighlight : clWindow;
        format.Font.setColor(selected ? clHighlightText : clWindowText);
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

void TFajny::mousePressEvent(QMouseEvent* event) {
    TStringGrid::mousePressEvent(event);
    if (!(Options() & goRangeSelect) || event->button() != Qt::LeftButton)
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
        m_selectedRows = {r};
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
