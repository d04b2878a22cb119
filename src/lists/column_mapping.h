#pragma once

#include "core/person.h"
#include "lists/list_table.h"

#include <QString>

#include <algorithm>
#include <optional>
#include <vector>

namespace wendolarka::lists {

// What a list column fills: one of the eleven person texts (the numbers are
// their places in kPersonTextColumns), the photo, or nothing.
enum class TColumnTarget : int {
    Tytul, Imie, Nazwisko, Priorytet, Indeks, Adres1, Adres2, Telefon1, Telefon2, Usluga1, Usluga2,
    Photo,
    Skip,
};

inline bool isPersonText(TColumnTarget target) { return static_cast<int>(target) < int(kPersonTextCount); }
inline std::size_t personTextIndex(TColumnTarget target) { return static_cast<std::size_t>(target); }
inline TColumnTarget personTextTarget(std::size_t index) { return static_cast<TColumnTarget>(index); }

// The name a choice list shows: "Tytuł" … "Usługa 2", "Zdjęcie", "— pomiń —".
QString targetTitle(TColumnTarget target);

// The header text a column's title names, if any. Case, diacritics, blanks and
// the separators "_", "-", ".", ":" do not count; Polish and English names are known.
std::optional<TColumnTarget> recognizeHeader(const QString& title);

// For each list column, what it fills. Columns past the end fill nothing, and
// no target is filled by two columns.
class TColumnMapping {
public:
    TColumnMapping() = default;
    explicit TColumnMapping(int columnCount) : m_targets(std::size_t(std::max(columnCount, 0)), TColumnTarget::Skip) {}

    int columnCount() const { return int(m_targets.size()); }
    TColumnTarget target(int column) const;
    // The column filling `target`, if one does.
    std::optional<int> columnOf(TColumnTarget target) const;
    // Sets a column's target; a column that held the same target before lets go of it.
    void assign(int column, TColumnTarget target);
    bool mapsAnything() const;

    bool operator==(const TColumnMapping&) const = default;

private:
    std::vector<TColumnTarget> m_targets;
};

struct TMappingGuess {
    TColumnMapping mapping;
    bool firstRowIsHeader = false;
    // How many columns the first row names; one is taken as a header, two or
    // more leave little doubt.
    int namedColumns = 0;
};

// The mapping a list's first row suggests. A row naming at least one field is a
// header: each target goes to the first column naming it, and a second column
// with the plain name of a numbered pair ("Telefon" twice, "Stanowisko" and
// "Dział") takes the pair's second field unless a column names that one. A
// first row naming nothing is data, and then nothing is mapped: the columns of
// a list without titles have no meaning we could know, and a guess would put
// surnames into titles without a word.
TMappingGuess guessMapping(const TListRow& firstRow);

// Columns in the person table's order (Tytul, Imie, …, Usluga2, then the
// photo), for a list asked to be taken that way.
TColumnMapping positionalMapping(int columnCount);

// A list cell as the database will hold it: line breaks (a run of them) and
// tabs become one blank, other control and invisible format characters go, a
// double quote becomes a single one (as typed in the editing window), then
// surrounding blanks go and an empty text becomes a single blank. Decomposed
// letters are composed, so "o" + combining acute is the "ó" Windows-1250 has.
QString storedCellText(const QString& cell);

enum class TUnencodablePolicy {
    Keep,    // left for the caller to report
    Nearest, // replaced by the nearest letters Windows-1250 has, where there are any
};

// The eleven texts of a person from a list row: mapped cells as storedCellText
// makes them, everything else a single blank.
TPersonTexts storedTextsOf(const TListRow& row, const TColumnMapping& mapping,
                           TUnencodablePolicy policy = TUnencodablePolicy::Keep);

// The photo column's text, trimmed; empty when there is none.
QString photoCellOf(const TListRow& row, const TColumnMapping& mapping);

// What Windows-1250 holds nearest to a character it cannot hold (a code point,
// so a character beyond the first plane is one): a fixed table for letters that
// do not decompose or have a nearer one than their base letter (ø → o, æ → ae,
// ș → ş), then the letter without the marks the code page lacks (ā → a, ǘ → ü),
// then compatibility forms (ĳ → ij). Nullopt when there is none (Cyrillic, Greek,
// CJK, symbols) and for characters the code page holds.
std::optional<QString> nearestEncodable(char32_t character);

// The text with every character Windows-1250 lacks replaced by nearestEncodable;
// characters without a near one stay.
QString withNearestEncodable(const QString& text);

// A character of a mapped cell that Windows-1250 cannot hold.
struct TUnencodableChar {
    int sourceRow = 0; // the row's place in its file
    int column = 0;    // the list column, from 0
    TColumnTarget target = TColumnTarget::Skip;
    char32_t character = 0;
    std::optional<QString> replacement; // nearestEncodable's choice
};

// Every different character the row's mapped texts (photo excluded: a file name
// is not stored as text) cannot hold in Windows-1250, field by field, in the
// order of the fields and of first appearance.
std::vector<TUnencodableChar> unencodableIn(const TListRow& row, const TColumnMapping& mapping);

} // namespace wendolarka::lists
