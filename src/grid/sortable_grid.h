#pragma once

#include "grid_sorting.h"
#include "string_grid.h"

#include <QImage>
#include <functional>
#include <memory>
#include <vector>

namespace wendolarka {

enum THandleFixed { hfNot, hfYes };
enum TSortSymbol { sgNone, sgArrow, sgGlyph, sgCustom };
enum TCellBevelStyle { cbNone, cbRaised, cbLowered };
enum TVertAlignment { taTopJustify, taBottomJustify, taMiddle };
enum TPrintOrientation { poPortrait, poLandscape };

struct TSortedListEntry {
    QString text;
    int sourceRow = 0;
};

struct TFormatOptions {
    TBrush Brush;
    TFont Font;
    TAlignment AlignmentHorz = taLeftJustify;
    TVertAlignment AlignmentVert = taTopJustify;
    TCellBevelStyle Bevel = cbNone;
    TColor HighlightColor = clWindow;
    TColor ShadowColor = clWindow;
    bool NoText = false;
};

// Settings the owner may use to print the grid; the grid itself does not print.
struct TPrintOptions {
    TPrintOrientation Orientation = poPortrait;
    QString JobTitle, PageTitle, Logo;
    unsigned PageTitleMargin = 0;
    QString PageFooter = QStringLiteral("date|time|page");
    unsigned HeaderSize = 0;
    unsigned FooterSize = 0;
    QString DateFormat = QStringLiteral("d-mmm-yyyy");
    QString TimeFormat = QStringLiteral("h:nn");
    unsigned Copies = 1;
    unsigned FromRow = 0, ToRow = 0;
    unsigned PreviewPage = 1;
    int BorderStyle = 0; // bsNone
    unsigned Leftpadding = 2;
    unsigned MarginBottom = 0, MarginLeft = 0, MarginTop = 0, MarginRight = 0;
};

// The person grid: a string grid that sorts a column by the kind of its values
// (stably, remembering the order before), searches by rows or columns, inserts,
// removes, hides and shows rows and columns (remembering hidden sizes), keeps
// footer rows, formats and bevels each cell, keeps its own list of selected rows
// and validates edited cells.
class TFajny : public TStringGrid {
    Q_OBJECT
public:
    explicit TFajny(QWidget* parent = nullptr);
    ~TFajny() override;

