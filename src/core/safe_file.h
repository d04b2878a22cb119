#pragma once

#include "exception.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace wendolarka {

// A user's file that could not be written; the file as it was before is kept.
class EFileWrite : public Exception {
public:
    // `oldKept`: a file of that name was there and still is, as it was.
    EFileWrite(const QString& fileName, const QString& cause, bool oldKept = false);
    const QString& fileName() const noexcept { return m_fileName; }

private:
    QString m_fileName;
};

// The cause of a failed write in the program's words ("brak miejsca na dysku").
QString writeFailureCause(int errorNumber);

// Writes a user's file whole or not at all. A regular file (or a new name) is
// written beside its place and renamed over it only when every write, the sync
// and the close went through; on any failure the half-written copy goes and the
// old file stays byte for byte. A symbolic link stays a link: its final target
// is written that way. A device or a pipe is written to directly, never
// replaced; a socket or a folder is refused. Every failure is an EFileWrite
// naming the file and the cause.
//
// As a QIODevice it takes streamed writes (a PDF page by page); the first
// failed write makes every later one fail, and commit() reports it.
class TSafeFile final : public QIODevice {
public:
    explicit TSafeFile(QString fileName);
    ~TSafeFile() override; // an uncommitted file is discarded

    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // Throws EFileWrite when the file cannot be made.
    void open();
    // Makes the written bytes the file; throws EFileWrite, keeping the old file.
    void commit();
    // Drops what was written; the old file stays.
    void discard() noexcept;

    bool isSequential() const override { return true; }
    const QString& fileName() const { return m_fileName; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    void fail(int errorNumber);
    [[noreturn]] void raise(int errorNumber);

    QString m_fileName;       // as the caller named it
    QByteArray m_target;      // the path finally written (symbolic links followed)
    QByteArray m_temporary;   // the copy beside it; empty when writing directly
    int m_fd = -1;
    int m_error = 0;          // the first failure's errno
    bool m_replacing = false; // a regular file is there to be replaced
    bool m_committed = false;
};

// The whole of `bytes` as the file, by the rules of TSafeFile.
void writeFileSafely(const QString& fileName, const QByteArray& bytes);

} // namespace wendolarka
