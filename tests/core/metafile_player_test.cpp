#include "core/picture.h"
#include "core/metafile_player.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QtEndian>

#include <initializer_list>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

class Writer {
public:
    Writer& u16(quint16 v) { return put(v); }
    Writer& u32(quint32 v) { return put(v); }
    Writer& i32(qint32 v) { return put(static_cast<quint32>(v)); }
    Writer& bytes(const QByteArray& b) {
        m_data.append(b);
        return *this;
    }
    // UTF-16, padded with zeros to `units`.
    Writer& utf16(const QString& text, int units) {
        for (int i = 0; i < units; ++i)
            u16(i < text.size() ? text[i].unicode() : 0);
        return *this;
    }
    const QByteArray& data() const { return m_data; }

private:
    template <typename T>
    Writer& put(T v) {
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        m_data.append(b, sizeof(T));
        return *this;
    }
    QByteArray m_data;
};

constexpr quint32 kRed = 0x0000FF, kBlue = 0xFF0000, kBlack = 0;
const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);

qint32 stock(quint32 index) { return static_cast<qint32>(0x80000000u | index); }
enum Stock { WHITE_BRUSH = 0, GRAY_BRUSH = 2, BLACK_BRUSH = 4, NULL_BRUSH = 5, BLACK_PEN = 7, NULL_PEN = 8 };

// An enhanced metafile written record by record; its frame covers width x height
// pixels of a reference device with one pixel per millimetre.
class Emf {
public:
    Emf(int width, int height) : m_width(width), m_height(height) {}

    Emf& raw(quint32 type, const QByteArray& payload) {
        m_records.append(Writer().u32(type).u32(static_cast<quint32>(8 + payload.size())).bytes(payload).data());
        m_ends.insert(88 + m_records.size());
        return *this;
    }
    Emf& record(quint32 type, std::initializer_list<qint32> params) {
        Writer w;
        for (qint32 p : params)
            w.i32(p);
        return raw(type, w.data());
    }
    // Bytes as they are, whole records or not.
    Emf& junk(const QByteArray& bytes) {
        m_records.append(bytes);
        return *this;
    }
    Emf& select(qint32 handle) { return record(37, {handle}); }
    Emf& solidBrush(qint32 handle, quint32 color) { return record(39, {handle, 0, static_cast<qint32>(color), 0}); }
    Emf& pen(qint32 handle, qint32 width, quint32 color) {
        return record(38, {handle, 0, width, 0, static_cast<qint32>(color)});
    }
    Emf& rectangle(int left, int top, int right, int bottom) { return record(43, {left, top, right, bottom}); }
    Emf& polygon16(std::initializer_list<QPoint> points) {
        Writer w;
        w.i32(0).i32(0).i32(0).i32(0).u32(static_cast<quint32>(points.size()));
        for (QPoint p : points)
            w.u16(static_cast<quint16>(p.x())).u16(static_cast<quint16>(p.y()));
        return raw(86, w.data());
    }
    Emf& font(qint32 handle, qint32 height, const QString& face) {
        Writer w;
        w.i32(handle).i32(height).i32(0).i32(0).i32(0).i32(700).u32(0).u32(0).utf16(face, 32);
        return raw(82, w.data());
    }
    Emf& textOut(int x, int y, const QString& text, int advance) {
        const int n = static_cast<int>(text.size());
        const int stringAt = 76, padded = (2 * n + 3) / 4 * 4;
        Writer w;
        w.i32(0).i32(0).i32(-1).i32(-1).u32(1).u32(0).u32(0);
        w.i32(x).i32(y).u32(static_cast<quint32>(n)).u32(stringAt).u32(0).i32(0).i32(0).i32(-1).i32(-1);
        w.u32(static_cast<quint32>(stringAt + padded)).utf16(text, padded / 2);
        for (int i = 0; i < n; ++i)
            w.i32(advance);
        return raw(84, w.data());
    }
    // A 24-bit bitmap given top row first, stored in either row order, drawn `scale` times as large.
    Emf& stretchDib24(int x, int y, int scale, const std::vector<std::vector<QRgb>>& rows, bool topDown) {
        const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
        const int stride = (w * 3 + 3) / 4 * 4;
        QByteArray bits;
        for (int i = 0; i < h; ++i) {
            for (QRgb c : rows[static_cast<std::size_t>(topDown ? i : h - 1 - i)]) {
                bits.append(static_cast<char>(qBlue(c)));
                bits.append(static_cast<char>(qGreen(c)));
                bits.append(static_cast<char>(qRed(c)));
            }
            bits.append(QByteArray(stride - w * 3, '\0'));
        }
        const auto size = static_cast<quint32>(bits.size());
        Writer r;
        r.i32(0).i32(0).i32(-1).i32(-1).i32(x).i32(y).i32(0).i32(0).i32(w).i32(h);
        r.u32(80).u32(40).u32(120).u32(size).u32(0).u32(0x00CC0020).i32(w * scale).i32(h * scale);
        r.u32(40).i32(w).i32(topDown ? -h : h).u16(1).u16(24).u32(0).u32(size).i32(0).i32(0).u32(0).u32(0);
        return raw(81, r.bytes(bits).data());
    }

