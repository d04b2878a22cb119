#include "lists/spreadsheet_number_format.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace wendolarka::lists {

// Fifteen significant digits, as spreadsheets show a number: every typed number
// keeps its digits and float noise (0.30000000000000004) falls away; never an
// exponent, integers without decimals, a decimal comma.
QString formatNumber(double value) {
    if (value == 0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype e = scientific.indexOf(u'e');
    QString digits = scientific.left(1) + scientific.mid(2, e - 2);
    const int exponent = scientific.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    QString text;
    if (exponent >= 0) {
        const qsizetype whole = exponent + 1;
        text = digits.size() <= whole ? digits + QString(whole - digits.size(), u'0')
                                      : digits.left(whole) + u',' + digits.mid(whole);
    } else {
        text = QStringLiteral("0,") + QString(-exponent - 1, u'0') + digits;
    }
    return value < 0 ? QChar(u'-') + text : text;
}

QString isoDate(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

// A day serial as yyyy-MM-dd, or nullopt where a spreadsheet would not show a date.
std::optional<QString> serialDate(double serial, bool date1904) {
    if (!(serial >= 0 && serial < 3'000'000))
        return std::nullopt;
    // Rounded to the millisecond first, as the display is, so 0.9999999999 of a day is the next day.
    const qint64 day = std::llround(serial * 86'400'000.0) / 86'400'000;
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(day);
    } else {
        if (day < 1)
            return std::nullopt;
        // The 1900 system counts a 29 February 1900 that never was; spreadsheets show it.
        if (day == 60)
            return QStringLiteral("1900-02-29");
        date = QDate(1899, 12, day < 60 ? 31 : 30).addDays(day);
    }
    if (!date.isValid() || date.year() > 9999)
        return std::nullopt;
    return isoDate(date);
}

// A time of day, or with `elapsed` ([h] formats) the hours in all.
QString formatTime(double serial, bool seconds, bool elapsed) {
    if (!(serial >= 0 && serial < 3'000'000))
        return formatNumber(serial);
    const qint64 total = (std::llround(serial * 86'400'000.0) + 500) / 1000;
    const qint64 second = elapsed ? total : total % 86'400;
    const QString minutes = QStringLiteral("%1:%2").arg(second / 3600).arg(second / 60 % 60, 2, 10, QChar(u'0'));
    return seconds ? QStringLiteral("%1:%2").arg(minutes).arg(second % 60, 2, 10, QChar(u'0')) : minutes;
}

namespace {


TNumberKind builtinNumberKind(int id) {
    switch (id) {
    case 9: case 10: return TNumberKind::Percent;
    case 14: case 15: case 16: case 17: case 22: return TNumberKind::Date;
    case 18: case 20: return TNumberKind::Time;
    case 19: case 21: case 45: case 47: return TNumberKind::TimeSeconds;
    case 46: return TNumberKind::ElapsedSeconds;
    default: return TNumberKind::Plain;
    }
}

// What a custom format shows, from its first section with literal text, colours
// and locales left out: a date when it has a year, day or month (an "m" beside
// hours or seconds is minutes), a time when it has only time parts.
TNumberKind customNumberKind(QStringView code) {
    QString codes;
    bool elapsed = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            i = close < 0 ? code.size() : close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toString().toLower();
            // [h], [mm], [ss]: elapsed time; anything else in brackets is a colour or a locale.
            if (!inside.isEmpty() && std::all_of(inside.begin(), inside.end(), [](QChar p) {
                    return p == u'h' || p == u'm' || p == u's';
                })) {
                codes += inside;
                elapsed = elapsed || inside.contains(u'h');
            }
            i = close < 0 ? code.size() : close;
        } else if (c == u';') {
            break;
        } else {
            codes += c.toLower();
        }
    }
    codes.remove(QStringLiteral("am/pm")).remove(QStringLiteral("a/p"));
    const bool year = codes.contains(u'y'), day = codes.contains(u'd'), month = codes.contains(u'm');
    const bool hour = codes.contains(u'h'), second = codes.contains(u's');
    if (year || day || (month && !hour && !second))
        return TNumberKind::Date;
    if (hour || month || second) {
        if (elapsed)
            return second ? TNumberKind::ElapsedSeconds : TNumberKind::Elapsed;
        return second ? TNumberKind::TimeSeconds : TNumberKind::Time;
    }
    return codes.contains(u'%') ? TNumberKind::Percent : TNumberKind::Plain;
}

