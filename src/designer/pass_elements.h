#pragma once

#include <array>

namespace wendolarka {

// The frames, in the order the main window's panels and spins address them:
// the border first, then frames 1 to 5.
constexpr std::array<const char*, 6> kFrameElements = {"Rama0",  "Ramka1", "Ramka2",
                                                       "Ramka3", "Ramka4", "Ramka5"};

// The eleven text labels of a person, in the order of the element list.
constexpr std::array<const char*, 11> kTextElements = {
    "lblTytul", "lblImie",     "lblNazwisko", "lblPriorytet", "lblIndex",  "lblAdres1",
    "lblAdres2", "lblTelefon1", "lblTelefon2", "lblusluga1",   "lblUsluga2"};

// Element list entries: 0-10 text labels, 11-15 frames 1-5, 16 the border,
// 17 the window itself, 18 nothing.
constexpr int kFirstFrameEntry = 11;
constexpr int kBorderEntry = 16;
constexpr int kWindowEntry = 17;
constexpr int kEmptyEntry = 18;

struct VisibilityBinding {
    const char* element;
    const char* checkBox;
};

// Which check box of the "Elementy widoczne" page shows which element.
constexpr std::array<VisibilityBinding, 18> kVisibilityBindings = {{
    {"lblTytul", "CheckBoxTytul"},       {"lblImie", "CheckBoxImie"},
    {"lblNazwisko", "CheckBoxNazwisko"}, {"lblPriorytet", "CheckBoxPriorytet"},
    {"lblIndex", "CheckBoxIndex"},       {"Image11", "CheckBoxFoto"},
    {"lblAdres1", "CheckBoxAdres1"},     {"lblAdres2", "CheckBoxAdres2"},
    {"lblTelefon1", "CheckBoxTelefon1"}, {"lblTelefon2", "CheckBoxTelefon2"},
    {"lblusluga1", "CheckBoxUsluga1"},   {"lblUsluga2", "CheckBoxUsluga2"},
    {"Ramka1", "CheckBoxRamka1"},        {"Ramka2", "CheckBoxRamka2"},
    {"Ramka3", "CheckBoxRamka3"},        {"Ramka4", "CheckBoxRamka4"},
    {"Ramka5", "CheckBoxRamka5"},        {"Rama0", "CheckBoxObramowanie"},
}};

} // namespace wendolarka
