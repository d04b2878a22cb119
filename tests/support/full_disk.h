#pragma once

// A real full disk for tests: a small tmpfs mounted in a temporary folder and
// filled to the last byte. Needs root; a test without it skips and says why.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace wendolarka::test {

class FullDisk {
public:
    // Mounts a tmpfs of `bytes`; mounted() tells whether it worked.
    explicit FullDisk(qint64 bytes = 1024 * 1024) {
        if (::geteuid() != 0 || !m_dir.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~FullDisk() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return m_mounted; }
    static const char* skipReason() { return "a full disk needs root to mount a small tmpfs; skipped"; }
    QString filePath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // Puts a file of those bytes on the disk, while there is room.
    void put(const QString& name, const QByteArray& bytes) const {
        QFile file(filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
        file.close();
    }

    // Takes every byte that is left.
    void fill() const {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'z');
        while (::write(fd, block.constData(), static_cast<std::size_t>(block.size())) > 0) {
        }
        while (::write(fd, block.constData(), 1) > 0) {
        }
        ::close(fd);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace wendolarka::test
