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

} // namespace wendolarka
