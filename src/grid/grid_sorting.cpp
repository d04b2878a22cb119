#include "grid_sorting.h"

#include <QDateTime>

namespace wendolarka::grid_rules {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

} // namespace

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

std::optional<double> toNumber(const QString& text, const QLocale& locale) {
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

TSortKind detectKind(const std::vector<QString>& texts) {
    bool number = true, dateTime = true, time = true;
    const QLocale locale = numberLocale();
    for (std::size_t i = 0; i < texts.size() && (number || dateTime || time); ++i) {
        const QString& text = texts[i];
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

std::vector<int> sortOrder(const std::vector<QString>& texts, const TSortOptions& options) {
    // Keys are converted once; equal keys keep the rows' order.
    const int count = static_cast<int>(texts.size());
    const int direction = options.Direction == sdDescending ? -1 : 1;
    const bool numeric = options.Kind == skNumber || options.Kind == skDateTime || options.Kind == skTime;
    if (numeric) {
        const QLocale locale = numberLocale();
        std::vector<std::optional<double>> keys(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            QString text = texts[i];
            if (!options.CaseSensitive && options.Kind != skNumber) // digits have no case
                text = text.toUpper();
            keys[i] = options.Kind == skNumber ? toNumber(text, locale)
                      : options.Kind == skDateTime ? toDateTime(text)
                                                   : toTime(text);
        }
        // A text that does not convert compares equal to everything.
        return stableOrder(count, [&](int a, int b) {
            const auto& x = keys[static_cast<std::size_t>(a)];
            const auto& y = keys[static_cast<std::size_t>(b)];
            return (x && y) ? direction * ((*x > *y) - (*x < *y)) : 0;
        });
    }
    std::vector<QString> keys(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        keys[i] = options.CaseSensitive ? texts[i] : texts[i].toUpper();
    const bool custom = options.Kind == skCustom && options.CompareProc;
    return stableOrder(count, [&](int a, int b) {
        const QString& x = keys[static_cast<std::size_t>(a)];
        const QString& y = keys[static_cast<std::size_t>(b)];
        return direction * (custom ? sign(options.CompareProc(x, y)) : sign(QString::localeAwareCompare(x, y)));
    });
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