// How a spreadsheet shows a number that is no date, time or percent: the sections
// of its format that this reader understands. Shown as in Polish: a decimal
// comma, and thousands parted by the non-breaking space that Polish Excel and
// LibreOffice put there (it also keeps a number whole at a line's end).
constexpr char16_t kThousandsSeparator = u'\u00A0';
// Excel's own limits: a format code is at most 255 characters with 30 decimals;
// beyond them a number is shown plainly.
constexpr qsizetype kMaxFormatCode = 255;
constexpr int kMaxFormatDecimals = 30;

// One section of a format code, or nullopt for anything not understood here
// (scientific notation, fractions, conditions, stray letters).
std::optional<TFormatSection> parseFormatSection(QStringView code) {
    using TKind = TFormatPiece::TKind;
    TFormatSection section;
    const auto literal = [&](QStringView text) {
        if (!section.pieces.empty() && section.pieces.back().kind == TKind::Literal)
            section.pieces.back().text += text;
        else
            section.pieces.push_back({TKind::Literal, 0, text.toString()});
    };
    const auto lastIsDigit = [&] { return !section.pieces.empty() && section.pieces.back().kind == TKind::Digit; };
    bool afterPoint = false;
    int decimals = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        const char16_t u = c.unicode();
        if (u == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            if (close < 0)
                return std::nullopt;
            literal(code.mid(i + 1, close - i - 1));
            i = close;
        } else if (u == u'\\' || u == u'_' || u == u'*') {
            if (++i >= code.size())
                return std::nullopt;
            // A fill (*x) widens the cell's text to the column: nothing of its own.
            if (u == u'\\')
                literal(code.mid(i, 1));
            else if (u == u'_')
                section.pieces.push_back({TKind::Pad, 0, {}});
        } else if (u == u'[') {
            const qsizetype close = code.indexOf(u']', i + 1);
            if (close < 0)
                return std::nullopt;
            const QStringView inside = code.mid(i + 1, close - i - 1);
            // [$zł-415] is a currency, [$-415] a locale alone, [Red] a colour; [>100] a condition.
            if (inside.startsWith(u'$'))
                literal(inside.mid(1, inside.indexOf(u'-') < 0 ? -1 : inside.indexOf(u'-') - 1));
            else if (inside.isEmpty() || !std::all_of(inside.begin(), inside.end(), [](QChar p) { return p.isLetterOrNumber(); }))
                return std::nullopt;
            i = close;
        } else if (u == u'0' || u == u'#' || u == u'?') {
            // A scaling comma comes after the last digit of the whole part.
            if ((afterPoint && ++decimals > kMaxFormatDecimals) || (!afterPoint && section.thousands > 0))
                return std::nullopt;
            section.pieces.push_back({TKind::Digit, u, {}});
        } else if (u == u'.') {
            if (afterPoint)
                return std::nullopt;
            afterPoint = true;
            section.pieces.push_back({TKind::Point, 0, {}});
        } else if (u == u',') {
            // Between digits it parts thousands; right after the last one it scales.
            const bool digitFollows = i + 1 < code.size() && QStringView(u"0#?").contains(code[i + 1]);
            if (afterPoint || !lastIsDigit())
                return std::nullopt;
            if (digitFollows)
                section.grouped = true;
            else
                ++section.thousands;
        } else if (u == u'%') {
            section.percent = true;
            literal(u"%");
        } else if (u == u'@') {
            section.pieces.push_back({TKind::Text, 0, {}});
        } else if (code.mid(i, 7).compare(u"General", Qt::CaseInsensitive) == 0) {
            section.pieces.push_back({TKind::General, 0, {}});
            i += 6;
        } else if (c.isLetterOrNumber() || u == u'/') {
            return std::nullopt;
        } else {
            literal(code.mid(i, 1));
        }
    }
    const bool digits = section.has(TKind::Digit) || section.has(TKind::Point);
    if (digits && section.has(TKind::General))
        return std::nullopt;
    return section;
}

// The sections of a format code split at ';' outside quotes, escapes and brackets.
QList<QStringView> formatSections(QStringView code) {
    QList<QStringView> sections;
    qsizetype start = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"' || c == u'[') {
            const qsizetype close = code.indexOf(c == u'"' ? u'"' : u']', i + 1);
            i = close < 0 ? code.size() : close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u';') {
            sections.append(code.mid(start, i - start));
            start = i + 1;
        }
    }
    sections.append(code.mid(start));
    return sections;
}

} // namespace