    // ---- properties
    TMSortType KeyType() const { return m_keyType; }
    void setKeyType(TMSortType v) { m_keyType = v; }
    int KeyPos() const { return m_keyPos; }
    void setKeyPos(int v) { m_keyPos = v; }
    int KeyLen() const { return m_keyLen; }
    void setKeyLen(int v) { m_keyLen = v; }
    THandleFixed UseFixed() const { return m_useFixed; }
    void setUseFixed(THandleFixed v) { m_useFixed = v; }
    bool SearchSubstring() const { return m_searchSubstring; }
    void setSearchSubstring(bool v) { m_searchSubstring = v; }
    bool SearchExists() const { return m_searchExists; }
    int SavedFixedRows() const { return FixedRows(); }
    void setSavedFixedRows(int v) { m_savedFixedRows = v; }
    int SavedFixedCols() const { return FixedCols(); }
    void setSavedFixedCols(int v) { m_savedFixedCols = v; }
    bool CaseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool v) { m_caseSensitive = v; }
    TAlignment AlignmentHorz() const { return m_alignmentHorz; }
    void setAlignmentHorz(TAlignment v);
    TVertAlignment AlignmentVert() const { return m_alignmentVert; }
    void setAlignmentVert(TVertAlignment v);
    TCellBevelStyle BevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(TCellBevelStyle v);
    bool ProportionalScrollBars() const { return m_proportional; }
    void setProportionalScrollBars(bool v);
    bool ExtendedKeys() const { return m_extendedKeys; }
    void setExtendedKeys(bool v) { m_extendedKeys = v; }
    TSortSymbol SortSymbol() const { return m_sortSymbol; }
    void setSortSymbol(TSortSymbol v);
    int SortSpacingHor() const { return m_sortSpacingHor; }
    void setSortSpacingHor(int v);
    int SortSpacingVert() const { return m_sortSpacingVert; }
    void setSortSpacingVert(int v);
    TSortDirection SortDirection() const { return m_sortDirection; }
    void setSortDirection(TSortDirection v);
    const QImage& SortBitMapA() const { return m_sortBitmapA; }
    void setSortBitMapA(const QImage& v);
    const QImage& SortBitMapD() const { return m_sortBitmapD; }
    void setSortBitMapD(const QImage& v);
    int SortColumn() const { return m_sortColumn; }
    void setSortColumn(int v);
    bool SortOnClick() const { return m_sortOnClick; }
    void setSortOnClick(bool v);
    bool SortFooter() const { return m_sortFooter; }
    void setSortFooter(bool v);
    int FooterRows() const { return m_footerRows; }
    void setFooterRows(int v);
    TColor FooterColor() const { return m_footerColor; }
    void setFooterColor(TColor v);
    const TFont& FooterFont() const { return m_footerFont; }
    void setFooterFont(const TFont& v);
    TCellBevelStyle FooterBevelStyle() const { return m_footerBevelStyle; }
    void setFooterBevelStyle(TCellBevelStyle v);
    TPrintOptions& PrintOptions() { return m_printOptions; }
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool v);
    int ExcludedFooterRows() const { return m_sortFooter ? 0 : m_footerRows; }
    const std::vector<int>& SelectedRows() const { return m_selectedRows; }

    // Marking: rows marked apart from the current row, for work on several at
    // once. The list of selected rows holds the marks; the current row alone is
    // drawn as chosen and marked rows in a colour of their own. Ctrl-click
    // toggles a mark, Shift-click and a drag mark a range, Ctrl+Space toggles
    // the current row, a plain click clears the marks. A reload clears them too.
    bool MarkRows() const { return m_markRows; }
    void setMarkRows(bool v);
    void clearMarks();
    // Whether the current row is drawn as chosen: off while nothing is chosen,
    // on again as soon as the current row is set, whatever sets it.
    bool CurrentRowShown() const { return m_currentRowShown; }
    void setCurrentRowShown(bool v);
    // Ends a mouse selection under way: the program moved the rows away from
    // under the pointer, so what is beneath it now was not pointed at.
    void EndMouseSelection();
    // The colour of a marked row.
    static constexpr TColor kMarkedColor = 0x0080E0FF; // amber, apart from the chosen row's highlight
    bool Edited() const { return m_edited; }
    const std::vector<TSortedListEntry>& SortMemory() const { return m_sortMemory; }
    const QImage& sortSymbolBitmap() const { return m_symbol; }

    // ---- events
    std::function<void(TFajny&, int col, int row, TGridDrawState, TFormatOptions&)> OnGetCellFormat;
    std::function<void(TFajny&, int col, int row, TSortOptions&)> OnClickSort;
    std::function<void(TFajny&, int col, TSortOptions&)> OnBeginSort;
    std::function<void(TFajny&, int col)> OnEndSort;
    std::function<void(TFajny&, int index)> OnRowInsert, OnRowDelete, OnColumnInsert, OnColumnDelete;
    std::function<void(TFajny&)> OnColumnWidthsChanged, OnRowHeightsChanged;
    std::function<void(TFajny&, int oldColCount, int oldRowCount)> OnSizeChanged;
    std::function<void(TFajny&, int col, int row, QString& value, bool& valid)> OnCellValidate;
    std::function<void(TFajny&)> OnMouseEnter, OnMouseLeave;

    // ---- operations
    virtual void ApplySort(int col, const TSortOptions& options);
    virtual TSortKind DetectColumnKind(int col) const;
    virtual void RememberCell();
    virtual void GoToCell(int col, int row);
    virtual void ClearAllRows();
    virtual void ClearRowsFrom(int first);
    virtual void InsertRowAt(int row);
    virtual void InsertColumnAt(int col);
    virtual void RemoveRow(int row);
    virtual void RemoveColumn(int col);
    virtual void ShiftRow(int from, int to);
    virtual void ShiftColumn(int from, int to);
    virtual void SwapRowPair(int a, int b);
    virtual void SwapColumnPair(int a, int b);
    virtual void FitColumn(int col);
    virtual void FitAllColumns(bool includeFixed, int extra);
    virtual void RunSort(int col, const TSortOptions& options);
    struct Found {
        bool found = false;
        int col = -1;
        int row = -1;
    };
    virtual Found LocateText(const QString& text) const;
    virtual void LoadFromTextFile(const QString& fileName, QChar separator);
    virtual void SaveToTextFile(const QString& fileName, QChar separator) const;
    virtual bool SortMemoryValid();
    virtual void RestoreOrder();
    virtual void ValidateCell();
    virtual bool InsertRowsAt(int row, int count);
    virtual bool InsertColumnsAt(int col, int count);
    virtual bool ClearRowRange(int first, int last);
    virtual bool RemoveRowRange(int first, int last);
    virtual bool RemoveColumnRange(int first, int last);
    virtual bool ClearColumnRange(int first, int last);
    virtual void ShowRowRange(int first, int last);
    virtual void HideRowRange(int first, int last);
    virtual void ShowColumnRange(int first, int last);
    virtual void HideColumnRange(int first, int last);
    virtual void FitRow(int row);
    virtual void FitRowRange(int first, int last);
    virtual void FitVisibleRowRange(int first, int last);
    virtual void FitHiddenRowRange(int first, int last);

    int ModifyRow(int row, const QString& text, const QString& separator);
    int ModifyCol(int col, const QString& text, const QString& separator);
    Found FindFirst(const QString& text, bool byRows);
    Found FindFirstInRow(const QString& text, int row);
    Found FindFirstInCol(const QString& text, int col);
    Found FindNext();

    // The default format of a cell of row `row`, as drawing and FitColumn start from it.
    TFormatOptions DefaultFormat(int row, const TFont& font, const TBrush& brush) const;
    enum class Axis { Row = 1, Column = 2 };
    // The size a hidden row or column had.
    struct SavedSize {
        Axis kind;
        int index;
        int size;
    };
    const std::vector<SavedSize>& SavedSizes() const { return m_savedSizes; }

