#pragma once

namespace wendolarka {

class TPassContextMenu;

// The picked element's own look, in the pass window's context menu: for a
// text its alignment across and down the box, a transparent background,
// "Dopasuj tekst" and its least size; for a picture fitting it to its box
// with its proportions kept.
void addElementStyleCommands(TPassContextMenu& menu);

} // namespace wendolarka
