#include "printers.h"

#include "core/safe_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace wendolarka {
namespace {

// The paper table's codes the page sizes of Qt stand for (the common ones).
struct CodeSize {
    int code;
    QPageSize::PageSizeId id;
};
constexpr CodeSize kCodes[] = {
    {1, QPageSize::Letter}, {3, QPageSize::Tabloid}, {4, QPageSize::Ledger}, {5, QPageSize::Legal},
    {7, QPageSize::Executive}, {8, QPageSize::A3}, {9, QPageSize::A4}, {11, QPageSize::A5},
    {12, QPageSize::B4}, {13, QPageSize::B5}, {20, QPageSize::Comm10E}, {27, QPageSize::DLE},
    {28, QPageSize::C5E}, {66, QPageSize::A2},
};

} // namespace

bool beginPrinting(QPainter& painter, QPrinter& printer) {
    if (!painter.begin(&printer))
        return false;
    if (QPaintEngine* engine = painter.paintEngine()) {
        engine->setDirty(QPaintEngine::AllDirty);
        engine->syncState();
    }
    return true;
}

TPrintToFile::TPrintToFile(QPrinter& printer) : m_printer(printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return;
    m_target = printer.outputFileName();
    m_out = std::make_unique<TSafeFile>(m_target);
    m_out->open();
    m_job = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("wendolarka-druk-XXXXXX.pdf")));
    if (!m_job->open())
        throw Exception(QStringLiteral("Nie mogę utworzyć pliku tymczasowego do drukowania do pliku %1: %2")
                            .arg(QDir::toNativeSeparators(m_target), m_job->errorString()));
    m_job->close(); // the printer writes it by name
    printer.setOutputFileName(m_job->fileName());
}

TPrintToFile::~TPrintToFile() {
    if (m_job)
        m_printer.setOutputFileName(m_target);
}

void TPrintToFile::commit() {
    if (!m_job)
        return;
    QFile job(m_job->fileName());
    if (!job.open(QIODevice::ReadOnly))
        throw EFileWrite(m_target, job.errorString(), QFileInfo::exists(m_target));
    QByteArray chunk;
    while (!(chunk = job.read(1 << 20)).isEmpty())
        m_out->write(chunk);
    if (!job.atEnd())
        throw EFileWrite(m_target, job.errorString(), QFileInfo::exists(m_target));
    m_out->commit();
}

TDeviceMode deviceModeOf(const QPrinter& printer) {
    TDeviceMode mode;
    mode.dmFields = TDeviceMode::dmOrientationField | TDeviceMode::dmPaperSizeField;
    mode.dmOrientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    const QPageSize size = printer.pageLayout().pageSize();
    mode.dmPaperSize = 256;
    for (const CodeSize& c : kCodes)
        if (c.id == size.id())
            mode.dmPaperSize = c.code;
    if (mode.dmPaperSize == 256) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        mode.dmFields |= TDeviceMode::dmPaperWidthField | TDeviceMode::dmPaperLengthField;
        mode.dmPaperWidth = qRound(mm.width() * 10);
        mode.dmPaperLength = qRound(mm.height() * 10);
    }
    return mode;
}

void applyDeviceMode(QPrinter& printer, const TDeviceMode& mode) {
    if (mode.dmFields & TDeviceMode::dmPaperSizeField) {
        QPageSize size;
        for (const CodeSize& c : kCodes)
            if (c.code == mode.dmPaperSize)
                size = QPageSize(c.id);
        if (!size.isValid() && mode.dmPaperSize == 256 && mode.dmPaperWidth > 0 && mode.dmPaperLength > 0)
            size = QPageSize(QSizeF(mode.dmPaperWidth / 10.0, mode.dmPaperLength / 10.0), QPageSize::Millimeter,
                             mode.dmFormName);
        if (size.isValid())
            printer.setPageSize(size);
    }
    if (mode.dmFields & TDeviceMode::dmOrientationField)
        printer.setPageOrientation(mode.dmOrientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

QtPrinterService::QtPrinterService() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    // With no printer the printer object writes PDF; the print dialog offers the file.
    if (!PrinterInstalled())
        m_printer->setOutputFormat(QPrinter::PdfFormat);
}

QtPrinterService::~QtPrinterService() = default;

bool QtPrinterService::PrinterInstalled() const { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

TDeviceMode QtPrinterService::deviceMode() const { return deviceModeOf(*m_printer); }

void QtPrinterService::setDeviceMode(const TDeviceMode& mode) { applyDeviceMode(*m_printer, mode); }

std::vector<TPrinterForm> QtPrinterService::forms() const {
    std::vector<TPrinterForm> result;
    const QPrinterInfo info(*m_printer);
    for (const QPageSize& size : info.supportedPageSizes()) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        result.push_back({size.name(), QSize(qRound(mm.width() * 1000), qRound(mm.height() * 1000))});
    }
    return result;
}

} // namespace wendolarka