protected:
    void DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, TGridDrawState state) override;
    void SetEditText(int col, int row, const QString& text) override;
    void ClickCell() override;
    void CurrentCellSet() override { setCurrentRowShown(true); }
    void GridEnter() override;
    void GridExit() override;
    void GridKeyPress(QKeyEvent* event) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void TopLeftChanged() override;
    void AdjustScrollPages() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool validRowRange(int first, int last) const;
    bool validColumnRange(int first, int last) const;
    void hideRange(Axis kind, int first, int last);
    void showRange(Axis kind, int first, int last);
    void insertRow(int row, int entryThreshold);
    void insertColumn(int col, int entryThreshold);
    void shiftEntries(Axis kind, int from, int delta);
    void dropEntry(Axis kind, int index);
    int sizeOf(Axis kind, int index) const;
    void setSizeOf(Axis kind, int index, int size);
    bool isFooterRow(int row) const { return row > RowCount() - m_footerRows - 1; }
    void loadSortSymbol();
    void repaintTitleRow() { InvalidateRow(0); }
    void repaintFooterRows(int count);
    bool matches(const QString& cell) const;
    bool advance();
    Found startSearch(const QString& text, bool byRows, int firstRow, int lastRow, int firstCol, int lastCol);
    void selectRow(int row);
    void deselectRow(int row);
    void selectBetween(int a, int b);
    template <typename Operation>
    void withEditorSuspended(Operation operation);

    TMSortType m_keyType = soString;
    int m_keyPos = 1;
    int m_keyLen = 2147483647;
    THandleFixed m_useFixed = hfNot;
    bool m_searchSubstring = false;
    bool m_searchExists = false;
    int m_savedFixedRows = 1;
    int m_savedFixedCols = 1;
    bool m_caseSensitive = false;
    TAlignment m_alignmentHorz = taLeftJustify;
    TVertAlignment m_alignmentVert = taTopJustify;
    TCellBevelStyle m_bevelStyle = cbNone;
    bool m_proportional = true;
    bool m_extendedKeys = false;
    TSortSymbol m_sortSymbol = sgNone;
    int m_sortSpacingHor = 2;
    int m_sortSpacingVert = 0;
    TSortDirection m_sortDirection = sdAscending;
    QImage m_sortBitmapA, m_sortBitmapD, m_symbol;
    int m_sortColumn = 1;
    bool m_sortOnClick = true;
    bool m_sortFooter = false;
    int m_footerRows = 0;
    TColor m_footerColor = 16776960;
    TFont m_footerFont;
    TCellBevelStyle m_footerBevelStyle = cbNone;
    TPrintOptions m_printOptions;
    bool m_wordWrap = false;

    std::vector<TSortedListEntry> m_sortMemory;
    std::vector<SavedSize> m_savedSizes;

    // search state
    QString m_searchText;
    int m_scanRow = 0, m_scanCol = 0;
    int m_startRow = 0, m_startCol = 0;
    int m_lastRow = 0, m_lastCol = 0;
    bool m_scanByRows = true;
    bool m_scanMore = false;

    // selection and validation state
    std::vector<int> m_selectedRows;
    int m_selectionAnchor = 1;
    int m_dragEndRow = 1;
    bool m_selecting = false;
    bool m_markRows = false;
    bool m_currentRowShown = true;
    int m_prevTopRow = 1;
    int m_rememberedCol = 1, m_rememberedRow = 1;
    QString m_rememberedText;
    bool m_edited = false;
    bool m_savedEdited = false;
    bool m_entered = false;
};

// The sort symbol images: "SORTUP", "SORTDN" (8 x 7), "SORTAZ", "SORTZA" (16 x 16),
// drawn on the aqua transparent colour.
QImage sortSymbolImage(const char* name);

} // namespace wendolarka
