#include "sortable_grid.h"

#include <algorithm>

namespace wendolarka {

TFajny::TFajny(QWidget* parent) : TStringGrid(parent) {}

int TFajny::sizeOf(SizeKind kind, int index) const {
    return kind == SizeKind::Row ? RowHeights(index) : ColWidths(index);
}

void TFajny::setSizeOf(SizeKind kind, int index, int size) {
    if (kind == SizeKind::Column)
        setColWidths(index, size);
    else
        setRowHeight(index, size);
}

void TFajny::hideRange(SizeKind kind, int first, int last) {
    const int count = kind == SizeKind::Row ? RowCount() : ColCount();
    for (int i = qMax(0, first); i <= last && i < count; ++i) {
        m_savedSizes.push_back({kind, i, sizeOf(kind, i)});
        setSizeOf(kind, i, 0);
    }
}

void TFajny::showRange(SizeKind kind, int first, int last) {
    const int count = kind == SizeKind::Row ? RowCount() : ColCount();
    for (int i = qMax(0, first); i <= last && i < count; ++i) {
        if (sizeOf(kind, i) != 0)
            continue;
        const auto matches = [&](const SavedSize& s) { return s.kind == kind && s.index == i; };
        const auto oldest = std::find_if(m_savedSizes.begin(), m_savedSizes.end(), matches);
        if (oldest == m_savedSizes.end())
            continue;
        setSizeOf(kind, i, oldest->size);
        const auto newest = std::find_if(m_savedSizes.rbegin(), m_savedSizes.rend(), matches);
        m_savedSizes.erase(std::next(newest).base());
    }
}

void TFajny::HideRowRange(int first, int last) { hideRange(SizeKind::Row, first, last); }
void TFajny::HideColumnRange(int first, int last) { hideRange(SizeKind::Column, first, last); }
void TFajny::ShowRowRange(int first, int last) { showRange(SizeKind::Row, first, last); }
void TFajny::ShowColumnRange(int first, int last) { showRange(SizeKind::Column, first, last); }

} // namespace wendolarka