// A number format from its code; what is not understood shows numbers plainly.
TNumberFormat numberFormat(QStringView code, bool shape) {
    TNumberFormat format;
    format.kind = customNumberKind(code);
    if (format.kind != TNumberKind::Plain || !shape || code.isEmpty() || code.size() > kMaxFormatCode)
        return format;
    const QList<QStringView> codes = formatSections(code);
    if (codes.size() > 4)
        return format;
    std::vector<TFormatSection> sections;
    for (QStringView sectionCode : codes) {
        std::optional<TFormatSection> section = parseFormatSection(sectionCode);
        if (!section)
            return format;
        sections.push_back(*std::move(section));
    }
    // The fourth section, or a format of one section with @, is the text's.
    const bool textOnly = sections.size() == 1 && sections[0].has(TFormatPiece::TKind::Text);
    if (sections.size() == 4 || textOnly) {
        const TFormatSection& text = sections.back();
        if (text.has(TFormatPiece::TKind::Digit) || text.has(TFormatPiece::TKind::Point) ||
            text.has(TFormatPiece::TKind::General))
            return format;
        format.text = text;
        sections.pop_back();
    }
    for (const TFormatSection& section : sections)
        if (section.has(TFormatPiece::TKind::Text))
            return format;
    // General alone is the plain way.
    if (sections.size() == 1 && sections[0].pieces.size() == 1 && sections[0].pieces[0].kind == TFormatPiece::TKind::General)
        sections.clear();
    format.sections = std::move(sections);
    return format;
}

namespace {

// The digits of a non-negative number rounded half up to `decimals` places, from
// the fifteen significant digits a spreadsheet keeps: the whole part without
// leading zeros ("" for none) and exactly `decimals` decimals.
std::pair<QString, QString> decimalDigits(double value, int decimals) {
    if (value == 0)
        return {QString(), QString(decimals, u'0')};
    const QString scientific = QString::number(value, 'e', 14);
    const qsizetype e = scientific.indexOf(u'e');
    QString digits = scientific.left(1) + scientific.mid(2, e - 2);
    qsizetype point = scientific.mid(e + 1).toInt() + 1;
    if (point <= 0) {
        digits.prepend(QString(-point, u'0'));
        point = 0;
    }
    const qsizetype cut = point + decimals;
    if (digits.size() < cut)
        digits += QString(cut - digits.size(), u'0');
    if (digits.size() > cut) {
        const bool up = digits[cut] >= u'5';
        digits.truncate(cut);
        qsizetype i = cut - 1;
        for (; up && i >= 0 && digits[i] == u'9'; --i)
            digits[i] = u'0';
        if (up && i >= 0)
            digits[i] = QChar(char16_t(digits[i].unicode() + 1));
        if (up && i < 0) {
            digits.prepend(u'1');
            ++point;
        }
    }
    qsizetype lead = 0;
    while (lead < point && digits[lead] == u'0')
        ++lead;
    return {digits.mid(lead, point - lead), digits.mid(point)};
}

// A number, already without its sign, by one section of its format. `nonZero`
// tells whether any digit shown is other than 0.
QString formatBySection(const TFormatSection& section, double value, bool& nonZero) {
    using TKind = TFormatPiece::TKind;
    value = value * (section.percent ? 100 : 1) / std::pow(1000.0, section.thousands);
    const std::vector<TFormatPiece>& pieces = section.pieces;
    const auto pointAt = std::find_if(pieces.begin(), pieces.end(), [](const TFormatPiece& p) { return p.kind == TKind::Point; });
    const qsizetype point = pointAt - pieces.begin();
    const auto countDigits = [&](qsizetype from, qsizetype to) {
        return std::count_if(pieces.begin() + from, pieces.begin() + to, [](const TFormatPiece& p) { return p.kind == TKind::Digit; });
    };
    const qsizetype wholeDigits = countDigits(0, point);
    const int decimals = int(countDigits(std::min(point + 1, qsizetype(pieces.size())), qsizetype(pieces.size())));
    if (!std::isfinite(value))
        return formatNumber(value);
    const auto [whole, fraction] = decimalDigits(value, decimals);
    nonZero = std::any_of(whole.begin(), whole.end(), [](QChar c) { return c != u'0'; }) ||
              std::any_of(fraction.begin(), fraction.end(), [](QChar c) { return c != u'0'; });

    // The whole part fills its placeholders from the right; the leftmost takes what is left over.
    QString left;
    qsizetype unplaced = whole.size(), placed = 0, placeholders = wholeDigits;
    const auto putDigit = [&](QChar digit) {
        if (section.grouped && placed > 0 && placed % 3 == 0)
            left.prepend(kThousandsSeparator);
        left.prepend(digit);
        ++placed;
    };
    for (qsizetype i = point - 1; i >= 0; --i) {
        const TFormatPiece& piece = pieces[std::size_t(i)];
        if (piece.kind == TKind::Literal) {
            left.prepend(piece.text);
        } else if (piece.kind == TKind::Pad) {
            left.prepend(u' ');
        } else if (piece.kind == TKind::General) {
            left.prepend(formatNumber(value));
            nonZero = value != 0;
        } else if (piece.kind == TKind::Digit) {
            const qsizetype take = --placeholders == 0 ? unplaced : std::min(unplaced, qsizetype(1));
            for (qsizetype k = 0; k < take; ++k)
                putDigit(whole[--unplaced]);
            if (take == 0 && piece.digit == u'0')
                putDigit(u'0');
            else if (take == 0 && piece.digit == u'?')
                left.prepend(u' ');
        }
    }
    // Without placeholders before the point the whole part still shows, just before it.
    if (wholeDigits == 0 && point < qsizetype(pieces.size()))
        left += whole;

    // Decimals follow their placeholders; zeros at the end under # are left out, under ? blank.
    QString right;
    if (point < qsizetype(pieces.size())) {
        right += u',';
        std::vector<char16_t> placeholder;
        for (qsizetype i = point + 1; i < qsizetype(pieces.size()); ++i)
            if (pieces[std::size_t(i)].kind == TKind::Digit)
                placeholder.push_back(pieces[std::size_t(i)].digit);
        qsizetype shown = decimals;
        while (shown > 0 && fraction[shown - 1] == u'0' && placeholder[std::size_t(shown) - 1] != u'0')
            --shown;
        qsizetype next = 0;
        for (qsizetype i = point + 1; i < qsizetype(pieces.size()); ++i) {
            const TFormatPiece& piece = pieces[std::size_t(i)];
            if (piece.kind == TKind::Literal)
                right += piece.text;
            else if (piece.kind == TKind::Pad)
                right += u' ';
            else if (piece.kind == TKind::Digit && next < shown)
                right += fraction[next++];
            else if (piece.kind == TKind::Digit && placeholder[std::size_t(next++)] == u'?')
                right += u' ';
        }
    }
    return left + right;
}

} // namespace

