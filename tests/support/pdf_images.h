#pragma once

#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace wendolarka {

// One picture placed in a PDF, as poppler's `pdfimages -list` reports it.
struct PdfImage {
    int page = 0;
    int width = 0, height = 0; // pixels stored
    int ppiX = 0, ppiY = 0;    // pixels per inch as placed on the page
};

// Every picture of a PDF with the resolution it is placed at; empty when the
// tool is missing or the file unreadable.
inline std::vector<PdfImage> pdfImages(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    std::vector<PdfImage> images;
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return images;
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList lines = QString::fromLatin1(process.readAllStandardOutput()).split(u'\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u' ', Qt::SkipEmptyParts);
        if (f.size() < 14 || f[2] == QStringLiteral("smask"))
            continue;
        images.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[12].toInt(), f[13].toInt()});
    }
    return images;
}

// How many passes a PDF holds: each pass lays its picture of the pass's size
// (the widest one) once, its photo and the like beside it.
inline std::size_t pdfPassCount(const QString& pdf) {
    const std::vector<PdfImage> images = pdfImages(pdf);
    int widest = 0;
    for (const PdfImage& image : images)
        widest = std::max(widest, image.width);
    return static_cast<std::size_t>(
        std::count_if(images.begin(), images.end(), [widest](const PdfImage& image) { return image.width == widest; }));
}

// The text a PDF holds, as poppler's `pdftotext` reads it.
inline QString pdfText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A page of a PDF rendered by poppler at 96 dots per inch (or `dpi`); null when it cannot be.
inline QImage renderPage(const QString& pdf, int page, const QString& folder, int dpi = 96) {
    QProcess process;
    const QString stem = folder + QStringLiteral("/page%1").arg(page);
    process.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                               QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                               QString::number(page), QStringLiteral("-singlefile"), pdf, stem});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QImage(stem + QStringLiteral(".png"));
}

// The first page's size in points, as poppler's `pdfinfo` reports it.
inline QSize pdfPageSize(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    if (!process.waitForFinished(30000))
        return {};
    for (const QString& line : QString::fromLatin1(process.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QStringLiteral("Page size:"))) {
            const QStringList f = line.mid(10).split(u' ', Qt::SkipEmptyParts); // "595.28 x 841.89 pts (A4)"
            if (f.size() >= 3)
                return QSize(qRound(f[0].toDouble()), qRound(f[2].toDouble()));
        }
    return {};
}

} // namespace wendolarka
