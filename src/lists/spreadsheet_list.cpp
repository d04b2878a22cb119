#include "lists/spreadsheet_list.h"
#include "lists/spreadsheet_ods.h"
#include "lists/spreadsheet_xlsx.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace wendolarka::lists {

using namespace spreadsheet;

namespace {

// The zip's bytes as a device. QBuffer warns on every seek past the end, which
// the offsets in a damaged zip ask for; here such a read just finds nothing.
class TBytesDevice : public QIODevice {
public:
    explicit TBytesDevice(const QByteArray& bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    qint64 size() const override { return m_bytes.size(); }
    bool seek(qint64 position) override {
        if (position < 0 || !QIODevice::seek(position))
            return false;
        m_at = position;
        return true;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 count = std::clamp(m_bytes.size() - m_at, qint64(0), maxSize);
        if (count > 0)
            std::memcpy(data, m_bytes.constData() + m_at, std::size_t(count));
        m_at += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray m_bytes;
    qint64 m_at = 0;
};

QStringList sheetNames(QIODevice& device, TSpreadsheetKind kind, const QString& displayName) {
    TPlace place{displayName, QString()};
    TPackage package(device, place);
    return kind == TSpreadsheetKind::Xlsx ? xlsxSheetNames(package, place) : odsSheetNames(package, place);
}

TListTable readSheet(QIODevice& device, TSpreadsheetKind kind, int sheetIndex, const QString& displayName) {
    TPlace place{displayName, QString()};
    TPackage package(device, place);
    return kind == TSpreadsheetKind::Xlsx ? readXlsx(package, sheetIndex, place) : readOds(package, sheetIndex, place);
}

// The file opened for reading, or an EListFile saying why it cannot be.
TSpreadsheetKind openSpreadsheetFile(QFile& file) {
    const QString name = QFileInfo(file.fileName()).fileName();
    const std::optional<TSpreadsheetKind> kind = spreadsheetKindOfFileName(file.fileName());
    if (!kind)
        throw EListFile(QStringLiteral("Plik %1 nie jest arkuszem: czytam arkusze .xlsx i .ods.").arg(name));
    const QFileInfo info(file.fileName());
    // Only a regular file: opening a FIFO would wait for a writer forever.
    if (!info.exists())
        throw EListFile(QStringLiteral("Nie mogę odczytać pliku %1: nie ma takiego pliku.").arg(name));
    if (!info.isFile())
        throw EListFile(QStringLiteral("Nie mogę odczytać pliku %1: to nie jest zwykły plik.").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw EListFile(QStringLiteral("Nie mogę odczytać pliku %1: brak dostępu.").arg(name));
    if (file.size() > kMaxListFileBytes)
        throw EListFile(QStringLiteral("Plik %1 jest za duży na listę osób (najwięcej %2 MB).")
                            .arg(name)
                            .arg(kMaxListFileBytes / (1024 * 1024)));
    return *kind;
}

} // namespace

std::optional<TSpreadsheetKind> spreadsheetKindOfFileName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"xlsx" || suffix == u"xlsm")
        return TSpreadsheetKind::Xlsx;
    if (suffix == u"ods")
        return TSpreadsheetKind::Ods;
    return std::nullopt;
}

bool isSpreadsheetFileName(const QString& fileName) { return spreadsheetKindOfFileName(fileName).has_value(); }

QStringList spreadsheetSheetNames(const QString& fileName) {
    QFile file(fileName);
    const TSpreadsheetKind kind = openSpreadsheetFile(file);
    return sheetNames(file, kind, QFileInfo(fileName).fileName());
}

QStringList spreadsheetSheetNamesData(const QByteArray& zipBytes, TSpreadsheetKind kind, const QString& displayName) {
    TBytesDevice device(zipBytes);
    return sheetNames(device, kind, displayName);
}

TListTable readSpreadsheet(const QString& fileName, int sheetIndex) {
    QFile file(fileName);
    const TSpreadsheetKind kind = openSpreadsheetFile(file);
    return readSheet(file, kind, sheetIndex, QFileInfo(fileName).fileName());
}

TListTable readSpreadsheetData(const QByteArray& zipBytes, TSpreadsheetKind kind, int sheetIndex,
                               const QString& displayName) {
    TBytesDevice device(zipBytes);
    return readSheet(device, kind, sheetIndex, displayName);
}

} // namespace wendolarka::lists