    QByteArray bytes() const {
        const QByteArray body = m_records + Writer().u32(14).u32(20).u32(0).u32(16).u32(20).data();
        Writer header;
        header.u32(1).u32(88).i32(0).i32(0).i32(m_width - 1).i32(m_height - 1);
        header.i32(0).i32(0).i32(m_width * 100).i32(m_height * 100); // hundredths of a millimetre
        header.u32(0x464D4520).u32(0x10000).u32(static_cast<quint32>(88 + body.size())).u32(0).u16(8).u16(0);
        header.u32(0).u32(0).u32(0).i32(1000).i32(1000).i32(1000).i32(1000);
        return header.data() + body;
    }
    // Where a cut leaves only whole records.
    std::set<qsizetype> wholeCuts() const {
        std::set<qsizetype> cuts = m_ends;
        cuts.insert(88);
        cuts.insert(bytes().size());
        return cuts;
    }

private:
    int m_width, m_height;
    QByteArray m_records;
    std::set<qsizetype> m_ends;
};

// A placeable metafile: a bounding box of width x height units at 1440 units per inch.
class Wmf {
public:
    Wmf(int width, int height) : m_width(width), m_height(height) {}

    Wmf& record(quint16 function, std::initializer_list<int> params) {
        Writer w;
        w.u32(static_cast<quint32>(3 + params.size())).u16(function);
        for (int p : params)
            w.u16(static_cast<quint16>(p));
        m_records.append(w.data());
        m_ends.insert(40 + m_records.size());
        return *this;
    }
    Wmf& junk(const QByteArray& bytes) {
        m_records.append(bytes);
        return *this;
    }
    Wmf& solidBrush(quint32 color) { return record(0x02FC, {0, int(color & 0xFFFF), int(color >> 16), 0}); }
    Wmf& nullPen() { return record(0x02FA, {5, 0, 0, 0, 0}); }
    Wmf& select(int slot) { return record(0x012D, {slot}); }
    Wmf& rectangle(int left, int top, int right, int bottom) { return record(0x041B, {bottom, right, top, left}); }

    QByteArray bytes() const {
        const QByteArray body = m_records + Writer().u32(3).u16(0).data();
        Writer placeable;
        placeable.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(static_cast<quint16>(m_width));
        placeable.u16(static_cast<quint16>(m_height)).u16(1440).u32(0);
        quint16 sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= qFromLittleEndian<quint16>(placeable.data().constData() + 2 * i);
        placeable.u16(sum);
        Writer header;
        header.u16(1).u16(9).u16(0x300).u32(static_cast<quint32>(9 + body.size() / 2)).u16(4).u32(16).u16(0);
        return placeable.data() + header.data() + body;
    }
    std::set<qsizetype> wholeCuts() const {
        std::set<qsizetype> cuts = m_ends;
        cuts.insert(40);
        cuts.insert(bytes().size());
        return cuts;
    }

private:
    int m_width, m_height;
    QByteArray m_records;
    std::set<qsizetype> m_ends;
};

