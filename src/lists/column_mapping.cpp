#include "lists/column_mapping.h"

#include "core/cp1250.h"
#include "core/text_folding.h"

#include <algorithm>
#include <array>

namespace wendolarka::lists {
namespace {

using T = TColumnTarget;

// The header names a list may use, folded (lower case, no diacritics, no blanks
// or separators). `plainOfPair`: the unnumbered name of a field that comes in a
// pair, which a second column of the same kind turns into the pair's second field.
struct THeaderName {
    const char16_t* folded;
    TColumnTarget target;
    bool plainOfPair = false;
};

const THeaderName kHeaderNames[] = {
    {u"tytul", T::Tytul}, {u"title", T::Tytul},

    {u"imie", T::Imie}, {u"imiona", T::Imie}, {u"firstname", T::Imie}, {u"givenname", T::Imie},
    {u"forename", T::Imie},

    {u"nazwisko", T::Nazwisko}, {u"surname", T::Nazwisko}, {u"lastname", T::Nazwisko},
    {u"familyname", T::Nazwisko},

    {u"priorytet", T::Priorytet}, {u"priority", T::Priorytet},

    {u"indeks", T::Indeks}, {u"index", T::Indeks}, {u"id", T::Indeks}, {u"numer", T::Indeks},
    {u"nr", T::Indeks}, {u"identyfikator", T::Indeks}, {u"nrewidencyjny", T::Indeks},
    {u"numerewidencyjny", T::Indeks}, {u"employeeid", T::Indeks}, {u"employeenumber", T::Indeks},

    {u"adres", T::Adres1, true}, {u"address", T::Adres1, true}, {u"adres1", T::Adres1},
    {u"address1", T::Adres1}, {u"addressline1", T::Adres1}, {u"ulica", T::Adres1}, {u"street", T::Adres1},

    {u"adres2", T::Adres2}, {u"address2", T::Adres2}, {u"addressline2", T::Adres2}, {u"miasto", T::Adres2},
    {u"miejscowosc", T::Adres2}, {u"city", T::Adres2}, {u"town", T::Adres2},

    {u"telefon", T::Telefon1, true}, {u"phone", T::Telefon1, true}, {u"tel", T::Telefon1, true},
    {u"telephone", T::Telefon1, true}, {u"telefon1", T::Telefon1}, {u"phone1", T::Telefon1},
    {u"tel1", T::Telefon1},

    {u"telefon2", T::Telefon2}, {u"phone2", T::Telefon2}, {u"tel2", T::Telefon2}, {u"komorka", T::Telefon2},
    {u"telefonkomorkowy", T::Telefon2}, {u"mobile", T::Telefon2}, {u"mobilephone", T::Telefon2},
    {u"cellphone", T::Telefon2},

    {u"usluga", T::Usluga1, true}, {u"service", T::Usluga1, true}, {u"stanowisko", T::Usluga1, true},
    {u"position", T::Usluga1, true}, {u"jobtitle", T::Usluga1, true}, {u"dzial", T::Usluga1, true},
    {u"department", T::Usluga1, true}, {u"funkcja", T::Usluga1, true}, {u"usluga1", T::Usluga1},
    {u"service1", T::Usluga1},

    {u"usluga2", T::Usluga2}, {u"service2", T::Usluga2},

    {u"zdjecie", T::Photo}, {u"foto", T::Photo}, {u"fotografia", T::Photo}, {u"photo", T::Photo},
    {u"plik", T::Photo}, {u"plikzdjecia", T::Photo}, {u"file", T::Photo}, {u"filename", T::Photo},
    {u"photofile", T::Photo}, {u"picture", T::Photo}, {u"image", T::Photo}, {u"obraz", T::Photo},
};

QString foldedHeader(const QString& title) {
    QString folded = foldedText(title);
    folded.removeIf([](QChar c) {
        return c.isSpace() || c == u'_' || c == u'-' || c == u'.' || c == u':' || c == u'–';
    });
    return folded;
}

const THeaderName* headerName(const QString& title) {
    const QString folded = foldedHeader(title);
    if (folded.isEmpty())
        return nullptr;
    for (const THeaderName& name : kHeaderNames)
        if (folded == QStringView(name.folded))
            return &name;
    return nullptr;
}

bool isLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

bool isMark(QChar::Category category) {
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

bool encodable(const QString& text) { return !cp1250::firstUnencodable(text).has_value(); }

// Letters and signs whose nearest Windows-1250 form is not their decomposition:
// they do not decompose (ø, æ, ł-like strokes), or the code page has a nearer
// letter than the bare base (Romanian comma letters have cedilla twins in it).
struct TNearest {
    char32_t character;
    const char16_t* replacement;
};

const TNearest kNearest[] = {
    {U'ø', u"o"}, {U'Ø', u"O"}, {U'æ', u"ae"}, {U'Æ', u"AE"}, {U'œ', u"oe"}, {U'Œ', u"OE"},
    {U'ð', u"d"}, {U'Ð', u"Đ"}, {U'þ', u"th"}, {U'Þ', u"Th"}, {U'ı', u"i"}, {U'ĸ', u"k"},
    {U'ŀ', u"l"}, {U'Ŀ', u"L"}, {U'ŋ', u"n"}, {U'Ŋ', u"N"}, {U'ſ', u"s"}, {U'ẞ', u"SS"},
    {U'ħ', u"h"}, {U'Ħ', u"H"}, {U'ŧ', u"t"}, {U'Ŧ', u"T"}, {U'ƒ', u"f"}, {U'ǥ', u"g"},
    {U'Ǥ', u"G"}, {U'ƶ', u"ż"}, {U'Ƶ', u"Ż"}, {U'ɨ', u"i"}, {U'Ɨ', u"I"}, {U'ƀ', u"b"},
    {U'ș', u"ş"}, {U'Ș', u"Ş"}, {U'ț', u"ţ"}, {U'Ț', u"Ţ"},
    // Hyphens, dashes, primes and apostrophes the code page lacks.
    {0x2010, u"-"}, {0x2011, u"-"}, {0x2012, u"–"}, {0x2015, u"—"}, {0x2212, u"-"}, {0x2043, u"-"},
    {0x201B, u"'"}, {0x201F, u"\""}, {0x2032, u"'"}, {0x2033, u"\""}, {0x2035, u"'"}, {0x02BC, u"'"},
    {0x02B9, u"'"}, {0x2024, u"."}, {0x2044, u"/"}, {0x2215, u"/"},
};

const char16_t* tableReplacement(char32_t character) {
    for (const TNearest& entry : kNearest)
        if (entry.character == character)
            return entry.replacement;
    return nullptr;
}

// A decomposed text made encodable cluster by cluster (a base and its marks):
// the marks the code page can carry with the base are kept, from the first on
// (ǘ is ü + acute: ü stays); a base the code page lacks goes through the table.
std::optional<QString> encodableClusters(const QString& decomposed) {
    QString result;
    qsizetype i = 0;
    while (i < decomposed.size()) {
        qsizetype baseLength = decomposed[i].isHighSurrogate() && i + 1 < decomposed.size() ? 2 : 1;
        const QString base = decomposed.mid(i, baseLength);
        qsizetype end = i + baseLength;
        while (end < decomposed.size() && isMark(decomposed[end].category()))
            ++end;
        if (isMark(base[0].category())) { // marks with nothing to sit on go
            i = end;
            continue;
        }
        const QString marks = decomposed.mid(i + baseLength, end - i - baseLength);
        std::optional<QString> chosen;
        for (qsizetype kept = marks.size(); kept >= 0 && !chosen; --kept) {
            const QString candidate = (base + marks.left(kept)).normalized(QString::NormalizationForm_C);
            if (encodable(candidate))
                chosen = candidate;
        }
        if (!chosen) {
            const char16_t* plain = baseLength == 1 ? tableReplacement(base[0].unicode()) : nullptr;
            if (!plain)
                return std::nullopt;
            chosen = QString::fromUtf16(plain);
        }
        result += *chosen;
        i = end;
    }
    return result;
}

// Calls `visit(codePoint, position, length)` for each character; a lone
// surrogate is a character of its own.
template <typename Visit>
void forEachCodePoint(const QString& text, Visit visit) {
    for (qsizetype i = 0; i < text.size();) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(text[i], text[i + 1]), i, 2);
            i += 2;
        } else {
            visit(char32_t(text[i].unicode()), i, 1);
            ++i;
        }
    }
}

