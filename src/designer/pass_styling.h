#pragma once

#include "core/color.h"
#include "core/font.h"

#include <QString>

#include <optional>

namespace wendolarka {

class IPassWindowHost;
class TPassDesign;

// What the main window's designer pages do to the pass window's elements. An
// element that the window does not have is left alone.

// Shows or hides the element of that name.
void setElementVisible(TPassDesign& form, const QString& elementName, bool visible);

// Applies the sample font and colour to an entry of the element list: text labels
// take both, frames and the border take the colour (and their colour panel
// shows it), the window takes the colour as its background; "# Pusty #" nothing.
void applySampleToEntry(TPassDesign& form, IPassWindowHost& host, int entry, const TFont& sampleFont,
                        TColor sampleColor);

// "Dopasuj tekst" of an entry of the element list: nullopt when the entry is
// no text label; setting it on any other entry does nothing.
std::optional<bool> textFitting(const TPassDesign& form, int entry);
void setTextFitting(TPassDesign& form, int entry, bool fit);

// Frame 0 is the border, 1-5 the frames; any value, negative ones too, is passed on.
void setFrameWidth(TPassDesign& form, int frame, int width);

} // namespace wendolarka
