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

std::unique_ptr<QIODevice> TMetafileList::makeStream() {
    if (!m_useTempFile) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->open(QIODevice::ReadWrite);
        return buffer;
    }
    // A unique file the system makes; kept after the object so its name can be reused.
    QTemporaryFile probe(QDir(temporaryFolder()).filePath(QStringLiteral("PPXXXXXX")));
    probe.setAutoRemove(false);
    if (!probe.open())
        throw Exception(QStringLiteral("Cannot create file %1").arg(probe.fileTemplate()));
    m_tempFileName = probe.fileName();
    probe.close();
    auto file = std::make_unique<QFile>(m_tempFileName);
    if (!file->open(QIODevice::ReadWrite | QIODevice::Truncate))
        throw Exception(QStringLiteral("Cannot create file %1").arg(m_tempFileName));
    return file;
}

qint64 TMetafileList::StreamSize() const { return m_stream ? m_stream->size() : 0; }

QByteArray TMetafileList::readRange(qint64 from, qint64 to) {
    m_stream->seek(from);
    return m_stream->read(to - from);
}

int TMetafileList::Add(const TRecordedPage& page) {
    if (!m_stream)
        m_stream = makeStream();
    const qint64 position = m_stream->size();
    m_stream->seek(position);
    const QByteArray bytes = page.save();
    if (m_stream->write(bytes) != bytes.size())
        throw Exception(QStringLiteral("Cannot write file %1").arg(m_tempFileName));
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
        const qint64 from = m_offsets[static_cast<std::size_t>(index)];
        const qint64 to = index + 1 < Count() ? m_offsets[static_cast<std::size_t>(index) + 1] : m_stream->size();
        m_cached.load(readRange(from, to));
        m_cachedIndex = index;
        m_cached.OnChange = [this] { writeBack(); };
    }
    return m_cached;
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
    const qint64 oldLength = (last ? oldSize : m_offsets[static_cast<std::size_t>(i) + 1]) - start;
    QByteArray tail;
    if (newLength != oldLength && !last)
        tail = readRange(m_offsets[static_cast<std::size_t>(i) + 1], oldSize);
    m_stream->seek(start);
    m_stream->write(bytes);
    if (!tail.isEmpty()) {
        for (std::size_t k = static_cast<std::size_t>(i) + 1; k < m_offsets.size(); ++k)
            m_offsets[k] += newLength - oldLength;
        m_stream->write(tail);
    }
    if (newLength < oldLength) {
        const qint64 size = oldSize + newLength - oldLength;
        if (auto* buffer = dynamic_cast<QBuffer*>(m_stream.get()))
            buffer->buffer().truncate(size);
        else
            static_cast<QFile*>(m_stream.get())->resize(size);
    }
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
    const QString oldFile = m_tempFileName;
    m_useTempFile = value;
    if (m_stream) {
        std::unique_ptr<QIODevice> fresh = makeStream();
        m_stream->seek(0);
        fresh->write(m_stream->readAll());
        m_stream = std::move(fresh);
    }
    if (!value && !oldFile.isEmpty()) {
        QFile::remove(oldFile);
        m_tempFileName.clear();
    }
}

} // namespace wendolarka
