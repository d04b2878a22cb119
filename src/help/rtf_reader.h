#pragma once

#include <QByteArray>

class QTextDocument;

namespace wendolarka {

// Reads rich text (RTF) into `document`, which is cleared first. The document is
// built through a QTextCursor only, never through HTML, so nothing the bytes say
// can make it load a file: pictures, objects and field instructions are dropped
// and a field shows its last result.
//
// Throws Exception when the bytes do not start with "{\rtf"; the document is left
// untouched then. Any later damage (braces out of balance, stray bytes) is
// tolerated and what was read up to it is kept. Returns false when the bytes end
// before the document does (groups still open, a binary run longer than what is
// left): a cut-off file, whose beginning is in the document all the same.
[[nodiscard]] bool readRtf(const QByteArray& data, QTextDocument& document);

} // namespace wendolarka
