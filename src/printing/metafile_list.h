#pragma once

#include <QByteArray>
#include <QPicture>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace wendolarka {

// One recorded page: a picture that tells its owner when it was changed.
class TRecordedPage {
public:
    const QPicture& Picture() const { return m_picture; }
    // Replaces the page's drawing; the owner writes it back.
    void setPicture(const QPicture& picture);
    bool isEmpty() const { return m_picture.isNull(); }

    QByteArray save() const;
    // False when the bytes hold no picture; the page is then empty.
    bool load(const QByteArray& bytes);
    void clear() { m_picture = QPicture(); }

    std::function<void()> OnChange;

private:
    QPicture m_picture;
};

// The pages of a recorded document, one after another in one byte stream in
// memory or in a temporary file ("PP" + unique part, in the system's temporary
// folder). One page at a time is decoded into the cached page; a change to it
// is written back in place, moving the pages behind it.
class TMetafileList {
public:
    TMetafileList();
    ~TMetafileList(); // clears without notifying; the temporary file goes too
    TMetafileList(const TMetafileList&) = delete;
    TMetafileList& operator=(const TMetafileList&) = delete;

    // Throws the file error when the temporary file cannot be made or written;
    // the store is then as before.
    int Add(const TRecordedPage& page);
    int Count() const { return static_cast<int>(m_offsets.size()); }
    // The cached page holding page `index`; valid until another index is asked for.
    // Throws "List index out of bounds (%d)" outside 0 .. Count - 1.
    TRecordedPage& operator[](int index);
    void Clear();

    bool UseTempFile() const { return m_useTempFile; }
    // Moves the pages; a file that cannot take them leaves them where they were.
    void setUseTempFile(bool value);
    const QString& TempFileName() const { return m_tempFileName; }

    const std::vector<qint64>& PageOffsets() const { return m_offsets; }
    int CachedIndex() const { return m_cachedIndex; }
    qint64 StreamSize() const;

    std::function<void(TMetafileList& sender)> OnChange;
    std::function<void(TMetafileList& sender, int index)> OnItemChange;

private:
    // A memory stream, or a new temporary file whose name goes to `fileName`.
    // Throws the file error "Cannot create file %s".
    std::unique_ptr<QIODevice> makeStream(bool tempFile, QString& fileName) const;
    void clearPages();
    // The changed cached page into its place; a write the file refuses leaves
    // the store and the cached page as they were and throws "Cannot write file %s".
    void writeBack();
    QByteArray readRange(qint64 from, qint64 to);
    qint64 pageEnd(int index) const;
    void writeAt(qint64 position, const QByteArray& bytes);
    void truncate(qint64 size);

    std::unique_ptr<QIODevice> m_stream;
    std::vector<qint64> m_offsets;
    TRecordedPage m_cached;
    int m_cachedIndex = -1;
    bool m_useTempFile = false;
    QString m_tempFileName;
};

} // namespace wendolarka
