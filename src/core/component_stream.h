#pragma once

#include "exception.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The component stream of layout templates: a resource header, "TPF0", then
// component records of property records with tagged values. Nothing else in
// the program knows the tags.
namespace wendolarka {

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

namespace component_stream {

enum class Tag : std::uint8_t {
    Null = 0, List = 1, Int8 = 2, Int16 = 3, Int32 = 4, Extended = 5, String = 6, Ident = 7, False = 8,
    True = 9, Binary = 10, Set = 11, LString = 12, Nil = 13, Collection = 14, Single = 15, Currency = 16,
    Date = 17, WString = 18, Int64 = 19
};

struct TPropertyRecord;
struct TCollectionItem;

// One value as read or to be written.
struct TValue {
    Tag tag = Tag::Nil;
    std::int64_t integer = 0;        // the integer tags; currency as its scaled integer
    double real = 0;                 // extended, single, date
    QString text;                    // strings (decoded from the code page) and identifiers
    QByteArray binary;               // binary
    QStringList set;                 // set members
    std::vector<TValue> list;        // list
    std::vector<TCollectionItem> collection;

    bool isInteger() const;
    bool isString() const;
    bool isBoolean() const { return tag == Tag::False || tag == Tag::True; }
    bool boolean() const { return tag == Tag::True; }

    static TValue Integer(std::int64_t value);
    static TValue String(const QString& value);
    static TValue Ident(const QString& value);
    static TValue Boolean(bool value);
    static TValue Set(const QStringList& members);
    static TValue Binary(const QByteArray& bytes);
    static TValue Nil();

    // What a reader sees: integers alike whatever their width, strings alike whatever their tag.
    friend bool operator==(const TValue& a, const TValue& b);
};

struct TPropertyRecord {
    QString name; // dotted path, e.g. "Font.Name"
    TValue value;
};

struct TCollectionItem {
    std::optional<TValue> index;
    std::vector<TPropertyRecord> properties;
};

struct TComponentRecord {
    int flags = 0; // 1 inherited, 2 child position, 4 inline
    std::optional<std::int64_t> childPosition;
    QString className;
    QString name;
    std::vector<TPropertyRecord> properties;
    std::vector<TComponentRecord> children;
};

// Bounds a reader keeps to, whatever the bytes claim.
struct TReadLimits {
    int maxComponents = 1000; // children of the root
    int maxDepth = 1;         // the root's children have no children
    int maxValueNesting = 16; // lists and collections inside each other
    bool lists = true;        // lists and collections at all (templates have no property that takes them)
    int maxSetMembers = 64;
};

// "TPF0" and one component record starting at `bytes[pos]`; `pos` ends after it.
TComponentRecord readComponentStream(const QByteArray& bytes, qsizetype& pos, const TReadLimits& limits = {});

// A whole template file: the resource header (0xFF, type 10, a zero-ended
// name, flags, a length that is not relied on), then the stream.
TComponentRecord readTemplate(const QByteArray& file, const TReadLimits& limits = {});

// Writes by the writing rules: integers in the smallest tag, strings of up to
// 255 bytes short, text in the code page.
class TStreamWriter {
public:
    void signature();
    void beginComponent(const QString& className, const QString& name);
    void property(const QString& name, const TValue& value);
    void endList(); // ends a component's properties or its children
    void value(const TValue& value);
    const QByteArray& bytes() const { return m_out; }

private:
    void shortString(const QByteArray& bytes);
    void integer(std::int64_t value);
    QByteArray m_out;
};

// The resource header for a window class and stream length, then the stream.
QByteArray templateFile(const QString& className, const QByteArray& stream);

} // namespace component_stream
} // namespace wendolarka
