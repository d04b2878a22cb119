#pragma once

#include <QByteArray>
#include <QList>
#include <QRawFont>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace wendolarka {

// A face as a document embeds it: its file and the measures a PDF reader
// needs, taken from a face Qt loaded (which lives on the thread that loaded it).
struct TFontFace {
    QByteArray sfnt;
    int unitsPerEm = 1000;
    double ascent = 0, descent = 0, capHeight = 0; // font units
    bool italic = false;
    QString name;
};
// The face of a font as a key, kept for the whole program the first time a
// face is seen (from any thread); an empty key when it cannot be embedded.
QString documentFaceKey(const QRawFont& font);
// The face of a key documentFaceKey gave.
const TFontFace* documentFace(const QString& key);

// The fonts of a PDF: each face used is embedded once, cut to the glyphs the
// document shows (glyph numbers kept, so text written as it goes stays right),
// with its widths and a map back to the characters, so the text can be found
// and copied. Glyphs are written as two-byte glyph numbers.
class TPdfFonts {
public:
    // Gives object numbers for the fonts; objects go out through `write`
    // (the dictionary, and a stream's bytes after it when not empty).
    using NewObject = std::function<int()>;
    using WriteObject = std::function<void(int object, const QByteArray& dictionary, const QByteArray& stream)>;
    explicit TPdfFonts(NewObject newObject);
    ~TPdfFonts();

    // The resource name of the face (e.g. "F1") and its object, which is
    // written at the end; the glyphs are noted as used, `text` as what they
    // show when it has one character a glyph.
    struct Use {
        QByteArray name;
        int object = 0;
    };
    Use use(const QString& faceKey, const QList<quint32>& glyphs, const QList<double>& widths, const QString& text);

    // Every font used, subset; call once, at the end of the document.
    void writeAll(const WriteObject& write);

private:
    struct Face;

    NewObject m_newObject;
    std::map<QString, std::unique_ptr<Face>> m_faces;
};

// The glyphs of a font file cut to `glyphs` (glyph numbers kept); the whole
// file when it cannot be cut. `sfnt` is a TrueType or OpenType file.
QByteArray subsetFont(const QByteArray& sfnt, const std::set<quint32>& glyphs);

} // namespace wendolarka
