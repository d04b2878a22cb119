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
#include <optional>

namespace wendolarka::photos {
namespace {

// The smallest face looked for, as a part of the picture's shorter side: a
// face on a pass photo is always far larger. The picture is searched at the
// scale where such a face is one and a half times the cascade's window (it
// finds faces barely larger than its window less surely): a smaller picture
// is searched faster.
constexpr double kSmallestFace = 0.1;
constexpr double kWindowsPerSmallest = 2.0;
// Never searched larger than this, whatever the cascade's window.
constexpr int kLongestSearched = 640;
// The least part of the middle of a face box that is skin in a colour picture.
constexpr double kSkinShare = 0.3;
// The cascade's steps between sizes, and how many neighbouring hits make a face.
constexpr double kScaleStep = 1.15;
constexpr int kNeighbours = 3;

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
        folders << QCoreApplication::applicationDirPath()
                << QCoreApplication::applicationDirPath() + QStringLiteral("/cascades");
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
                        if (QFileInfo(path).isFile() && load(path))
                            return;
                    }
                }
            }
        } catch (const std::exception&) {
            loaded = false;
        }
    }

    // A damaged file is passed over for the next one.
    bool load(const QString& path) {
        try {
            if (!cascade.load(path.toStdString()) || cascade.empty())
                return false;
            window = cascade.getOriginalWindowSize();
            loaded = window.width > 0 && window.height > 0;
        } catch (const cv::Exception&) {
            loaded = false;
        }
        return loaded;
    }
};

TDetector& detector() {
    static TDetector instance; // loaded on first use, once, by whichever thread comes first
    return instance;
}

// The picture's pixels as OpenCV reads them: RGB (as decoded), BGRA (Qt's
// 32-bit formats in memory) or grey; other formats are converted first.
struct TPixels {
    QImage image;
    cv::Mat mat;
    int toGrey = -1; // the colour conversion to grey; -1 when grey already
    bool rgb = true; // channel order of a colour picture
};

TPixels pixelsOf(const QImage& picture) {
    TPixels pixels;
    switch (picture.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        pixels.image = picture;
        break;
    default:
        pixels.image = picture.convertToFormat(QImage::Format_RGB32);
    }
    const QImage& image = pixels.image;
    int type = CV_8UC4;
    if (image.format() == QImage::Format_Grayscale8) {
        type = CV_8UC1;
    } else if (image.format() == QImage::Format_RGB888) {
        type = CV_8UC3;
        pixels.toGrey = cv::COLOR_RGB2GRAY;
    } else {
        pixels.toGrey = cv::COLOR_BGRA2GRAY;
        pixels.rgb = false;
    }
    pixels.mat = cv::Mat(image.height(), image.width(), type, const_cast<uchar*>(image.constBits()),
                         size_t(image.bytesPerLine()));
    return pixels;
}

// Skin of any complexion has its chroma in this range (Cr 133-173, Cb 77-127).
struct TChroma {
    double cr, cb;
    TChroma(double r, double g, double b)
        : cr(128 + 0.5 * r - 0.418688 * g - 0.081312 * b), cb(128 - 0.168736 * r - 0.331264 * g + 0.5 * b) {}
    bool skin() const { return cr >= 133 && cr <= 173 && cb >= 77 && cb <= 127; }
    bool coloured() const { return std::abs(cr - 128) + std::abs(cb - 128) > 6; }
};

// Where skin is on the searched copy of a colour picture; nothing when it has
// too little colour to tell skin by (a greyscale photo, or nearly one).
std::optional<cv::Mat> skinMap(const cv::Mat& colour, bool rgb) {
    if (colour.channels() == 1)
        return std::nullopt;
    cv::Mat map(colour.size(), CV_8UC1);
    const int step = colour.channels();
    const int red = rgb ? 0 : 2, blue = rgb ? 2 : 0;
    int coloured = 0;
    for (int y = 0; y < colour.rows; ++y) {
        const uchar* in = colour.ptr<uchar>(y);
        uchar* out = map.ptr<uchar>(y);
        for (int x = 0; x < colour.cols; ++x, in += step) {
            const TChroma chroma(in[red], in[1], in[blue]);
            coloured += chroma.coloured() ? 1 : 0;
            out[x] = chroma.skin() ? 1 : 0;
        }
    }
    if (coloured * 20 < map.rows * map.cols)
        return std::nullopt;
    return map;
}

