#include "component_stream.h"

#include "cp1250.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace wendolarka::component_stream {
namespace {

[[noreturn]] void fail(const QString& what, qsizetype at) {
    throw EStreamError(QStringLiteral("Uszkodzony strumień komponentów (bajt %1): %2").arg(at).arg(what));
}

// A bounded view of the bytes: every read checks what is left first, so no
// length or count in the file can make it allocate or look beyond the end.
class Cursor {
public:
    Cursor(const QByteArray& bytes, qsizetype pos) : m_bytes(bytes), m_pos(pos) {}
    qsizetype pos() const { return m_pos; }
    qsizetype left() const { return m_bytes.size() - m_pos; }

    void need(qsizetype count) const {
        if (count < 0 || count > left())
            fail(QStringLiteral("dane kończą się przed czasem"), m_pos);
    }
    quint8 byte() {
        need(1);
        return static_cast<quint8>(m_bytes[m_pos++]);
    }
    quint8 peek() const {
        need(1);
        return static_cast<quint8>(m_bytes[m_pos]);
    }
    QByteArray take(qsizetype count) {
        need(count);
        QByteArray result = m_bytes.mid(m_pos, count);
        m_pos += count;
        return result;
    }
    template <typename T>
    T little() {
        need(sizeof(T));
        const T value = qFromLittleEndian<T>(reinterpret_cast<const uchar*>(m_bytes.constData()) + m_pos);
        m_pos += sizeof(T);
        return value;
    }
    QByteArray shortString() { return take(byte()); }
    // A 4-byte length, checked against what is left before anything is taken.
    qsizetype length(qsizetype unit = 1) {
        const quint32 count = little<quint32>();
        if (static_cast<quint64>(count) * static_cast<quint64>(unit) > static_cast<quint64>(left()))
            fail(QStringLiteral("długość %1 przekracza resztę pliku").arg(count), m_pos - 4);
        return static_cast<qsizetype>(count);
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos;
};

double fromExtended(const QByteArray& ten) {
    const auto* p = reinterpret_cast<const uchar*>(ten.constData());
    const quint64 mantissa = qFromLittleEndian<quint64>(p);
    const quint16 signExponent = qFromLittleEndian<quint16>(p + 8);
    const int exponent = signExponent & 0x7FFF;
    const double sign = (signExponent & 0x8000) ? -1.0 : 1.0;
    if (exponent == 0 && mantissa == 0)
        return 0.0 * sign;
    if (exponent == 0x7FFF)
        return mantissa << 1 ? std::nan("") : sign * HUGE_VAL;
    return sign * std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
}

class Reader {
public:
    Reader(const QByteArray& bytes, qsizetype pos, const TReadLimits& limits) : m_in(bytes, pos), m_limits(limits) {}

    TComponentRecord stream() {
        if (m_in.take(4) != "TPF0")
            fail(QStringLiteral("brak sygnatury TPF0"), m_in.pos() - 4);
        return component(0);
    }
    qsizetype pos() const { return m_in.pos(); }

private:
    TComponentRecord component(int depth) {
        TComponentRecord record;
        quint8 first = m_in.byte();
        if ((first & 0xF0) == 0xF0) {
            record.flags = first & 0x0F;
            if (record.flags & 2)
                record.childPosition = integerValue(value(0));
            first = m_in.byte();
        }
        record.className = QString::fromLatin1(m_in.take(first));
        record.name = cp1250::decode(m_in.shortString());
        if (record.className.isEmpty())
            fail(QStringLiteral("komponent bez nazwy klasy"), m_in.pos());
        record.properties = properties();
        for (quint8 next = peek(); next != 0; next = peek()) {
            if (depth >= m_limits.maxDepth)
                fail(QStringLiteral("komponent „%1” nie może mieć elementów").arg(record.name), m_in.pos());
            if (static_cast<int>(record.children.size()) >= m_limits.maxComponents)
                fail(QStringLiteral("więcej niż %1 elementów").arg(m_limits.maxComponents), m_in.pos());
            record.children.push_back(component(depth + 1));
        }
        m_in.byte(); // the children's closing zero
        return record;
    }

    quint8 peek() const { return m_in.peek(); }

    std::vector<TPropertyRecord> properties() {
        std::vector<TPropertyRecord> result;
        for (;;) {
            const QByteArray name = m_in.shortString();
            if (name.isEmpty())
                return result;
            result.push_back({QString::fromLatin1(name), value(0)});
        }
    }

    static std::int64_t integerValue(const TValue& v) {
        if (!v.isInteger())
            fail(QStringLiteral("oczekiwano liczby całkowitej"), 0);
        return v.integer;
    }

