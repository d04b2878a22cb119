#include "pdf_fonts.h"

#include <QMutex>
#include <QtEndian>

#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace wendolarka {
namespace {

// The tables a PDF reader draws glyphs from; layout tables are not needed, as
// the glyphs come placed.
constexpr const char* kTables[] = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea",
                                   "hmtx", "loca", "maxp", "name", "post", "prep", "CFF "};

QByteArray hex4(quint32 value) { return QByteArray::number(value, 16).rightJustified(4, '0').toUpper(); }

QByteArray utf16Hex(const QString& text) {
    QByteArray out;
    for (const QChar c : text)
        out += hex4(c.unicode());
    return out;
}

QByteArray number(double value) {
    QByteArray text = QByteArray::number(value, 'f', 3);
    while (text.contains('.') && (text.endsWith('0') || text.endsWith('.')))
        text.chop(1);
    return text.isEmpty() || text == "-" ? QByteArray("0") : text;
}

struct HbBlob {
    hb_blob_t* blob;
    ~HbBlob() { hb_blob_destroy(blob); }
};
struct HbFace {
    hb_face_t* face;
    ~HbFace() { hb_face_destroy(face); }
};
struct HbInput {
    hb_subset_input_t* input;
    ~HbInput() { hb_subset_input_destroy(input); }
};

// Where the sfnt's "head" table begins, or -1.
qsizetype headTableAt(const QByteArray& sfnt) {
    if (sfnt.size() < 12)
        return -1;
    const int count = qFromBigEndian<quint16>(sfnt.constData() + 4);
    for (int i = 0; i < count && 12 + 16 * (i + 1) <= sfnt.size(); ++i) {
        const char* entry = sfnt.constData() + 12 + 16 * i;
        if (std::memcmp(entry, "head", 4) == 0) {
            const quint32 at = qFromBigEndian<quint32>(entry + 8);
            return at + 54 <= static_cast<quint64>(sfnt.size()) ? static_cast<qsizetype>(at) : -1;
        }
    }
    return -1;
}

} // namespace

