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

// The elements the user switches on and off, in the order the window reports them.
constexpr std::array<const char*, 18> kSwitchableElements = {
    "lblTytul",  "lblImie",   "lblNazwisko", "lblPriorytet", "lblIndex",   "Image11",
    "lblAdres1", "lblAdres2", "lblTelefon1", "lblTelefon2",  "lblusluga1", "lblUsluga2",
    "Ramka1",    "Ramka2",    "Ramka3",      "Ramka4",       "Ramka5",     "Rama0"};

} // namespace wendolarka