    TValue value(int nesting) {
        if (nesting > m_limits.maxValueNesting)
            fail(QStringLiteral("zbyt głęboko zagnieżdżone wartości"), m_in.pos());
        const qsizetype at = m_in.pos();
        const quint8 tag = m_in.byte();
        TValue v;
        v.tag = static_cast<Tag>(tag);
        switch (v.tag) {
        case Tag::Null:
            fail(QStringLiteral("wartość tam, gdzie jej nie ma"), at);
        case Tag::List:
            if (!m_limits.lists)
                fail(QStringLiteral("lista wartości, której żadna właściwość nie przyjmuje"), at);
            while (peek() != 0)
                v.list.push_back(value(nesting + 1));
            m_in.byte();
            break;
        case Tag::Int8: v.integer = static_cast<qint8>(m_in.byte()); break;
        case Tag::Int16: v.integer = m_in.little<qint16>(); break;
        case Tag::Int32: v.integer = m_in.little<qint32>(); break;
        case Tag::Int64: v.integer = m_in.little<qint64>(); break;
        case Tag::Extended: v.real = fromExtended(m_in.take(10)); break;
        case Tag::Single: {
            const quint32 bits = m_in.little<quint32>();
            float f;
            std::memcpy(&f, &bits, sizeof f);
            v.real = f;
            break;
        }
        case Tag::Date: {
            const quint64 bits = m_in.little<quint64>();
            std::memcpy(&v.real, &bits, sizeof v.real);
            break;
        }
        case Tag::Currency: v.integer = m_in.little<qint64>(); break;
        case Tag::String: v.text = cp1250::decode(m_in.shortString()); break;
        case Tag::LString: v.text = cp1250::decode(m_in.take(m_in.length())); break;
        case Tag::WString: {
            const QByteArray units = m_in.take(m_in.length(2) * 2);
            v.text = QString::fromUtf16(reinterpret_cast<const char16_t*>(units.constData()), units.size() / 2);
            break;
        }
        case Tag::Ident: v.text = QString::fromLatin1(m_in.shortString()); break;
        case Tag::False:
        case Tag::True:
        case Tag::Nil: break;
        case Tag::Binary: v.binary = m_in.take(m_in.length()); break;
        case Tag::Set:
            for (QByteArray member = m_in.shortString(); !member.isEmpty(); member = m_in.shortString()) {
                if (v.set.size() >= m_limits.maxSetMembers)
                    fail(QStringLiteral("zbiór o więcej niż %1 elementach").arg(m_limits.maxSetMembers), at);
                v.set << QString::fromLatin1(member);
            }
            break;
        case Tag::Collection:
            if (!m_limits.lists)
                fail(QStringLiteral("kolekcja, której żadna właściwość nie przyjmuje"), at);
            while (peek() != 0) {
                TCollectionItem item;
                const quint8 next = peek();
                if (next == static_cast<quint8>(Tag::Int8) || next == static_cast<quint8>(Tag::Int16) ||
                    next == static_cast<quint8>(Tag::Int32))
                    item.index = value(nesting + 1);
                for (QByteArray name = m_in.shortString(); !name.isEmpty(); name = m_in.shortString())
                    item.properties.push_back({QString::fromLatin1(name), value(nesting + 1)});
                v.collection.push_back(std::move(item));
            }
            m_in.byte();
            break;
        default:
            fail(QStringLiteral("nieznany znacznik wartości %1").arg(tag), at);
        }
        return v;
    }

