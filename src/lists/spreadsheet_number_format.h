#pragma once

// Numbers of a spreadsheet shown as its cells show them: plain numbers, dates,
// times, and the number format codes of a workbook.

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace wendolarka::lists {

// Fifteen significant digits, never an exponent, integers without decimals, a decimal comma.
QString formatNumber(double value);
QString isoDate(const QDate& date);
// A day serial as yyyy-MM-dd, or nullopt where a spreadsheet would not show a date.
std::optional<QString> serialDate(double serial, bool date1904);
// A time of day, or with `elapsed` ([h] formats) the hours in all.
QString formatTime(double serial, bool seconds, bool elapsed);

enum class TNumberKind : quint8 { Plain, Percent, Date, Time, TimeSeconds, Elapsed, ElapsedSeconds };

// A workbook has a few hundred formats; beyond these a number is shown plainly.
constexpr qsizetype kMaxShapedFormats = 1024;

struct TFormatPiece {
    // Pad is the room of one character (_x), which at the edges only aligns columns.
    enum class TKind : quint8 { Literal, Pad, Digit, Point, General, Text };
    TKind kind = TKind::Literal;
    char16_t digit = 0; // '0', '#' or '?'
    QString text;       // a literal's
};

struct TFormatSection {
    std::vector<TFormatPiece> pieces;
    bool grouped = false; // thousands separated
    int thousands = 0;    // commas after the last digit: the number is shown in thousands
    bool percent = false;

    bool has(TFormatPiece::TKind kind) const {
        return std::any_of(pieces.begin(), pieces.end(), [&](const TFormatPiece& p) { return p.kind == kind; });
    }
};

struct TNumberFormat {
    TNumberKind kind = TNumberKind::Plain;
    // Positive, negative and zero; none where the format is General or not understood.
    std::vector<TFormatSection> sections;
    // How a text is shown where the format says more than "as it is".
    std::optional<TFormatSection> text;
};

// A format code read; with `shape` its sections too, else only its kind.
TNumberFormat numberFormat(QStringView code, bool shape);
// A number as its format shows it; padding at the ends only aligns the column.
QString formatByFormat(const TNumberFormat& format, double value);
// A text by the format's text section.
QString textByFormat(const TNumberFormat& format, const QString& text);
// The formats Excel numbers without writing their code.
TNumberFormat builtinNumberFormat(int id);

} // namespace wendolarka::lists
