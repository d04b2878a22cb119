#include "pass_template_values.h"

#include "controls/host_form.h"

namespace wendolarka::pass_template::properties {

void refuse(const QString& what) { throw EStreamError(what); }

bool booleanOf(const TValue& v, const QString& name) {
    if (!v.isBoolean())
        refuse(QStringLiteral("„%1” oczekuje wartości logicznej").arg(name));
    return v.boolean();
}

std::int64_t integerOf(const TValue& v, const QString& name) {
    if (!v.isInteger())
        refuse(QStringLiteral("„%1” oczekuje liczby całkowitej").arg(name));
    return v.integer;
}

int coordinateOf(const TValue& v, const QString& name) {
    const std::int64_t value = integerOf(v, name);
    if (value < -kMaxCoordinate || value > kMaxCoordinate)
        refuse(QStringLiteral("„%1” = %2 leży poza każdym ekranem").arg(name).arg(value));
    // A size no card reaches would only make drawing take minutes and gigabytes.
    if ((name == u"Width" || name == u"Height") && value > kMaxCardSide)
        refuse(QStringLiteral("„%1” = %2: element przepustki może mieć najwyżej %3 pikseli na bok")
                   .arg(name)
                   .arg(value)
                   .arg(kMaxCardSide));
    return static_cast<int>(value);
}

int boundedOf(const TValue& v, const QString& name, std::int64_t low, std::int64_t high) {
    const std::int64_t value = integerOf(v, name);
    if (value < low || value > high)
        refuse(QStringLiteral("„%1” = %2 poza zakresem %3..%4").arg(name).arg(value).arg(low).arg(high));
    return static_cast<int>(value);
}

QString stringOf(const TValue& v, const QString& name) {
    if (!v.isString())
        refuse(QStringLiteral("„%1” oczekuje tekstu").arg(name));
    return v.text;
}

TColor colorOf(const TValue& v, const QString& name) {
    if (v.tag == Tag::Ident) {
        if (const auto color = identToColor(v.text))
            return *color;
        refuse(QStringLiteral("„%1” nie zna koloru %2").arg(name, v.text));
    }
    return static_cast<TColor>(boundedOf(v, name, INT32_MIN, INT32_MAX));
}

TValue colorValue(TColor color) {
    if (const auto ident = colorToIdent(color))
        return TValue::Ident(*ident);
    return TValue::Integer(color);
}

int charsetOf(const TValue& v, const QString& name) {
    if (v.tag == Tag::Ident) {
        if (const auto charset = identToCharset(v.text))
            return *charset;
        refuse(QStringLiteral("„%1” nie zna zestawu znaków %2").arg(name, v.text));
    }
    return boundedOf(v, name, 0, 255);
}

TValue charsetValue(int charset) {
    if (const auto ident = charsetToIdent(charset))
        return TValue::Ident(*ident);
    return TValue::Integer(charset);
}

} // namespace wendolarka::pass_template::properties
