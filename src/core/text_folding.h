#pragma once

#include <QString>

namespace wendolarka {

// A text as people compare names: without diacritics, in one letter case, with
// the letters that carry their mark inside the glyph (ł, ø, æ, ß, …) written
// plainly, so "Łukasz Żółw", "LUKASZ ZOLW" and "łukasz żółw" fold alike.
// Nothing else is changed: separators and digits stay.
QString foldedText(const QString& text);

} // namespace wendolarka