// The parts of the searched picture a face may be in: around each patch of
// skin, with room for a face box whose middle the patch is. A face the
// cascade found elsewhere would be refused for its lack of skin anyway.
std::vector<cv::Rect> searchRegions(const cv::Mat& skin, int smallest) {
    const int grow = std::max(3, smallest / 4) | 1;
    cv::Mat grown;
    cv::dilate(skin, grown, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(grow, grow)));
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(grown, labels, stats, centroids, 8, CV_32S);
    const cv::Rect all(0, 0, skin.cols, skin.rows);
    // The least skin in the middle of the smallest face box (see hasSkinInItsMiddle).
    const int leastArea = std::max(1, int(kSkinShare * smallest * smallest / 4));
    std::vector<cv::Rect> regions;
    for (int i = 1; i < count; ++i) {
        if (stats.at<int>(i, cv::CC_STAT_AREA) < leastArea)
            continue;
        const cv::Rect patch(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                             stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
        const int margin = std::max({patch.width / 2, patch.height / 2, smallest});
        const cv::Rect region =
            cv::Rect(patch.x - margin, patch.y - margin, patch.width + 2 * margin, patch.height + 2 * margin) & all;
        if (region.width >= smallest && region.height >= smallest)
            regions.push_back(region);
    }
    // Overlapping regions are searched as one, so no face is found twice.
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t a = 0; a < regions.size() && !merged; ++a)
            for (size_t b = a + 1; b < regions.size() && !merged; ++b)
                if ((regions[a] & regions[b]).area() > 0) {
                    regions[a] |= regions[b];
                    regions.erase(regions.begin() + std::ptrdiff_t(b));
                    merged = true;
                }
    }
    return regions;
}

// A cascade also answers to patterns of hair, collars and shadows; in a
// colour picture the middle of a real face is skin.
bool hasSkinInItsMiddle(const cv::Mat& skin, const cv::Rect& box) {
    const cv::Rect middle = cv::Rect(box.x + box.width / 4, box.y + box.height / 4, std::max(1, box.width / 2),
                                     std::max(1, box.height / 2)) &
                            cv::Rect(0, 0, skin.cols, skin.rows);
    if (middle.empty())
        return false;
    return cv::countNonZero(skin(middle)) >= kSkinShare * middle.area();
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
        const TPixels pixels = pixelsOf(picture);
        const int shorter = std::min(picture.width(), picture.height());
        const int longer = std::max(picture.width(), picture.height());
        const double window = kWindowsPerSmallest * std::max(found.window.width, found.window.height);
        const double scale = std::min({1.0, window / (kSmallestFace * shorter), double(kLongestSearched) / longer});
        const int divisor = std::max(1, int(std::floor(1.0 / scale + 1e-9)));
        const cv::Size searched(std::max(1, picture.width() / divisor), std::max(1, picture.height() / divisor));
        // Made small in colour, then grey: the skin map comes from the same copy.
        cv::Mat small;
        if (divisor == 1)
            small = pixels.mat;
        else
            cv::resize(pixels.mat(cv::Rect(0, 0, searched.width * divisor, searched.height * divisor)), small, searched,
                       0, 0, cv::INTER_AREA);
        cv::Mat grey = small;
        if (pixels.toGrey >= 0)
            cv::cvtColor(small, grey, pixels.toGrey);
        // Not equalised: that would make the grain of a plain wall into texture
        // the cascade works through at length; it evens each window's contrast itself.
        const int smallest = std::max({found.window.width, found.window.height,
                                       int(std::lround(kSmallestFace * std::min(grey.cols, grey.rows)))});
        const std::optional<cv::Mat> skin = skinMap(small, pixels.rgb);
        const std::vector<cv::Rect> regions =
            skin ? searchRegions(*skin, smallest) : std::vector<cv::Rect>{cv::Rect(0, 0, grey.cols, grey.rows)};
        const auto search = [&](const cv::Mat& image, bool mirrored) {
            std::vector<cv::Rect> boxes;
            const std::lock_guard<std::mutex> lock(found.mutex);
            for (cv::Rect region : regions) {
                if (mirrored)
                    region.x = image.cols - region.x - region.width;
                std::vector<cv::Rect> inRegion;
                found.cascade.detectMultiScale(image(region), inRegion, kScaleStep, kNeighbours, 0,
                                               cv::Size(smallest, smallest));
                for (cv::Rect box : inRegion) {
                    box += region.tl();
                    if (mirrored)
                        box.x = image.cols - box.x - box.width;
                    if (!skin || hasSkinInItsMiddle(*skin, box))
                        boxes.push_back(box);
                }
            }
            return boxes;
        };
        std::vector<cv::Rect> boxes = search(grey, false);
        // The cascade is not symmetric: a face lit from one side, or turned a
        // little, that it passes over is often found in the mirror image. Only
        // where skin vouches for what is found: in grey, the mirror finds faces
        // in chessboards and shirt patterns.
        if (boxes.empty() && skin) {
            cv::Mat mirror;
            cv::flip(grey, mirror, 1);
            boxes = search(mirror, true);
        }
        const QRectF whole(0, 0, picture.width(), picture.height());
        const double sx = double(picture.width()) / searched.width, sy = double(picture.height()) / searched.height;
        std::vector<QRectF> result;
        for (const cv::Rect& box : boxes) {
            const QRectF face = QRectF(box.x * sx, box.y * sy, box.width * sx, box.height * sy) & whole;
            if (!face.isEmpty())
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