QImage playInto(const QByteArray& data, QSize size, bool* played) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    *played = playMetafile(painter, data, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

bool transparentAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)) == 0; }

int inkIn(const QImage& image, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return ink;
}

} // namespace

TEST(MetafilePlayer, RectanglesLandOnTheirPixelsAtNaturalAndDoubleSize) {
    Emf emf(40, 30);
    emf.select(stock(NULL_PEN)).solidBrush(1, kRed).select(1).rectangle(10, 10, 30, 20);
    emf.select(stock(BLACK_PEN)).select(stock(WHITE_BRUSH)).rectangle(2, 2, 8, 8);

    const QImage natural = renderMetafile(emf.bytes(), QSize(40, 30));
    ASSERT_EQ(natural.size(), QSize(40, 30));
    EXPECT_EQ(natural.pixel(10, 10), red);
    EXPECT_EQ(natural.pixel(29, 19), red);
    EXPECT_TRUE(transparentAt(natural, 9, 15));
    EXPECT_TRUE(transparentAt(natural, 30, 15)); // right and bottom edges stay out
    EXPECT_TRUE(transparentAt(natural, 15, 20));
    // The outline lies inside the same edges, filled by the brush within.
    EXPECT_EQ(natural.pixel(2, 2), black);
    EXPECT_EQ(natural.pixel(7, 7), black);
    EXPECT_EQ(natural.pixel(5, 5), white);
    EXPECT_TRUE(transparentAt(natural, 8, 5));
    EXPECT_TRUE(transparentAt(natural, 5, 8));

    const QImage doubled = renderMetafile(emf.bytes(), QSize(80, 60));
    ASSERT_EQ(doubled.size(), QSize(80, 60));
    EXPECT_EQ(doubled.pixel(20, 20), red);
    EXPECT_EQ(doubled.pixel(59, 39), red);
    EXPECT_TRUE(transparentAt(doubled, 19, 30));
    EXPECT_TRUE(transparentAt(doubled, 60, 30));
    EXPECT_TRUE(transparentAt(doubled, 40, 40));
    EXPECT_EQ(doubled.pixel(4, 4), black);
    EXPECT_EQ(doubled.pixel(15, 15), black);
    EXPECT_EQ(doubled.pixel(10, 10), white);
    EXPECT_TRUE(transparentAt(doubled, 16, 10));
}

TEST(MetafilePlayer, PenLinesAndPolygons) {
    Emf emf(40, 30);
    emf.pen(1, 0, kBlue).select(1).record(27, {5, 5}).record(54, {25, 5}); // MoveToEx, LineTo
    emf.select(stock(NULL_PEN)).solidBrush(2, kRed).select(2).polygon16({{10, 10}, {30, 10}, {10, 28}});
    const QImage image = renderMetafile(emf.bytes(), QSize(40, 30));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(6, 5), blue);
    EXPECT_EQ(image.pixel(15, 5), blue);
    EXPECT_EQ(image.pixel(23, 5), blue);
    EXPECT_TRUE(transparentAt(image, 15, 4));
    EXPECT_TRUE(transparentAt(image, 15, 6));
    EXPECT_EQ(image.pixel(12, 12), red);
    EXPECT_EQ(image.pixel(20, 11), red);
    EXPECT_EQ(image.pixel(11, 25), red);
    EXPECT_TRUE(transparentAt(image, 27, 25)); // beyond the slanted side
}

TEST(MetafilePlayer, StretchedBitmapsKeepTheirRowOrder) {
    const std::vector<std::vector<QRgb>> rows = {{red, qRgb(0, 255, 0), blue}, {white, black, qRgb(255, 255, 0)}};
    for (bool topDown : {false, true}) {
        Emf emf(20, 16);
        emf.stretchDib24(4, 4, 4, rows, topDown);
        const QImage image = renderMetafile(emf.bytes(), QSize(20, 16));
        ASSERT_FALSE(image.isNull());
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 3; ++column)
                EXPECT_EQ(image.pixel(6 + 4 * column, 6 + 4 * row), rows[std::size_t(row)][std::size_t(column)])
                    << (topDown ? "top-down" : "bottom-up") << " row " << row << " column " << column;
        EXPECT_TRUE(transparentAt(image, 3, 3));
        EXPECT_TRUE(transparentAt(image, 16, 12));
    }
}

