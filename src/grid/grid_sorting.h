#pragma once

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Sorting and searching rules of the person grid, apart from any widget.
namespace wendolarka {

enum TMSortType { soString, soStringCaseSensitive };
enum TSortDirection { sdAscending, sdDescending };
enum TSortKind { skAuto, skText, skNumber, skDateTime, skTime, skCustom };

struct TSortOptions {
    TSortKind Kind = skAuto;
    TSortDirection Direction = sdAscending;
    bool CaseSensitive = false;
    std::function<int(const QString&, const QString&)> CompareProc;
};

namespace grid_rules {

// The user's locale for reading numbers: no thousands separators, as the platform reads them.
QLocale numberLocale();
// Conversions by the user's locale; a text that does not convert gives nothing.
std::optional<double> toNumber(const QString& text, const QLocale& locale = numberLocale());
std::optional<double> toDateTime(const QString& text);
std::optional<double> toTime(const QString& text);

// The kind every text of a column converts to: number, then date-time, then time, else text.
TSortKind detectKind(const std::vector<QString>& texts);

// A stable merge sort of the positions 0 .. count-1 by `compare(a, b)` (negative:
// a first, positive: b first, zero: keep their order). Every access stays in
// bounds and every position comes out exactly once, whatever `compare` answers,
// even when it contradicts itself.
template <typename Compare>
std::vector<int> stableOrder(int count, Compare compare) {
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::vector<int> buffer(order.size());
    const std::size_t n = order.size();
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t left = 0; left < n; left += 2 * width) {
            const std::size_t mid = std::min(left + width, n);
            const std::size_t end = std::min(left + 2 * width, n);
            std::size_t i = left, j = mid, out = left;
            while (i < mid && j < end)
                buffer[out++] = compare(order[i], order[j]) > 0 ? order[j++] : order[i++];
            while (i < mid)
                buffer[out++] = order[i++];
            while (j < end)
                buffer[out++] = order[j++];
        }
        order.swap(buffer);
    }
    return order;
}

// The new order of a column's texts under the options (Kind already decided):
// position k of the result is the index of the text that goes k-th.
std::vector<int> sortOrder(const std::vector<QString>& texts, const TSortOptions& options);

// The case-blind substring search compares upper-case texts, Polish letters
// included ("łoś" finds "Łoś").
QString searchFold(const QString& text);

// One search's matching rule.
struct CellMatcher {
    QString text;          // the phrase; folded by the caller for a substring search
    TMSortType keyType = soString;
    bool substring = true;
    int keyPos = 1;        // 1-based start of the compared part
    int keyLen = 2147483647;

    bool matches(const QString& cell) const;
};

} // namespace grid_rules
} // namespace wendolarka