    Cursor m_in;
    TReadLimits m_limits;
};

} // namespace

bool TValue::isInteger() const {
    return tag == Tag::Int8 || tag == Tag::Int16 || tag == Tag::Int32 || tag == Tag::Int64;
}

bool TValue::isString() const { return tag == Tag::String || tag == Tag::LString || tag == Tag::WString; }

TValue TValue::Integer(std::int64_t value) {
    TValue v;
    v.tag = value >= -128 && value <= 127           ? Tag::Int8
            : value >= -32768 && value <= 32767     ? Tag::Int16
            : value >= INT32_MIN && value <= INT32_MAX ? Tag::Int32
                                                    : Tag::Int64;
    v.integer = value;
    return v;
}

TValue TValue::String(const QString& value) {
    TValue v;
    v.tag = Tag::String;
    v.text = value;
    return v;
}

TValue TValue::Ident(const QString& value) {
    TValue v;
    v.tag = Tag::Ident;
    v.text = value;
    return v;
}

TValue TValue::Boolean(bool value) {
    TValue v;
    v.tag = value ? Tag::True : Tag::False;
    return v;
}

TValue TValue::Set(const QStringList& members) {
    TValue v;
    v.tag = Tag::Set;
    v.set = members;
    return v;
}

TValue TValue::Binary(const QByteArray& bytes) {
    TValue v;
    v.tag = Tag::Binary;
    v.binary = bytes;
    return v;
}

TValue TValue::Nil() { return {}; }

bool operator==(const TValue& a, const TValue& b) {
    if (a.isInteger() || b.isInteger())
        return a.isInteger() && b.isInteger() && a.integer == b.integer;
    if (a.isString() || b.isString())
        return a.isString() && b.isString() && a.text == b.text;
    if (a.tag != b.tag)
        return false;
    switch (a.tag) {
    case Tag::Ident: return a.text == b.text;
    case Tag::Set: return a.set == b.set;
    case Tag::Binary: return a.binary == b.binary;
    case Tag::Extended:
    case Tag::Single:
    case Tag::Date: return a.real == b.real;
    case Tag::Currency: return a.integer == b.integer;
    case Tag::List: return a.list == b.list;
    case Tag::Collection: return false;
    default: return true;
    }
}

TComponentRecord readComponentStream(const QByteArray& bytes, qsizetype& pos, const TReadLimits& limits) {
    Reader reader(bytes, pos, limits);
    TComponentRecord root = reader.stream();
    pos = reader.pos();
    return root;
}

TComponentRecord readTemplate(const QByteArray& file, const TReadLimits& limits) {
    Cursor in(file, 0);
    if (file.size() < 3 || in.byte() != 0xFF || in.little<quint16>() != 10)
        fail(QStringLiteral("to nie jest nagłówek zasobu"), 0);
    // The name ends with a zero byte within the header's 79 bytes.
    const qsizetype zero = file.indexOf('\0', 3);
    if (zero < 0 || zero + 1 + 6 > 79)
        fail(QStringLiteral("nazwa zasobu bez zakończenia"), 3);
    qsizetype pos = zero + 1 + 2 + 4; // flags and the stream length, which is not relied on
    if (pos > file.size())
        fail(QStringLiteral("nagłówek zasobu urwany"), zero);
    return readComponentStream(file, pos, limits);
}

void TStreamWriter::signature() { m_out.append("TPF0", 4); }

void TStreamWriter::shortString(const QByteArray& bytes) {
    if (bytes.size() > 255)
        throw EStreamError(QStringLiteral("Nazwa dłuższa niż 255 bajtów: ") + QString::fromLatin1(bytes.left(40)));
    m_out.append(static_cast<char>(bytes.size()));
    m_out.append(bytes);
}

void TStreamWriter::beginComponent(const QString& className, const QString& name) {
    shortString(className.toLatin1());
    shortString(cp1250::encode(name));
}

void TStreamWriter::property(const QString& name, const TValue& v) {
    shortString(name.toLatin1());
    value(v);
}

void TStreamWriter::endList() { m_out.append('\0'); }

void TStreamWriter::integer(std::int64_t v) {
    const TValue sized = TValue::Integer(v);
    m_out.append(static_cast<char>(sized.tag));
    uchar bytes[8];
    switch (sized.tag) {
    case Tag::Int8: m_out.append(static_cast<char>(v)); return;
    case Tag::Int16: qToLittleEndian<qint16>(static_cast<qint16>(v), bytes); m_out.append(reinterpret_cast<char*>(bytes), 2); return;
    case Tag::Int32: qToLittleEndian<qint32>(static_cast<qint32>(v), bytes); m_out.append(reinterpret_cast<char*>(bytes), 4); return;
    default: qToLittleEndian<qint64>(v, bytes); m_out.append(reinterpret_cast<char*>(bytes), 8); return;
    }
}

void TStreamWriter::value(const TValue& v) {
    if (v.isInteger())
        return integer(v.integer);
    uchar length[4];
    switch (v.tag) {
    case Tag::String:
    case Tag::LString: {
        const QByteArray bytes = cp1250::encode(v.text);
        if (bytes.size() <= 255) {
            m_out.append(static_cast<char>(Tag::String));
            shortString(bytes);
        } else {
            m_out.append(static_cast<char>(Tag::LString));
            qToLittleEndian<quint32>(static_cast<quint32>(bytes.size()), length);
            m_out.append(reinterpret_cast<char*>(length), 4);
            m_out.append(bytes);
        }
        return;
    }
    case Tag::Ident:
        m_out.append(static_cast<char>(Tag::Ident));
        shortString(v.text.toLatin1());
        return;
    case Tag::False:
    case Tag::True:
    case Tag::Nil:
        m_out.append(static_cast<char>(v.tag));
        return;
    case Tag::Set:
        m_out.append(static_cast<char>(Tag::Set));
        for (const QString& member : v.set)
            shortString(member.toLatin1());
        m_out.append('\0');
        return;
    case Tag::Binary:
        m_out.append(static_cast<char>(Tag::Binary));
        qToLittleEndian<quint32>(static_cast<quint32>(v.binary.size()), length);
        m_out.append(reinterpret_cast<char*>(length), 4);
        m_out.append(v.binary);
        return;
    default:
        throw EStreamError(QStringLiteral("Tej wartości program nie zapisuje (znacznik %1).").arg(int(v.tag)));
    }
}

QByteArray templateFile(const QString& className, const QByteArray& stream) {
    QByteArray file;
    file.append('\xFF');
    file.append('\x0A');
    file.append('\0');
    file.append(className.toUpper().toLatin1().left(63));
    file.append('\0');
    file.append('\x30');
    file.append('\x10');
    uchar length[4];
    qToLittleEndian<quint32>(static_cast<quint32>(stream.size()), length);
    file.append(reinterpret_cast<char*>(length), 4);
    file.append(stream);
    return file;
}

} // namespace wendolarka::component_stream