TEST(MetafilePlayer, StockObjectsAndSavedStates) {
    Emf emf(60, 20);
    emf.select(stock(NULL_PEN)).select(stock(BLACK_BRUSH)).rectangle(0, 0, 10, 10);
    emf.select(stock(GRAY_BRUSH)).rectangle(10, 0, 20, 10);
    emf.select(stock(NULL_BRUSH)).select(stock(BLACK_PEN)).rectangle(20, 0, 30, 10);
    emf.select(stock(NULL_PEN)).solidBrush(1, kRed).select(1).record(33, {}); // SaveDC
    emf.solidBrush(2, kBlue).select(2).rectangle(30, 0, 40, 10);
    emf.record(34, {-1}).rectangle(40, 0, 50, 10); // RestoreDC: the red brush again
    emf.record(40, {1}).rectangle(50, 0, 60, 10);  // deleting it leaves the selection alone
    const QImage image = renderMetafile(emf.bytes(), QSize(60, 20));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(5, 5), black);
    EXPECT_EQ(image.pixel(15, 5), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixel(20, 5), black);
    EXPECT_TRUE(transparentAt(image, 25, 5));
    EXPECT_EQ(image.pixel(35, 5), blue);
    EXPECT_EQ(image.pixel(45, 5), red);
    EXPECT_EQ(image.pixel(55, 5), red);
    EXPECT_TRUE(transparentAt(image, 5, 15));
}

TEST(MetafilePlayer, PlaceableFileMapsItsWindowAndReusesTheLowestFreeSlot) {
    Wmf wmf(1440, 720); // 1 x 0.5 inch
    wmf.record(0x0103, {8});                                   // SetMapMode anisotropic
    wmf.record(0x020B, {100, 100}).record(0x020C, {100, 200}); // window origin, extent (y first)
    wmf.solidBrush(kRed).nullPen().record(0x01F0, {0});        // slots 0 and 1, then slot 0 freed
    wmf.solidBrush(kBlue).select(1).select(0);                 // the blue brush went to slot 0
    wmf.rectangle(140, 120, 180, 160);
    bool played = false;
    const QImage image = playInto(wmf.bytes(), QSize(100, 50), &played);
    EXPECT_TRUE(played);
    // The window's 200 x 100 units fill the 100 x 50 target.
    EXPECT_EQ(image.pixel(25, 15), blue);
    EXPECT_EQ(image.pixel(21, 11), blue);
    EXPECT_EQ(image.pixel(39, 29), blue);
    EXPECT_TRUE(transparentAt(image, 18, 15));
    EXPECT_TRUE(transparentAt(image, 42, 15));
    EXPECT_TRUE(transparentAt(image, 25, 8));
    EXPECT_TRUE(transparentAt(image, 25, 32));
}

TEST(MetafilePlayer, MapModesPlaceLogicalUnits) {
    Emf emf(40, 30);
    emf.select(stock(NULL_PEN)).select(stock(BLACK_BRUSH));
    emf.record(17, {8}).record(9, {400, 300}).record(11, {40, 30}).record(10, {100, 100}); // a tenth, from (100, 100)
    emf.rectangle(200, 200, 300, 250);
    // Tenths of a millimetre with y upwards, from the bottom left corner.
    emf.record(17, {2}).record(10, {0, 0}).record(12, {0, 30}).solidBrush(1, kRed).select(1);
    emf.rectangle(300, 100, 400, 50);
    const QImage image = renderMetafile(emf.bytes(), QSize(40, 30));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(10, 10), black);
    EXPECT_EQ(image.pixel(19, 14), black);
    EXPECT_TRUE(transparentAt(image, 20, 12));
    EXPECT_TRUE(transparentAt(image, 12, 15));
    EXPECT_EQ(image.pixel(31, 21), red);
    EXPECT_EQ(image.pixel(38, 24), red);
    EXPECT_TRUE(transparentAt(image, 35, 18));
    EXPECT_TRUE(transparentAt(image, 35, 26));
}