// A font file put together from the tables of a face Qt has loaded.
QByteArray sfntOf(const QRawFont& font) {
    std::vector<std::pair<QByteArray, QByteArray>> tables;
    for (const char* tag : kTables) {
        const QByteArray data = font.fontTable(tag);
        if (!data.isEmpty())
            tables.emplace_back(QByteArray(tag), data);
    }
    const bool cff = std::any_of(tables.begin(), tables.end(), [](const auto& t) { return t.first == "CFF "; });
    const quint16 count = static_cast<quint16>(tables.size());
    quint16 power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    QByteArray out(12 + 16 * count, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    qToBigEndian<quint32>(cff ? 0x4F54544F : 0x00010000, p);
    qToBigEndian<quint16>(count, p + 4);
    qToBigEndian<quint16>(static_cast<quint16>(power * 16), p + 6);
    qToBigEndian<quint16>(log, p + 8);
    qToBigEndian<quint16>(static_cast<quint16>(count * 16 - power * 16), p + 10);
    for (quint16 i = 0; i < count; ++i) {
        QByteArray data = tables[i].second;
        quint32 sum = 0;
        QByteArray padded = data;
        padded.append((4 - padded.size() % 4) % 4, '\0');
        for (qsizetype k = 0; k < padded.size(); k += 4)
            sum += qFromBigEndian<quint32>(padded.constData() + k);
        uchar* entry = reinterpret_cast<uchar*>(out.data()) + 12 + 16 * i;
        std::copy(tables[i].first.begin(), tables[i].first.end(), entry);
        qToBigEndian<quint32>(sum, entry + 4);
        qToBigEndian<quint32>(static_cast<quint32>(out.size()), entry + 8);
        qToBigEndian<quint32>(static_cast<quint32>(data.size()), entry + 12);
        out += padded;
    }
    return out;
}

namespace {

struct FaceRegistry {
    QMutex mutex;
    std::map<QString, std::unique_ptr<const TFontFace>> faces;
    std::set<QString> refused;
};
FaceRegistry& registry() {
    static FaceRegistry faces;
    return faces;
}

} // namespace

QString documentFaceKey(const QRawFont& font) {
    const QString key = font.familyName() + u'/' + font.styleName() + u'/' + QString::number(font.weight()) + u'/' +
                        QString::number(int(font.style()));
    FaceRegistry& faces = registry();
    QMutexLocker lock(&faces.mutex);
    if (faces.faces.count(key))
        return key;
    if (faces.refused.count(key))
        return {};
    auto face = std::make_unique<TFontFace>();
    face->sfnt = sfntOf(font);
    QRawFont measured = font;
    measured.setPixelSize(font.unitsPerEm());
    face->unitsPerEm = static_cast<int>(font.unitsPerEm());
    face->ascent = measured.ascent();
    face->descent = measured.descent();
    face->capHeight = measured.capHeight();
    face->italic = font.style() != QFont::StyleNormal;
    face->name = font.familyName() + font.styleName();
    if (font.fontTable("head").size() < 54 || font.fontTable("hmtx").isEmpty() ||
        (font.fontTable("glyf").isEmpty() && font.fontTable("CFF ").isEmpty())) {
        faces.refused.insert(key);
        return {};
    }
    faces.faces[key] = std::move(face);
    return key;
}

const TFontFace* documentFace(const QString& key) {
    FaceRegistry& faces = registry();
    QMutexLocker lock(&faces.mutex);
    const auto found = faces.faces.find(key);
    return found == faces.faces.end() ? nullptr : found->second.get();
}

QByteArray subsetFont(const QByteArray& sfnt, const std::set<quint32>& glyphs) {
    const HbBlob blob{hb_blob_create(sfnt.constData(), static_cast<unsigned>(sfnt.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr)};
    const HbFace face{hb_face_create(blob.blob, 0)};
    const HbInput input{hb_subset_input_create_or_fail()};
    if (!input.input)
        return sfnt;
    hb_set_t* set = hb_subset_input_glyph_set(input.input);
    hb_set_add(set, 0); // the missing glyph a reader may ask for
    for (const quint32 glyph : glyphs)
        hb_set_add(set, glyph);
    hb_subset_input_set_flags(input.input, HB_SUBSET_FLAGS_RETAIN_GIDS);
    const HbFace cut{hb_subset_or_fail(face.face, input.input)};
    if (!cut.face)
        return sfnt;
    const HbBlob result{hb_face_reference_blob(cut.face)};
    unsigned length = 0;
    const char* data = hb_blob_get_data(result.blob, &length);
    if (!data || length == 0)
        return sfnt;
    return QByteArray(data, static_cast<qsizetype>(length));
}

struct TPdfFonts::Face {
    const TFontFace* face = nullptr;
    int object = 0;
    QByteArray name;
    std::map<quint32, double> widths; // the glyphs used, thousandths of the size
    std::map<quint32, QString> characters;
};

TPdfFonts::TPdfFonts(NewObject newObject) : m_newObject(std::move(newObject)) {}
TPdfFonts::~TPdfFonts() = default;

TPdfFonts::Use TPdfFonts::use(const QString& faceKey, const QList<quint32>& glyphs, const QList<double>& widths,
                              const QString& text) {
    std::unique_ptr<Face>& face = m_faces[faceKey];
    if (!face) {
        face = std::make_unique<Face>();
        face->face = documentFace(faceKey);
        face->object = m_newObject();
        face->name = "F" + QByteArray::number(static_cast<qsizetype>(m_faces.size()));
    }
    const bool oneEach = glyphs.size() == text.size();
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        face->widths[glyphs[i]] = i < widths.size() ? widths[i] : 0;
        if (oneEach && !face->characters.count(glyphs[i]))
            face->characters[glyphs[i]] = text.mid(i, 1);
    }
    return {face->name, face->object};
}

void TPdfFonts::writeAll(const WriteObject& write) {
    int serial = 0;
    for (auto& [key, used] : m_faces) {
        (void)key;
        const TFontFace* face = used->face;
        if (!face)
            continue; // keys come from documentFaceKey: never so
        const double perUnit = 1000.0 / face->unitsPerEm;
        std::set<quint32> glyphs;
        for (const auto& [glyph, width] : used->widths)
            glyphs.insert(glyph);
        const QByteArray file = subsetFont(face->sfnt, glyphs);
        const bool cff = qFromBigEndian<quint32>(face->sfnt.constData()) == 0x4F54544F;

        // A subset's name: six capitals of its own, then the face's name without blanks.
        QByteArray tag;
        for (int k = 0, v = ++serial; k < 6; ++k, v /= 26)
            tag += char('A' + v % 26);
        QByteArray base = face->name.toLatin1();
        base.replace(' ', "");
        base = tag + "+" + (base.isEmpty() ? QByteArray("Font") : base);

        double box[4] = {0, -200, 1000, 900};
        if (const qsizetype head = headTableAt(face->sfnt); head >= 0)
            for (int k = 0; k < 4; ++k)
                box[k] = qFromBigEndian<qint16>(face->sfnt.constData() + head + 36 + 2 * k) * perUnit;
        const bool italic = face->italic;

        const int fontFile = m_newObject(), descriptor = m_newObject(), descendant = m_newObject(),
                  toUnicode = m_newObject();
        write(fontFile,
              cff ? QByteArray("<< /Subtype /OpenType /Length ") + QByteArray::number(file.size()) + " >>"
                  : QByteArray("<< /Length ") + QByteArray::number(file.size()) + " /Length1 " +
                        QByteArray::number(file.size()) + " >>",
              file);
        write(descriptor,
              "<< /Type /FontDescriptor /FontName /" + base + " /Flags " + QByteArray::number(italic ? 96 : 32) +
                  " /FontBBox [" + number(box[0]) + " " + number(box[1]) + " " + number(box[2]) + " " + number(box[3]) +
                  "] /ItalicAngle " + QByteArray(italic ? "-12" : "0") + " /Ascent " +
                  number(face->ascent * perUnit) + " /Descent " + number(-face->descent * perUnit) +
                  " /CapHeight " + number(face->capHeight * perUnit) + " /StemV 80 " +
                  (cff ? "/FontFile3 " : "/FontFile2 ") + QByteArray::number(fontFile) + " 0 R >>",
              {});
        QByteArray widths;
        for (const auto& [glyph, width] : used->widths)
            widths += QByteArray::number(glyph) + " [" + number(width) + "] ";
        write(descendant,
              "<< /Type /Font /Subtype " + QByteArray(cff ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont /" + base +
                  " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
                  QByteArray::number(descriptor) + " 0 R /W [" + widths + "]" +
                  (cff ? QByteArray() : QByteArray(" /CIDToGIDMap /Identity")) + " >>",
              {});
        QByteArray map = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                         "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                         "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                         "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
        std::vector<std::pair<quint32, QString>> pairs(used->characters.begin(), used->characters.end());
        for (std::size_t at = 0; at < pairs.size(); at += 100) {
            const std::size_t end = std::min(pairs.size(), at + 100);
            map += QByteArray::number(static_cast<qsizetype>(end - at)) + " beginbfchar\n";
            for (std::size_t k = at; k < end; ++k)
                map += "<" + hex4(pairs[k].first) + "> <" + utf16Hex(pairs[k].second) + ">\n";
            map += "endbfchar\n";
        }
        map += "endcmap CMapName currentdict /CMap defineresource pop end end\n";
        write(toUnicode, "<< /Length " + QByteArray::number(map.size()) + " >>", map);
        write(used->object,
              "<< /Type /Font /Subtype /Type0 /BaseFont /" + base + " /Encoding /Identity-H /DescendantFonts [" +
                  QByteArray::number(descendant) + " 0 R] /ToUnicode " + QByteArray::number(toUnicode) + " 0 R >>",
              {});
    }
}

} // namespace wendolarka