bool canEncodeCodePoint(char32_t c) { return c < 0x10000 && cp1250::canEncode(QChar(char16_t(c))); }

// Nothing for cleanedCell to do: no controls, breaks or soft hyphen, and
// nothing from U+0300 on, where combining marks and everything normalisation
// may change begin. Nearly every cell of a list, Polish letters included.
bool plainCell(const QString& cell) {
    for (const QChar c : cell) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xAD || u >= 0x300)
            return false;
    }
    return true;
}

// Line breaks, tabs, controls and invisible format characters dealt with; the
// rest as it was, composed.
QString cleanedCell(const QString& cell) {
    if (plainCell(cell))
        return cell;
    const QString composed = cell.normalized(QString::NormalizationForm_C);
    QString out;
    out.reserve(composed.size());
    bool afterBreak = false;
    for (QChar c : composed) {
        if (isLineBreak(c.unicode())) {
            if (!afterBreak)
                out += u' ';
            afterBreak = true;
            continue;
        }
        afterBreak = false;
        // A tab parts words like a blank; dropping it would join them.
        if (c == u'\t')
            out += u' ';
        else if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            out += c;
    }
    return out;
}

QString storedText(const QString& cell, TUnencodablePolicy policy) {
    QString text = cleanedCell(cell);
    if (policy == TUnencodablePolicy::Nearest)
        text = withNearestEncodable(text);
    text.replace(u'"', u'\'');
    return storedPersonText(text);
}

} // namespace