TEST(MetafilePlayer, ClippingAndPaths) {
    Emf emf(40, 30);
    emf.select(stock(NULL_PEN)).solidBrush(1, kBlue).select(1).record(33, {});
    emf.record(30, {5, 5, 15, 15}).record(29, {8, 8, 10, 10}).rectangle(0, 0, 40, 30); // intersect, exclude
    emf.record(34, {-1}).record(30, {20, 0, 22, 2}).record(75, {0, 5}); // restored, then reset by a null region
    emf.solidBrush(2, kRed).select(2).rectangle(20, 0, 40, 10);
    // A path's lines draw nothing until the path is filled.
    emf.pen(3, 0, 0x00FF00).select(3).record(59, {}).record(27, {5, 15}).record(54, {35, 15}).record(54, {35, 29});
    emf.record(61, {}).record(60, {}).record(62, {0, 0, 40, 30});
    const QImage image = renderMetafile(emf.bytes(), QSize(40, 30));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(6, 6), blue);
    EXPECT_EQ(image.pixel(14, 14), blue);
    EXPECT_TRUE(transparentAt(image, 9, 9));  // excluded
    EXPECT_TRUE(transparentAt(image, 4, 4));  // outside the intersection
    EXPECT_TRUE(transparentAt(image, 16, 6)); // and to its right
    EXPECT_EQ(image.pixel(30, 5), red);       // no clipping after the reset
    EXPECT_EQ(image.pixel(33, 17), red);      // the path filled with the brush
    EXPECT_EQ(image.pixel(34, 27), red);
    EXPECT_TRUE(transparentAt(image, 35, 20)); // no pen: the fill leaves the right edge out
    EXPECT_TRUE(transparentAt(image, 10, 25));
}

TEST(MetafilePlayer, ExtTextOutDrawsInItsBox) {
    Emf emf(100, 40);
    emf.record(18, {1}).record(24, {static_cast<qint32>(kBlack)}); // transparent background, black text
    emf.font(1, -20, QStringLiteral("Arial")).select(1).textOut(10, 8, QStringLiteral("HHH"), 14);
    const QImage image = renderMetafile(emf.bytes(), QSize(100, 40));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(inkIn(image, QRect(10, 8, 50, 26)), 30);
    EXPECT_EQ(inkIn(image, QRect(0, 0, 100, 8)), 0); // the reference point is the top
    EXPECT_EQ(inkIn(image, QRect(0, 0, 9, 40)), 0);  // and the left
}

