#include "safe_file.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wendolarka {
namespace {

constexpr int kMaxLinks = 40; // as the kernel follows at most

QByteArray directoryOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray baseNameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// The errno of a failed close (a network file system reports a lost write
// there); close() is not retried on EINTR, the descriptor is gone either way.
int closeReportingError(int fd) { return ::close(fd) == 0 ? 0 : errno; }

// A file over the process's size limit is a failed write, not the end of the program.
void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

} // namespace

QString writeFailureCause(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return QString::fromUtf8("brak miejsca na dysku");
    case EACCES:
    case EPERM:
        return QString::fromUtf8("brak prawa zapisu");
    case EROFS:
        return QString::fromUtf8("dysk jest tylko do odczytu");
    case ENOENT:
    case ENOTDIR:
        return QString::fromUtf8("nie ma takiego folderu");
    case EFBIG:
        return QString::fromUtf8("plik byłby większy, niż system pozwala");
    case EIO:
        return QString::fromUtf8("błąd odczytu lub zapisu dysku");
    case ENAMETOOLONG:
        return QString::fromUtf8("za długa nazwa pliku");
    case EISDIR:
        return QString::fromUtf8("to jest folder, nie plik");
    case ENXIO:
        return QString::fromUtf8("nikt nie odbiera zapisu z tego urządzenia lub potoku");
    case ELOOP:
        return QString::fromUtf8("za dużo dowiązań symbolicznych");
    default:
        return QString::fromUtf8("błąd systemu: %1").arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

EFileWrite::EFileWrite(const QString& fileName, const QString& cause, bool oldKept)
    : Exception(QString::fromUtf8("Nie mogę zapisać pliku %1: %2.").arg(fileName, cause) +
                (oldKept ? QString::fromUtf8(" Poprzednia zawartość pliku została zachowana.") : QString())),
      m_fileName(fileName) {}

TSafeFile::TSafeFile(QString fileName) : m_fileName(std::move(fileName)) {}

TSafeFile::~TSafeFile() {
    if (!m_committed)
        discard();
}

void TSafeFile::raise(int errorNumber) {
    discard();
    throw EFileWrite(m_fileName, writeFailureCause(errorNumber), m_replacing);
}

void TSafeFile::open() {
    ignoreFileSizeSignal();
    if (m_fileName.isEmpty())
        throw EFileWrite(m_fileName, QString::fromUtf8("brak nazwy pliku"));
    QByteArray path = QFile::encodeName(m_fileName);
    struct stat info {};
    bool direct = false;
    for (int links = 0;; ++links) {
        if (::lstat(path.constData(), &info) != 0) {
            if (errno != ENOENT)
                raise(errno);
            break; // a new file
        }
        if (!S_ISLNK(info.st_mode)) {
            if (S_ISDIR(info.st_mode))
                throw EFileWrite(m_fileName, writeFailureCause(EISDIR));
            if (S_ISSOCK(info.st_mode))
                throw EFileWrite(m_fileName, QString::fromUtf8("to jest gniazdo sieciowe, nie plik"));
            direct = !S_ISREG(info.st_mode);
            m_replacing = S_ISREG(info.st_mode);
            break;
        }
        if (links == kMaxLinks)
            raise(ELOOP);
        QByteArray link(static_cast<qsizetype>(info.st_size > 0 ? info.st_size : PATH_MAX), Qt::Uninitialized);
        const ssize_t length = ::readlink(path.constData(), link.data(), static_cast<std::size_t>(link.size()));
        if (length < 0)
            raise(errno);
        link.truncate(length);
        path = link.startsWith('/') ? link : directoryOf(path) + '/' + link;
    }
    m_target = path;
    if (direct) {
        // A pipe without a reader would block the program: refused instead.
        const bool fifo = S_ISFIFO(info.st_mode);
        m_fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (fifo ? O_NONBLOCK : 0));
        if (m_fd < 0)
            raise(errno);
        if (fifo)
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    } else {
        // Beside the target, so the rename stays on one file system.
        const QByteArray stem = directoryOf(path) + "/." + baseNameOf(path) + ".zapis-";
        const mode_t mode = m_replacing ? (info.st_mode & 07777) : 0666; // a new file follows the umask
        for (int attempt = 0; m_fd < 0; ++attempt) {
            m_temporary = stem + QByteArray::number(QRandomGenerator::global()->generate(), 36);
            m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_fd < 0 && (errno != EEXIST || attempt > 100)) {
                const int error = errno;
                m_temporary.clear();
                raise(error);
            }
        }
        if (m_replacing) {
            // The replacement keeps the old file's permissions and, where allowed, its owner.
            ::fchmod(m_fd, mode);
            if (::geteuid() == 0 && ::fchown(m_fd, info.st_uid, info.st_gid) != 0) {
                // Kept as root's file: still written, only the owner differs.
            }
        }
    }
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

void TSafeFile::fail(int errorNumber) {
    if (!m_error)
        m_error = errorNumber;
}

qint64 TSafeFile::writeData(const char* data, qint64 length) {
    if (m_error || m_fd < 0)
        return -1;
    qint64 written = 0;
    while (written < length) {
        const ssize_t step = ::write(m_fd, data + written, static_cast<std::size_t>(length - written));
        if (step < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return -1;
        }
        if (step == 0) { // nothing taken and no reason given: a full device
            fail(ENOSPC);
            return -1;
        }
        written += step;
    }
    return written;
}

void TSafeFile::commit() {
    if (m_fd < 0)
        raise(m_error ? m_error : EBADF);
    if (m_error)
        raise(m_error);
    const bool direct = m_temporary.isEmpty();
    if (::fsync(m_fd) != 0 && !(direct && (errno == EINVAL || errno == EROFS || errno == ENOTSUP)))
        raise(errno);
    const int closeError = closeReportingError(m_fd);
    m_fd = -1;
    if (closeError)
        raise(closeError);
    if (!direct) {
        if (::rename(m_temporary.constData(), m_target.constData()) != 0)
            raise(errno);
        m_temporary.clear();
        // The new name is on disk too, not only the bytes.
        const int dir = ::open(directoryOf(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    m_committed = true;
    QIODevice::close();
}

void TSafeFile::discard() noexcept {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    if (isOpen())
        QIODevice::close();
}

void writeFileSafely(const QString& fileName, const QByteArray& bytes) {
    TSafeFile file(fileName);
    file.open();
    file.write(bytes);
    file.commit();
}

} // namespace wendolarka