// A number as its format shows it; padding at the ends only aligns the column.
QString formatByFormat(const TNumberFormat& format, double value) {
    const std::vector<TFormatSection>& sections = format.sections;
    if (sections.empty())
        return formatNumber(value);
    bool nonZero = false;
    if (value == 0 && sections.size() >= 3)
        return formatBySection(sections[2], 0, nonZero).trimmed();
    // A negative number's own section shows its sign itself, if it has one.
    if (value < 0 && sections.size() >= 2)
        return formatBySection(sections[1], -value, nonZero).trimmed();
    const QString shown = formatBySection(sections[0], std::fabs(value), nonZero).trimmed();
    return value < 0 && nonZero ? QChar(u'-') + shown : shown;
}

// A text by the format's text section; padding at the ends is left out, the
// text's own spaces are not.
QString textByFormat(const TNumberFormat& format, const QString& text) {
    if (!format.text)
        return text;
    const std::vector<TFormatPiece>& pieces = format.text->pieces;
    const auto isPad = [](const TFormatPiece& p) { return p.kind == TFormatPiece::TKind::Pad; };
    const auto first = std::find_if_not(pieces.begin(), pieces.end(), isPad);
    const auto last = std::find_if_not(pieces.rbegin(), pieces.rend(), isPad).base();
    QString shown;
    for (auto piece = first; piece < last; ++piece)
        shown += piece->kind == TFormatPiece::TKind::Text ? text : piece->kind == TFormatPiece::TKind::Pad ? QStringLiteral(" ") : piece->text;
    return shown;
}

// The formats Excel numbers without writing their code; the rest of the built-in
// ones are dates, times, percent or shown plainly.
TNumberFormat builtinNumberFormat(int id) {
    switch (id) {
    case 1: return numberFormat(u"0", true);
    case 2: return numberFormat(u"0.00", true);
    case 3: return numberFormat(u"#,##0", true);
    case 4: return numberFormat(u"#,##0.00", true);
    case 49: return numberFormat(u"@", true);
    default: return {builtinNumberKind(id), {}, std::nullopt};
    }
}

} // namespace wendolarka::lists
