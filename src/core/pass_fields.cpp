#include "pass_fields.h"

#include "text_folding.h"

namespace wendolarka {
namespace {

QString fieldKey(const QString& name) {
    QString key = foldedText(name);
    key.remove(u' ');
    return key;
}

enum class RunField { None, PrintedOn, ValidUntil, PassNumber };

struct Field {
    int person = -1; // index into the person's texts
    RunField run = RunField::None;
};

std::optional<Field> fieldNamed(const QString& name) {
    const QString key = fieldKey(name);
    for (std::size_t i = 0; i < kPersonTextColumns.size(); ++i)
        if (key == fieldKey(QLatin1String(kPersonTextColumns[i])))
            return Field{static_cast<int>(i), RunField::None};
    if (key == fieldKey(QLatin1String(kPrintedOnField)))
        return Field{-1, RunField::PrintedOn};
    if (key == fieldKey(QLatin1String(kValidUntilField)))
        return Field{-1, RunField::ValidUntil};
    if (key == fieldKey(QLatin1String(kPassNumberField)))
        return Field{-1, RunField::PassNumber};
    return std::nullopt;
}

QString isoDate(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

} // namespace

std::optional<TRunFields> withNumberFrom(TRunFields run, const QString& typed) {
    const QString digits = typed.trimmed();
    // More than 18 digits would pass the largest number the counter holds.
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    for (QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    run.firstNumber = digits.toLongLong();
    run.numberDigits = static_cast<int>(digits.size());
    return run;
}

QStringList passFieldNames() {
    QStringList names;
    for (const char* column : kPersonTextColumns)
        names << QLatin1String(column);
    names << QLatin1String(kPrintedOnField) << QLatin1String(kValidUntilField) << QLatin1String(kPassNumberField);
    return names;
}

TComposedText composeText(const QString& pattern, const TPersonTexts& person, const TRunFields& run, qint64 passIndex) {
    TComposedText out;
    out.text.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if ((c == u'{' || c == u'}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
            out.text += c;
            ++i;
            continue;
        }
        const qsizetype close = c == u'{' ? pattern.indexOf(u'}', i + 1) : -1;
        if (close < 0) {
            out.text += c;
            continue;
        }
        const QString name = pattern.mid(i + 1, close - i - 1);
        const QString written = pattern.mid(i, close - i + 1);
        i = close;
        const std::optional<Field> field = fieldNamed(name);
        if (!field) {
            out.unknown << name;
            out.text += written;
            continue;
        }
        switch (field->run) {
        case RunField::None: {
            const QString& value = person[static_cast<std::size_t>(field->person)];
            out.text += value == u" " ? QString() : value;
            break;
        }
        case RunField::PrintedOn: out.text += isoDate(run.printedOn); break;
        case RunField::ValidUntil:
            if (run.validUntil) {
                out.text += isoDate(*run.validUntil);
            } else {
                out.unset << name;
                out.text += written;
            }
            break;
        case RunField::PassNumber:
            out.text += QStringLiteral("%1").arg(run.firstNumber + passIndex, run.numberDigits, 10, QLatin1Char('0'));
            break;
        }
    }
    return out;
}

} // namespace wendolarka