QString targetTitle(TColumnTarget target) {
    switch (target) {
    case T::Tytul: return QStringLiteral("Tytuł");
    case T::Imie: return QStringLiteral("Imię");
    case T::Nazwisko: return QStringLiteral("Nazwisko");
    case T::Priorytet: return QStringLiteral("Priorytet");
    case T::Indeks: return QStringLiteral("Indeks");
    case T::Adres1: return QStringLiteral("Adres 1");
    case T::Adres2: return QStringLiteral("Adres 2");
    case T::Telefon1: return QStringLiteral("Telefon 1");
    case T::Telefon2: return QStringLiteral("Telefon 2");
    case T::Usluga1: return QStringLiteral("Usługa 1");
    case T::Usluga2: return QStringLiteral("Usługa 2");
    case T::Photo: return QStringLiteral("Zdjęcie");
    case T::Skip: break;
    }
    return QStringLiteral("— pomiń —");
}

std::optional<TColumnTarget> recognizeHeader(const QString& title) {
    if (const THeaderName* name = headerName(title))
        return name->target;
    return std::nullopt;
}

TColumnTarget TColumnMapping::target(int column) const {
    return column >= 0 && column < columnCount() ? m_targets[std::size_t(column)] : T::Skip;
}

std::optional<int> TColumnMapping::columnOf(TColumnTarget target) const {
    if (target == T::Skip)
        return std::nullopt;
    const auto found = std::find(m_targets.begin(), m_targets.end(), target);
    if (found == m_targets.end())
        return std::nullopt;
    return int(found - m_targets.begin());
}

void TColumnMapping::assign(int column, TColumnTarget target) {
    if (column < 0)
        return;
    if (column >= columnCount())
        m_targets.resize(std::size_t(column) + 1, T::Skip);
    if (target != T::Skip)
        std::replace(m_targets.begin(), m_targets.end(), target, T::Skip);
    m_targets[std::size_t(column)] = target;
}

bool TColumnMapping::mapsAnything() const {
    return std::any_of(m_targets.begin(), m_targets.end(), [](TColumnTarget t) { return t != T::Skip; });
}

