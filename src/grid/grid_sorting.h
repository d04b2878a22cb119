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

// toNumber prepared once for many texts: a plain decimal (digits, the locale's
// decimal separator, a leading minus) is read directly, a few times faster than
// the locale reads it and to the same value; every other text goes to the locale.
class NumberReader {
public:
    explicit NumberReader(const QLocale& locale = numberLocale());
    std::optional<double> operator()(const QString& text) const;

private:
    QLocale m_locale;
    char16_t m_decimal = 0; // 0: the locale writes numbers some other way; it reads them all
};

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
// position k of the result is the index of the text that goes k-th. Always a
// permutation of 0 .. count-1.
std::vector<int> sortOrder(int count, const std::function<const QString&(int)>& textAt, const TSortOptions& options);
std::vector<int> sortOrder(const std::vector<QString>& texts, const TSortOptions& options);

// Reorders items[0 .. order.size()-1] in place so that position k holds what
// position order[k] held, each item moved once. An order that is no
// permutation changes nothing and gives false.
template <typename T>
bool permute(T* items, const std::vector<int>& order) {
    const std::size_t n = order.size();
    std::vector<bool> placed(n);
    for (const int from : order) {
        if (from < 0 || static_cast<std::size_t>(from) >= n || placed[static_cast<std::size_t>(from)])
            return false;
        placed[static_cast<std::size_t>(from)] = true;
    }
    placed.assign(n, false);
    for (std::size_t start = 0; start < n; ++start) {
        if (placed[start])
            continue;
        T held = std::move(items[start]);
        std::size_t at = start;
        for (;;) { // one cycle of the permutation
            placed[at] = true;
            const auto from = static_cast<std::size_t>(order[at]);
            if (from == start) {
                items[at] = std::move(held);
                break;
            }
            items[at] = std::move(items[from]);
            at = from;
        }
    }
    return true;
}

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
