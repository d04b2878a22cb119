#include "grid_sorting.h"

#include <QCollator>
#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace wendolarka::grid_rules {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

} // namespace

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

NumberReader::NumberReader(const QLocale& locale) : m_locale(locale) {
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && locale.negativeSign() == QStringLiteral("-") && locale.zeroDigit() == QStringLiteral("0") &&
        !point[0].isDigit() && point[0] != u'-')
        m_decimal = point[0].unicode();
}

std::optional<double> NumberReader::operator()(const QString& text) const {
    // At most 15 digits: the digits make an integer below 2^53 and the divisor a
    // power of ten up to 10^15, both exact, so one division rounds as a full
    // decimal conversion does.
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const qsizetype size = text.size();
    if (m_decimal != 0 && size > 0 && size <= 17) {
        const QChar* chars = text.constData();
        qsizetype i = chars[0] == u'-' ? 1 : 0;
        const bool negative = i == 1;
        std::uint64_t digits = 0;
        int digitCount = 0;
        int fractionDigits = -1; // no separator yet
        bool plain = i < size;
        for (; plain && i < size; ++i) {
            const char16_t c = chars[i].unicode();
            if (c >= u'0' && c <= u'9') {
                digits = digits * 10 + (c - u'0');
                ++digitCount;
                if (fractionDigits >= 0)
                    ++fractionDigits;
            } else if (c == m_decimal && fractionDigits < 0 && digitCount > 0) {
                fractionDigits = 0;
            } else {
                plain = false;
            }
        }
        if (plain && digitCount <= 15 && fractionDigits != 0) {
            const double value = static_cast<double>(digits) / kPowersOfTen[std::max(fractionDigits, 0)];
            return negative ? -value : value;
        }
    }
    bool ok = false;
    const double value = m_locale.toDouble(text, &ok); // blanks around the number are allowed by toDouble itself
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> toNumber(const QString& text, const QLocale& locale) { return NumberReader(locale)(text); }

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

TSortKind detectKind(const std::vector<QString>& texts) {
    bool number = true, dateTime = true, time = true;
    const NumberReader readNumber;
    for (std::size_t i = 0; i < texts.size() && (number || dateTime || time); ++i) {
        const QString& text = texts[i];
        number = number && readNumber(text).has_value();
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

namespace {

// Positions 0 .. count-1 in the order `less` puts them, equal ones in their
// previous order. `less` must be a strict weak order: it compares keys computed
// once per row, so the same two rows always get the same answer.
template <typename Less>
std::vector<int> orderBy(std::size_t count, Less less) {
    std::vector<int> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

using TextAt = std::function<const QString&(int)>;

std::vector<int> numericOrder(int count, const TextAt& textAt, const TSortOptions& options) {
    const NumberReader readNumber;
    const bool fold = !options.CaseSensitive && options.Kind != skNumber; // digits have no case
    // NaN stands for a text that does not convert: it compares equal to everything.
    std::vector<double> keys(static_cast<std::size_t>(count));
    bool allConvert = true;
    for (int i = 0; i < count; ++i) {
        const QString& text = textAt(i);
        const QString folded = fold ? text.toUpper() : QString();
        const QString& key = fold ? folded : text;
        const std::optional<double> value = options.Kind == skNumber ? readNumber(key)
                                            : options.Kind == skDateTime ? toDateTime(key)
                                                                         : toTime(key);
        keys[static_cast<std::size_t>(i)] = value ? *value : std::nan("");
        allConvert = allConvert && !std::isnan(keys[static_cast<std::size_t>(i)]);
    }
    const bool descending = options.Direction == sdDescending;
    const auto at = [&keys](int i) { return keys[static_cast<std::size_t>(i)]; };
    if (allConvert) {
        if (descending)
            return orderBy(keys.size(), [&at](int a, int b) { return at(b) < at(a); });
        return orderBy(keys.size(), [&at](int a, int b) { return at(a) < at(b); });
    }
    // Equal to everything is no order at all: only the merge sort that stays in
    // bounds whatever it is told.
    const int direction = descending ? -1 : 1;
    return stableOrder(count, [&at, direction](int a, int b) {
        const double x = at(a), y = at(b);
        return direction * ((x > y) - (x < y));
    });
}

// Texts in QString::localeAwareCompare's order. A column of persons repeats
// its values (titles, priorities, surnames), so each different text is folded
// and collated once; the rows then go by the rank of their text.
std::vector<int> textOrder(int count, const TextAt& textAt, const TSortOptions& options) {
    QHash<QString, int> seen;
    seen.reserve(count);
    std::vector<int> textOfRow(static_cast<std::size_t>(count));
    std::vector<QString> distinct; // folded
    for (int i = 0; i < count; ++i) {
        const QString& text = textAt(i);
        auto found = seen.constFind(text);
        if (found == seen.cend()) {
            found = seen.insert(text, static_cast<int>(distinct.size()));
            distinct.push_back(options.CaseSensitive ? text : text.toUpper());
        }
        textOfRow[static_cast<std::size_t>(i)] = *found;
    }

    const QCollator collator; // the default locale's, as localeAwareCompare uses
    const bool codeUnits = collator.locale().language() == QLocale::C; // how the C locale compares
    std::vector<QCollatorSortKey> keys;
    if (!codeUnits) {
        keys.reserve(distinct.size());
        for (const QString& text : distinct)
            keys.push_back(collator.sortKey(text));
    }
    // localeAwareCompare puts an empty text before every other before it collates,
    // also before texts the collation ignores entirely (control characters).
    const auto less = [&](int a, int b) {
        const QString& x = distinct[static_cast<std::size_t>(a)];
        const QString& y = distinct[static_cast<std::size_t>(b)];
        if (x.isEmpty() || y.isEmpty())
            return x.isEmpty() && !y.isEmpty();
        return codeUnits ? x < y : keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]) < 0;
    };
    std::vector<int> byKey(distinct.size());
    for (std::size_t k = 0; k < byKey.size(); ++k)
        byKey[k] = static_cast<int>(k);
    std::sort(byKey.begin(), byKey.end(), less);
    // Texts that collate alike share a rank, so their rows keep their order.
    std::vector<int> rank(distinct.size());
    int ranks = 0;
    for (std::size_t k = 0; k < byKey.size(); ++k) {
        if (k == 0 || less(byKey[k - 1], byKey[k]))
            ++ranks;
        rank[static_cast<std::size_t>(byKey[k])] = ranks - 1;
    }
    if (options.Direction == sdDescending)
        for (int& r : rank)
            r = ranks - 1 - r;

    // Rows by rank, each rank's rows in their previous order: a counting sort.
    std::vector<int> next(static_cast<std::size_t>(ranks) + 1);
    for (const int text : textOfRow)
        ++next[static_cast<std::size_t>(rank[static_cast<std::size_t>(text)]) + 1];
    for (std::size_t r = 1; r < next.size(); ++r)
        next[r] += next[r - 1];
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int r = rank[static_cast<std::size_t>(textOfRow[static_cast<std::size_t>(i)])];
        order[static_cast<std::size_t>(next[static_cast<std::size_t>(r)]++)] = i;
    }
    return order;
}

} // namespace

std::vector<int> sortOrder(int count, const TextAt& textAt, const TSortOptions& options) {
    count = std::max(count, 0);
    if (options.Kind == skNumber || options.Kind == skDateTime || options.Kind == skTime)
        return numericOrder(count, textAt, options);
    if (options.Kind == skCustom && options.CompareProc) {
        // The caller's comparison may contradict itself: the merge sort that
        // stays in bounds, with keys folded once.
        std::vector<QString> keys;
        keys.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            keys.push_back(options.CaseSensitive ? textAt(i) : textAt(i).toUpper());
        const int direction = options.Direction == sdDescending ? -1 : 1;
        return stableOrder(count, [&](int a, int b) {
            return direction *
                   sign(options.CompareProc(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]));
        });
    }
    return textOrder(count, textAt, options);
}

std::vector<int> sortOrder(const std::vector<QString>& texts, const TSortOptions& options) {
    return sortOrder(
        static_cast<int>(texts.size()), [&texts](int i) -> const QString& { return texts[static_cast<std::size_t>(i)]; },
        options);
}

QString searchFold(const QString& text) { return text.toUpper(); }

bool CellMatcher::matches(const QString& cell) const {
    if (substring) {
        if (text.isEmpty())
            return false;
        if (keyType == soString)
            return searchFold(cell).contains(text); // the phrase comes folded
        return cell.contains(text);
    }
    // A negative length compares an empty part, not the rest of the cell.
    const QString part = keyLen < 0 ? QString() : cell.mid(std::max(0, keyPos - 1), keyLen);
    if (keyType == soString)
        return part.compare(text, Qt::CaseInsensitive) == 0;
    return part == text;
}

} // namespace wendolarka::grid_rules