TMappingGuess guessMapping(const TListRow& firstRow) {
    const int columns = int(firstRow.cells.size());
    std::vector<const THeaderName*> names(std::size_t(columns), nullptr);
    std::array<bool, std::size_t(T::Skip)> named{};
    TMappingGuess guess;
    for (int c = 0; c < columns; ++c) {
        names[std::size_t(c)] = headerName(firstRow.cells[c]);
        if (names[std::size_t(c)]) {
            named[std::size_t(names[std::size_t(c)]->target)] = true;
            ++guess.namedColumns;
        }
    }
    guess.mapping = TColumnMapping(columns);
    guess.firstRowIsHeader = guess.namedColumns > 0;
    if (!guess.firstRowIsHeader)
        return guess;
    for (int c = 0; c < columns; ++c) {
        const THeaderName* name = names[std::size_t(c)];
        if (!name)
            continue;
        TColumnTarget target = name->target;
        if (guess.mapping.columnOf(target)) {
            const auto second = static_cast<TColumnTarget>(static_cast<int>(target) + 1);
            if (!name->plainOfPair || named[std::size_t(second)] || guess.mapping.columnOf(second))
                continue;
            target = second;
        }
        guess.mapping.assign(c, target);
    }
    return guess;
}

TColumnMapping positionalMapping(int columnCount) {
    TColumnMapping mapping(columnCount);
    for (int c = 0; c < columnCount && c < int(T::Skip); ++c)
        mapping.assign(c, static_cast<TColumnTarget>(c));
    return mapping;
}

QString storedCellText(const QString& cell) { return storedText(cell, TUnencodablePolicy::Keep); }

TPersonTexts storedTextsOf(const TListRow& row, const TColumnMapping& mapping, TUnencodablePolicy policy) {
    TPersonTexts texts;
    texts.fill(QStringLiteral(" "));
    for (int c = 0; c < mapping.columnCount() && c < row.cells.size(); ++c)
        if (const TColumnTarget target = mapping.target(c); isPersonText(target))
            texts[personTextIndex(target)] = storedText(row.cells[c], policy);
    return texts;
}

QString photoCellOf(const TListRow& row, const TColumnMapping& mapping) {
    const std::optional<int> column = mapping.columnOf(T::Photo);
    if (!column || *column >= row.cells.size())
        return {};
    return row.cells[*column].trimmed();
}

std::optional<QString> nearestEncodable(char32_t character) {
    if (canEncodeCodePoint(character))
        return std::nullopt;
    if (const char16_t* replacement = tableReplacement(character))
        return QString::fromUtf16(replacement);
    const QChar::Category category = QChar::category(character);
    if (isMark(category))
        return QString(); // a mark left without a letter to sit on
    if (category == QChar::Separator_Space)
        return QStringLiteral(" ");
    const QString alone = QString::fromUcs4(&character, 1);
    for (const auto form : {QString::NormalizationForm_D, QString::NormalizationForm_KD}) {
        const QString decomposed = alone.normalized(form);
        if (decomposed == alone)
            continue;
        if (std::optional<QString> near = encodableClusters(decomposed))
            return near;
    }
    return std::nullopt;
}

QString withNearestEncodable(const QString& text) {
    if (!cp1250::firstUnencodable(text))
        return text; // nearly every cell of a list: nothing to replace
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c, qsizetype position, qsizetype length) {
        const std::optional<QString> near = nearestEncodable(c);
        out += near ? *near : text.mid(position, length);
    });
    return out;
}

std::vector<TUnencodableChar> unencodableIn(const TListRow& row, const TColumnMapping& mapping) {
    std::vector<TUnencodableChar> found;
    for (std::size_t field = 0; field < kPersonTextCount; ++field) {
        const TColumnTarget target = personTextTarget(field);
        const std::optional<int> column = mapping.columnOf(target);
        if (!column || *column >= row.cells.size())
            continue;
        // A cell Windows-1250 holds as it is stays so when cleaned: the code page has no combining marks.
        if (!cp1250::firstUnencodable(row.cells[*column]))
            continue;
        const std::size_t firstOfField = found.size();
        forEachCodePoint(storedCellText(row.cells[*column]), [&](char32_t c, qsizetype, qsizetype) {
            if (canEncodeCodePoint(c))
                return;
            for (std::size_t i = firstOfField; i < found.size(); ++i)
                if (found[i].character == c)
                    return;
            found.push_back({row.sourceRow, *column, target, c, nearestEncodable(c)});
        });
    }
    return found;
}

} // namespace wendolarka::lists
