#pragma once

#include "string_grid.h"

#include <vector>

namespace wendolarka {

enum THandleFixed { hfNot, hfYes };

// The person grid. Grows into the sorting and searching grid; for now it keeps
// its settings and hides and shows rows and columns with remembered sizes.
class TFajny : public TStringGrid {
    Q_OBJECT
public:
    explicit TFajny(QWidget* parent = nullptr);

    THandleFixed UseFixed() const { return m_useFixed; }
    void setUseFixed(THandleFixed value) { m_useFixed = value; }
    bool SortOnClick() const { return m_sortOnClick; }
    void setSortOnClick(bool value) { m_sortOnClick = value; }

    void HideRowRange(int first, int last);
    void HideColumnRange(int first, int last);
    void ShowRowRange(int first, int last);
    void ShowColumnRange(int first, int last);

private:
    enum class SizeKind { Row = 1, Column = 2 };
    struct SavedSize {
        SizeKind kind;
        int index;
        int size;
    };
    void hideRange(SizeKind kind, int first, int last);
    void showRange(SizeKind kind, int first, int last);
    int sizeOf(SizeKind kind, int index) const;
    void setSizeOf(SizeKind kind, int index, int size);

    THandleFixed m_useFixed = hfNot;
    bool m_sortOnClick = true;
    std::vector<SavedSize> m_savedSizes;
};

} // namespace wendolarka