TEST(MetafilePlayer, BadRecordsStopAndUnknownOnesAreSkipped) {
    const auto withRecord = [](const QByteArray& record) {
        Emf emf(40, 30);
        emf.select(stock(NULL_PEN)).select(stock(BLACK_BRUSH)).rectangle(2, 2, 10, 10);
        return emf.junk(record).rectangle(20, 2, 28, 10).bytes();
    };
    bool played = false;
    const QByteArray unknown = Writer().u32(0x7F00).u32(20).i32(1).i32(2).i32(3).data();
    QImage image = playInto(withRecord(unknown), QSize(40, 30), &played);
    EXPECT_TRUE(played);
    EXPECT_EQ(image.pixel(24, 5), black); // drawn after the unknown record

    const QByteArray bad[] = {
        Writer().u32(43).u32(0).data(),                                   // size 0
        Writer().u32(43).u32(0x10000).i32(0).i32(0).i32(9).i32(9).data(), // beyond the end
        Writer().u32(43).u32(16).i32(0).i32(0).data(),                    // shorter than a rectangle
        Writer().u32(86).u32(32).i32(0).i32(0).i32(0).i32(0).u32(0x7FFFFFFF).i32(0).data(), // points it cannot hold
    };
    for (const QByteArray& record : bad) {
        image = playInto(withRecord(record), QSize(40, 30), &played);
        EXPECT_FALSE(played) << record.toHex().constData();
        EXPECT_EQ(image.pixel(5, 5), black) << record.toHex().constData(); // what was drawn stays
        EXPECT_TRUE(transparentAt(image, 24, 5)) << record.toHex().constData();
    }

    for (quint32 words : {0u, 2u, 5u}) { // the last one: a rectangle without its corners
        Wmf wmf(1440, 720);
        wmf.nullPen().select(0).record(0x0626, {15, 0}).rectangle(0, 0, 300, 300); // an escape is skipped
        wmf.junk(Writer().u32(words).u16(0x041B).u32(0).data()).rectangle(600, 0, 900, 300);
        image = playInto(wmf.bytes(), QSize(100, 50), &played);
        EXPECT_FALSE(played) << words;
        EXPECT_EQ(image.pixel(10, 10), white) << words;
        EXPECT_TRUE(transparentAt(image, 50, 10)) << words;
    }

    EXPECT_FALSE(playInto("not a metafile", QSize(4, 4), &played).isNull());
    EXPECT_FALSE(played);
    EXPECT_TRUE(renderMetafile("not a metafile", QSize(4, 4)).isNull());
    for (const char* name : {"small.emf", "small.wmf"}) {
        QFile file(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        playInto(file.readAll(), QSize(37, 18), &played);
        EXPECT_TRUE(played) << name;
    }
}

TEST(MetafilePlayer, CutAndDamagedFilesFailCleanly) {
    Emf emf(40, 30);
    emf.select(stock(NULL_PEN)).solidBrush(1, kRed).select(1).rectangle(2, 2, 20, 20);
    emf.polygon16({{1, 1}, {30, 4}, {8, 25}}).stretchDib24(20, 10, 2, {{red, blue}, {white, black}}, false);
    emf.font(2, -12, QStringLiteral("Arial")).select(2).textOut(2, 20, QStringLiteral("Ab"), 7);
    Wmf wmf(1440, 720);
    wmf.record(0x0103, {8}).record(0x020C, {100, 200}).solidBrush(kBlue).select(0).rectangle(10, 10, 100, 50);
    wmf.record(0x0324, {3, 1, 1, 150, 20, 20, 90}).record(0x0521, {2, 'A' | ('b' << 8), 10, 10}); // polygon, text

    const std::pair<QByteArray, std::set<qsizetype>> files[] = {{emf.bytes(), emf.wholeCuts()},
                                                                {wmf.bytes(), wmf.wholeCuts()}};
    for (const auto& [data, whole] : files) {
        for (qsizetype cut = 0; cut <= data.size(); ++cut) {
            bool played = false;
            playInto(data.left(cut), QSize(40, 30), &played);
            EXPECT_EQ(played, whole.count(cut) == 1) << "cut at " << cut << " of " << data.size();
        }
        for (qsizetype at = 0; at < data.size(); ++at)
            for (int bit = 0; bit < 8; ++bit) {
                QByteArray flipped = data;
                flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
                const QImage image = renderMetafile(flipped, QSize(40, 30));
                EXPECT_TRUE(image.isNull() || image.size() == QSize(40, 30)) << at << ":" << bit;
            }
        std::mt19937 noise(7);
        for (int round = 0; round < 300; ++round) {
            QByteArray damaged = data;
            for (int n = 0; n < 4; ++n)
                damaged[static_cast<qsizetype>(noise() % std::size_t(data.size()))] = static_cast<char>(noise());
            const QImage image = renderMetafile(damaged, QSize(40, 30));
            EXPECT_TRUE(image.isNull() || image.size() == QSize(40, 30)) << "round " << round;
        }
    }
}

TEST(MetafilePlayer, AMetafilePictureShowsWhatItsRecordsDraw) {
    Emf emf(40, 30);
    emf.select(stock(NULL_PEN)).solidBrush(1, kRed).select(1).rectangle(10, 10, 30, 20);
    const TPicture picture = TPicture::FromStoredBytes(emf.bytes());
    ASSERT_EQ(picture.Graphic()->ClassName(), QStringLiteral("TMetafile"));
    const QImage shown = picture.image();
    ASSERT_EQ(shown.size(), QSize(picture.Width(), picture.Height()));
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), red);
    EXPECT_TRUE(transparentAt(shown, 1, 1));
}
