#pragma once

#include <QString>

#include <array>

namespace wendolarka {

// The eleven texts of a person, in the column order of the person table:
// Tytul, Imie, Nazwisko, Priorytet, Indeks, Adres1, Adres2, Telefon1, Telefon2,
// Usluga1, Usluga2.
inline constexpr std::size_t kPersonTextCount = 11;
inline constexpr std::array<const char*, kPersonTextCount> kPersonTextColumns = {
    "Tytul", "Imie", "Nazwisko", "Priorytet", "Indeks", "Adres1",
    "Adres2", "Telefon1", "Telefon2", "Usluga1", "Usluga2"};
using TPersonTexts = std::array<QString, kPersonTextCount>;

// A text as the record commands store it: without surrounding blanks (a typed
// " Kowalski" would sort and be found apart), and the single blank a cleared
// field holds for none.
inline QString storedPersonText(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? QStringLiteral(" ") : trimmed;
}
inline TPersonTexts storedPersonTexts(TPersonTexts texts) {
    for (QString& text : texts)
        text = storedPersonText(text);
    return texts;
}

} // namespace wendolarka
