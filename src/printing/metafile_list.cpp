#include "metafile_list.h"

#include "core/exception.h"
#include "platform/system_paths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace wendolarka {

void TRecordedPage::setPicture(const QPicture& picture) {
    m_picture = picture;
    if (OnChange)
        OnChange();
}

QByteArray TRecordedPage::save() const {
    if (m_picture.isNull())
        return {};
    return QByteArray(m_picture.data(), static_cast<qsizetype>(m_picture.size()));
}

bool TRecordedPage::load(const QByteArray& bytes) {
    m_picture = QPicture();
    if (bytes.isEmpty())
        return true;
    m_picture.setData(bytes.constData(), static_cast<uint>(bytes.size()));
    return !m_picture.isNull();
}

TMetafileList::TMetafileList() = default;

TMetafileList::~TMetafileList() { clearPages(); }

namespace {

[[noreturn]] void writeFailed(const QString& fileName) {
    throw Exception(QStringLiteral("Cannot write file %1").arg(fileName));
}

} // namespace

std::unique_ptr<QIODevice> TMetafileList::makeStream(bool tempFile, QString& fileName) const {
    if (!tempFile) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->open(QIODevice::ReadWrite);
        return buffer;
    }
    // A unique file the system makes; kept after the object so its name can be reused.
    QTemporaryFile probe(QDir(temporaryFolder()).filePath(QStringLiteral("PPXXXXXX")));
    probe.setAutoRemove(false);
    if (!probe.open())
        throw Exception(QStringLiteral("Cannot create file %1").arg(probe.fileTemplate()));
    fileName = probe.fileName();
    probe.close();
    // Unbuffered: a full disk shows at the write that meets it, not at some later flush.
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        QFile::remove(fileName);
        throw Exception(QStringLiteral("Cannot create file %1").arg(fileName));
    }
    return file;
}

qint64 TMetafileList::StreamSize() const { return m_stream ? m_stream->size() : 0; }

QByteArray TMetafileList::readRange(qint64 from, qint64 to) {
    m_stream->seek(from);
    return m_stream->read(to - from);
}

void TMetafileList::writeAt(qint64 position, const QByteArray& bytes) {
    if (!m_stream->seek(position) || m_stream->write(bytes) != bytes.size())
        writeFailed(m_tempFileName);
}

void TMetafileList::truncate(qint64 size) {
    if (auto* buffer = dynamic_cast<QBuffer*>(m_stream.get()))
        buffer->buffer().truncate(size);
    else if (!static_cast<QFile*>(m_stream.get())->resize(size))
        writeFailed(m_tempFileName);
}

int TMetafileList::Add(const TRecordedPage& page) {
    if (!m_stream) {
        QString fileName;
        m_stream = makeStream(m_useTempFile, fileName);
        m_tempFileName = fileName;
    }
    const qint64 position = m_stream->size();
    try {
        writeAt(position, page.save());
    } catch (...) {
        try {
            truncate(position); // no half page behind the others
        } catch (...) {
            // the write's failure is the one to report
        }
        throw;
    }
    m_offsets.push_back(position);
    if (OnChange)
        OnChange(*this);
    return Count() - 1;
}

TRecordedPage& TMetafileList::operator[](int index) {
    if (index < 0 || index >= Count())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    if (index != m_cachedIndex) {
        m_cached.OnChange = nullptr;
        // Each page is read from exactly its own byte range.
        m_cached.load(readRange(m_offsets[static_cast<std::size_t>(index)], pageEnd(index)));
        m_cachedIndex = index;
        m_cached.OnChange = [this] { writeBack(); };
    }
    return m_cached;
}

qint64 TMetafileList::pageEnd(int index) const {
    return index + 1 < Count() ? m_offsets[static_cast<std::size_t>(index) + 1] : m_stream->size();
}

void TMetafileList::writeBack() {
    const int i = m_cachedIndex;
    if (i < 0 || i >= Count())
        return;
    const QByteArray bytes = m_cached.save();
    const qint64 newLength = bytes.size();
    const qint64 start = m_offsets[static_cast<std::size_t>(i)];
    const bool last = i + 1 == Count();
    const qint64 oldSize = m_stream->size();
    const qint64 oldLength = pageEnd(i) - start;
    QByteArray tail;
    if (newLength != oldLength && !last)
        tail = readRange(pageEnd(i), oldSize);
    // What the page was, so that a write the file refuses leaves every page as it was.
    const QByteArray before = readRange(start, start + oldLength);
    try {
        writeAt(start, bytes);
        if (!tail.isEmpty())
            writeAt(start + newLength, tail);
        if (newLength < oldLength)
            truncate(oldSize + newLength - oldLength);
    } catch (...) {
        // The old bytes fit where they were, so they go back even onto a full disk.
        try {
            writeAt(start, before + tail);
            truncate(oldSize);
        } catch (...) {
            // the first failure is the one to report
        }
        m_cached.OnChange = nullptr;
        m_cached.load(before);
        m_cached.OnChange = [this] { writeBack(); };
        throw;
    }
    if (!tail.isEmpty())
        for (std::size_t k = static_cast<std::size_t>(i) + 1; k < m_offsets.size(); ++k)
            m_offsets[k] += newLength - oldLength;
    if (OnItemChange)
        OnItemChange(*this, i);
}

void TMetafileList::clearPages() {
    m_cached.OnChange = nullptr;
    m_cached.clear();
    m_offsets.clear();
    m_cachedIndex = -1;
    m_stream.reset();
    if (m_useTempFile && !m_tempFileName.isEmpty() && QFile::exists(m_tempFileName))
        QFile::remove(m_tempFileName);
}

void TMetafileList::Clear() {
    clearPages();
    if (OnChange)
        OnChange(*this);
}

void TMetafileList::setUseTempFile(bool value) {
    if (value == m_useTempFile)
        return;
    // All or nothing: the pages stay where they are unless the new place holds them all.
    QString fileName = m_tempFileName;
    if (m_stream) {
        std::unique_ptr<QIODevice> fresh = makeStream(value, fileName);
        m_stream->seek(0);
        const QByteArray all = m_stream->readAll();
        if (fresh->write(all) != all.size()) {
            fresh.reset();
            if (value)
                QFile::remove(fileName);
            writeFailed(fileName);
        }
        m_stream = std::move(fresh);
    }
    const QString oldFile = m_tempFileName;
    m_useTempFile = value;
    m_tempFileName = fileName;
    if (!value && !oldFile.isEmpty()) {
        QFile::remove(oldFile);
        m_tempFileName.clear();
    }
}

} // namespace wendolarka
