#include "photos/face_finder.h"

#ifdef WENDOLARKA_HAVE_OPENCV

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <opencv2/core.hpp>
#include <opencv2/core/ocl.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <mutex>

namespace wendolarka::photos {
namespace {

// The smallest face looked for, as a part of the picture's shorter side. The
// picture is searched at the scale where such a face is as small as the
// cascade's window: smaller pictures search faster, and a face on a pass
// photo is always far larger.
constexpr double kSmallestFace = 0.1;
// Never searched larger than this, whatever the cascade's window.
constexpr int kLongestSearched = 640;

// Cascade files by preference. The Haar ones come first: the LBP cascade is
// faster but misses faces turned a little or lit from the side, as people
// are photographed at a desk.
const char* const kCascades[] = {
    "haarcascades/haarcascade_frontalface_alt2.xml",
    "haarcascades/haarcascade_frontalface_default.xml",
    "lbpcascades/lbpcascade_frontalface_improved.xml",
};

QStringList cascadeFolders() {
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() << QCoreApplication::applicationDirPath() + QStringLiteral("/cascades");
#ifdef WENDOLARKA_OPENCV_DATA_DIR
    folders << QStringLiteral(WENDOLARKA_OPENCV_DATA_DIR);
#endif
    folders << QStringLiteral("/usr/share/opencv4") << QStringLiteral("/usr/share/opencv");
    folders.removeDuplicates();
    return folders;
}

struct TDetector {
    std::mutex mutex; // a cascade is not safe to run from two threads at once
    cv::CascadeClassifier cascade;
    cv::Size window;
    bool loaded = false;

    TDetector() {
        try {
            // A GPU context costs more to set up than it saves on pictures this small.
            cv::ocl::setUseOpenCL(false);
            const QStringList folders = cascadeFolders();
            for (const char* cascadeFile : kCascades) {
                const QString relative = QString::fromLatin1(cascadeFile);
                const QString bare = QFileInfo(relative).fileName();
                for (const QString& folder : folders) {
                    for (const QString& path : {folder + u'/' + relative, folder + u'/' + bare}) {
                        if (QFileInfo(path).isFile() && cascade.load(path.toStdString()) && !cascade.empty()) {
                            window = cascade.getOriginalWindowSize();
                            loaded = window.width > 0 && window.height > 0;
                            if (loaded)
                                return;
                        }
                    }
                }
            }
        } catch (const std::exception&) {
            loaded = false;
        }
    }
};

TDetector& detector() {
    static TDetector instance; // loaded on first use, once, by whichever thread comes first
    return instance;
}

// The picture's grey pixels, converted by OpenCV (faster than a QImage conversion).
cv::Mat greyOf(const QImage& picture) {
    if (picture.format() == QImage::Format_Grayscale8)
        return cv::Mat(picture.height(), picture.width(), CV_8UC1, const_cast<uchar*>(picture.constBits()),
                       size_t(picture.bytesPerLine()))
            .clone();
    const QImage rgb32 = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    const cv::Mat bgra(rgb32.height(), rgb32.width(), CV_8UC4, const_cast<uchar*>(rgb32.constBits()),
                       size_t(rgb32.bytesPerLine()));
    cv::Mat grey;
    cv::cvtColor(bgra, grey, cv::COLOR_BGRA2GRAY);
    return grey;
}

// A cascade also answers to patterns of hair, collars and shadows. In a
// colour picture the middle of a real face is skin: its chroma lies in the
// range skin of any complexion has (Cr 133-173, Cb 77-127). A box whose middle
// has no colour at all (a greyscale photo) is believed.
bool looksLikeSkin(const QImage& picture, const QRectF& box) {
    constexpr int kSamples = 16;
    int coloured = 0, skin = 0, samples = 0;
    for (int i = 0; i < kSamples; ++i) {
        for (int j = 0; j < kSamples; ++j) {
            const int x = int(box.left() + box.width() * (0.25 + 0.5 * (j + 0.5) / kSamples));
            const int y = int(box.top() + box.height() * (0.25 + 0.5 * (i + 0.5) / kSamples));
            if (!picture.valid(x, y))
                continue;
            const QRgb p = picture.pixel(x, y);
            const double r = qRed(p), g = qGreen(p), b = qBlue(p);
            const double cr = 128 + 0.5 * r - 0.418688 * g - 0.081312 * b;
            const double cb = 128 - 0.168736 * r - 0.331264 * g + 0.5 * b;
            ++samples;
            if (std::abs(cr - 128) + std::abs(cb - 128) > 6)
                ++coloured;
            if (cr >= 133 && cr <= 173 && cb >= 77 && cb <= 127)
                ++skin;
        }
    }
    if (samples == 0)
        return false;
    if (coloured * 10 < samples)
        return true;
    return skin * 10 >= samples * 3;
}

} // namespace

bool faceFinderAvailable() { return detector().loaded; }

std::vector<QRectF> faces(const QImage& picture) {
    if (picture.isNull() || picture.width() < 8 || picture.height() < 8)
        return {};
    TDetector& found = detector();
    if (!found.loaded)
        return {};
    try {
        const int shorter = std::min(picture.width(), picture.height());
        const int longer = std::max(picture.width(), picture.height());
        const double window = std::max(found.window.width, found.window.height);
        const double scale =
            std::min({1.0, window / (kSmallestFace * shorter), double(kLongestSearched) / longer});
        cv::Mat grey = greyOf(picture);
        if (scale < 1.0) {
            cv::Mat small;
            cv::resize(grey, small, cv::Size(), scale, scale, cv::INTER_AREA);
            grey = small;
        }
        cv::equalizeHist(grey, grey);
        const int smallest = std::max({found.window.width, found.window.height,
                                       int(std::lround(kSmallestFace * std::min(grey.cols, grey.rows)))});
        std::vector<cv::Rect> boxes;
        {
            const std::lock_guard<std::mutex> lock(found.mutex);
            found.cascade.detectMultiScale(grey, boxes, 1.1, 3, 0, cv::Size(smallest, smallest));
        }
        const QRectF whole(0, 0, picture.width(), picture.height());
        std::vector<QRectF> result;
        for (const cv::Rect& box : boxes) {
            const QRectF face =
                QRectF(box.x / scale, box.y / scale, box.width / scale, box.height / scale) & whole;
            if (!face.isEmpty() && looksLikeSkin(picture, face))
                result.push_back(face);
        }
        std::sort(result.begin(), result.end(), [](const QRectF& a, const QRectF& b) {
            return a.width() * a.height() > b.width() * b.height();
        });
        return result;
    } catch (const std::exception&) {
        // cv::Exception and allocation failures alike: no face is the safe answer.
        return {};
    }
}

std::optional<QRectF> largestFace(const QImage& picture) {
    const std::vector<QRectF> found = faces(picture);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

} // namespace wendolarka::photos

#else // without OpenCV

namespace wendolarka::photos {

bool faceFinderAvailable() { return false; }

std::vector<QRectF> faces(const QImage&) { return {}; }

std::optional<QRectF> largestFace(const QImage&) { return std::nullopt; }

} // namespace wendolarka::photos

#endif
