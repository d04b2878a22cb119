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
// face on a pass photo is always far larger.
constexpr double kSmallestFace = 0.1;
// Faces are told at the scale where the smallest is two cascade windows: the
// cascade then steps one window pixel at a time and finds faces barely
// larger than its window surely. That costs four times what a first look at
// half that scale costs, so the picture is first looked over there, each
// doubling of face size on a copy half as large (the cascade steps two
// pixels there), taking every window it answers to; faces are then told
// only around those, at sizes near theirs.
constexpr double kWindowsPerSmallest = 2.0;
// Told never larger than this, whatever the cascade's window.
constexpr int kLongestSearched = 640;
// Around a first look's hit, faces are told this far on each side, as a part
// of its size, and this many times smaller or larger.
constexpr double kAroundHit = 0.5;
constexpr double kSizesAroundHit = 1.5;
// The least part of the middle of a face box that is skin in a colour
// picture; a first look's hit needs half of that.
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

// Where skin is in a colour picture (1) and how many of its pixels have colour.
cv::Mat skinPixels(const cv::Mat& colour, bool rgb, int* coloured = nullptr) {
    cv::Mat map(colour.size(), CV_8UC1);
    const int step = colour.channels();
    const int red = rgb ? 0 : 2, blue = rgb ? 2 : 0;
    int withColour = 0;
    for (int y = 0; y < colour.rows; ++y) {
        const uchar* in = colour.ptr<uchar>(y);
        uchar* out = map.ptr<uchar>(y);
        for (int x = 0; x < colour.cols; ++x, in += step) {
            const TChroma chroma(in[red], in[1], in[blue]);
            withColour += chroma.coloured() ? 1 : 0;
            out[x] = chroma.skin() ? 1 : 0;
        }
    }
    if (coloured)
        *coloured = withColour;
    return map;
}

// Where skin is on a copy of a colour picture; nothing when it has too little
// colour to tell skin by (a greyscale photo, or nearly one).
std::optional<cv::Mat> skinMap(const cv::Mat& colour, bool rgb) {
    if (colour.channels() == 1)
        return std::nullopt;
    int coloured = 0;
    cv::Mat map = skinPixels(colour, rgb, &coloured);
    if (coloured * 20 < map.rows * map.cols)
        return std::nullopt;
    return map;
}

// Rectangles that overlap are joined, so no part is searched twice.
template <typename Item, typename Area, typename Join>
void joinOverlapping(std::vector<Item>& items, Area area, Join join) {
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t a = 0; a < items.size() && !merged; ++a)
            for (size_t b = a + 1; b < items.size() && !merged; ++b)
                if ((area(items[a]) & area(items[b])).area() > 0) {
                    join(items[a], items[b]);
                    items.erase(items.begin() + std::ptrdiff_t(b));
                    merged = true;
                }
    }
}

// The parts of a picture a face may be in: around each patch of skin, with
// room for a face box whose middle the patch is. A face the cascade found
// elsewhere would be refused for its lack of skin anyway.
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
                             stats.at<int>(i, cv::CC_STAT_WIDTH),
                             stats.at<int>(i, cv::CC_STAT_HEIGHT));
        const int margin = std::max({patch.width / 2, patch.height / 2, smallest});
        const cv::Rect region = cv::Rect(patch.x - margin, patch.y - margin,
                                         patch.width + 2 * margin, patch.height + 2 * margin) &
                                all;
        if (region.width >= smallest && region.height >= smallest)
            regions.push_back(region);
    }
    joinOverlapping(
        regions, [](const cv::Rect& r) { return r; },
        [](cv::Rect& a, const cv::Rect& b) { a |= b; });
    return regions;
}

// A cascade also answers to patterns of hair, collars and shadows; in a
// colour picture the middle of a real face is skin.
bool hasSkinInItsMiddle(const cv::Mat& skin, const cv::Rect& box, double share = kSkinShare) {
    const cv::Rect middle = cv::Rect(box.x + box.width / 4, box.y + box.height / 4,
                                     std::max(1, box.width / 2), std::max(1, box.height / 2)) &
                            cv::Rect(0, 0, skin.cols, skin.rows);
    if (middle.empty())
        return false;
    return cv::countNonZero(skin(middle)) >= share * middle.area();
}

// The picture made smaller: halved while it stays at least the size asked
// for (OpenCV averages two by two fast, other factors far slower), the rest
// of the way, less than a half, bilinear.
cv::Mat shrunk(const cv::Mat& picture, cv::Size size) {
    cv::Mat image = picture;
    while (image.cols / 2 >= size.width && image.rows / 2 >= size.height) {
        cv::Mat half;
        cv::resize(image(cv::Rect(0, 0, image.cols / 2 * 2, image.rows / 2 * 2)), half,
                   cv::Size(image.cols / 2, image.rows / 2), 0, 0, cv::INTER_AREA);
        image = half;
    }
    if (image.size() == size)
        return image;
    cv::Mat resized;
    cv::resize(image, resized, size, 0, 0, cv::INTER_LINEAR);
    return resized;
}

cv::Rect mirroredIn(cv::Rect box, int width) {
    box.x = width - box.x - box.width;
    return box;
}

// Where to tell faces: a part of the searched picture and the face sizes there.
struct TArea {
    cv::Rect region;
    int least, most;
};

void joinAreas(std::vector<TArea>& areas) {
    joinOverlapping(
        areas, [](const TArea& a) { return a.region; },
        [](TArea& a, const TArea& b) {
            a.region |= b.region;
            a.least = std::min(a.least, b.least);
            a.most = std::max(a.most, b.most);
        });
}

} // namespace

bool faceFinderAvailable() {
    return detector().loaded;
}

std::vector<QRectF> faces(const QImage& picture) {
    if (picture.isNull() || picture.width() < 8 || picture.height() < 8)
        return {};
    TDetector& found = detector();
    if (!found.loaded)
        return {};
    try {
        const TPixels pixels = pixelsOf(picture);
        const cv::Size window = found.window;
        const int windowSide = std::max(window.width, window.height);
        const int shorter = std::min(picture.width(), picture.height());
        const int longer = std::max(picture.width(), picture.height());
        const double smallestFace = kSmallestFace * shorter;

        // The first look, where the smallest face is one window.
        const double lookScale =
            std::min({1.0, windowSide / smallestFace,
                      double(kLongestSearched) / kWindowsPerSmallest / longer});
        const cv::Size looked(std::max(1, int(std::lround(picture.width() * lookScale))),
                              std::max(1, int(std::lround(picture.height() * lookScale))));
        const cv::Mat lookColour = shrunk(pixels.mat, looked);
        cv::Mat lookGrey = lookColour;
        if (pixels.toGrey >= 0)
            cv::cvtColor(lookColour, lookGrey, pixels.toGrey);
        const int lookSmallest = std::max(
            windowSide, int(std::lround(kSmallestFace * std::min(looked.width, looked.height))));
        const std::optional<cv::Mat> lookSkin = skinMap(lookColour, pixels.rgb);
        const std::vector<cv::Rect> regions =
            lookSkin ? searchRegions(*lookSkin, lookSmallest)
                     : std::vector<cv::Rect>{cv::Rect(0, 0, looked.width, looked.height)};
        if (regions.empty())
            return {};
        // Each doubling of size on a copy half as large: the cascade then
        // steps two pixels (it steps one on faces over twice its window).
        std::vector<cv::Mat> octaves{lookGrey};
        while (octaves.back().cols / 2 >= window.width && octaves.back().rows / 2 >= window.height)
            octaves.push_back(
                shrunk(octaves.back(), cv::Size(octaves.back().cols / 2, octaves.back().rows / 2)));

        // Faces are told where the smallest is two windows, on a picture made
        // smaller by a whole divisor.
        const double scale = std::min({1.0, kWindowsPerSmallest * windowSide / smallestFace,
                                       double(kLongestSearched) / longer});
        const int divisor = std::max(1, int(std::floor(1.0 / scale + 1e-9)));
        const cv::Size searched(std::max(1, picture.width() / divisor),
                                std::max(1, picture.height() / divisor));
        const int smallest =
            std::max(windowSide,
                     int(std::lround(kSmallestFace * std::min(searched.width, searched.height))));
        const cv::Rect wholeSearched(0, 0, searched.width, searched.height);
        const double lookToSearched = double(searched.width) / looked.width;

        const std::lock_guard<std::mutex> lock(found.mutex);
        // The first look's hits, as areas of the searched picture to tell faces in.
        const auto look = [&](bool mirrored) {
            std::vector<TArea> areas;
            double factor = 1; // from an octave's pixels to the first look's
            for (size_t o = 0; o < octaves.size(); ++o, factor *= 2) {
                cv::Mat image = octaves[o];
                if (mirrored)
                    cv::flip(octaves[o], image, 1);
                const bool last = o + 1 == octaves.size();
                const cv::Rect all(0, 0, image.cols, image.rows);
                for (cv::Rect region : regions) {
                    const int left = int(region.x / factor), top = int(region.y / factor);
                    region = cv::Rect(left, top, int(std::ceil(region.br().x / factor)) - left,
                                      int(std::ceil(region.br().y / factor)) - top) &
                             all;
                    if (mirrored)
                        region = mirroredIn(region, image.cols);
                    if (region.width < window.width || region.height < window.height)
                        continue;
                    std::vector<cv::Rect> hits;
                    found.cascade.detectMultiScale(image(region), hits, kScaleStep, 0, 0, window,
                                                   last ? cv::Size() : window * 2 - cv::Size(1, 1));
                    for (cv::Rect hit : hits) {
                        hit += region.tl();
                        if (mirrored)
                            hit = mirroredIn(hit, image.cols);
                        const cv::Rect inLook(int(hit.x * factor), int(hit.y * factor),
                                              int(hit.width * factor), int(hit.height * factor));
                        if (lookSkin && !hasSkinInItsMiddle(*lookSkin, inLook, kSkinShare / 2))
                            continue;
                        const double side = inLook.width * lookToSearched;
                        const int around = int(std::ceil(kAroundHit * side));
                        const cv::Rect at(int(inLook.x * lookToSearched) - around,
                                          int(inLook.y * lookToSearched) - around,
                                          int(std::ceil(side)) + 2 * around,
                                          int(std::ceil(inLook.height * lookToSearched)) +
                                              2 * around);
                        areas.push_back({at & wholeSearched, int(side / kSizesAroundHit),
                                         int(std::ceil(side * kSizesAroundHit))});
                    }
                }
            }
            return areas;
        };
        std::vector<TArea> areas = look(false);
        joinAreas(areas);

        // Faces told about the first look's hits, on copies of those parts.
        const auto tell = [&](const std::vector<TArea>& where, bool mirrored) {
            std::vector<cv::Rect> boxes;
            for (const TArea& area : where) {
                const cv::Rect& region = area.region;
                const int least = std::max(smallest, area.least);
                if (region.width < least || region.height < least)
                    continue;
                const cv::Mat source =
                    pixels.mat(cv::Rect(region.x * divisor, region.y * divisor,
                                        region.width * divisor, region.height * divisor));
                cv::Mat colour = source;
                if (divisor > 1)
                    cv::resize(source, colour, region.size(), 0, 0, cv::INTER_AREA);
                cv::Mat grey = colour;
                if (pixels.toGrey >= 0)
                    cv::cvtColor(colour, grey, pixels.toGrey);
                if (mirrored)
                    cv::flip(grey, grey, 1);
                std::vector<cv::Rect> inRegion;
                found.cascade.detectMultiScale(grey, inRegion, kScaleStep, kNeighbours, 0,
                                               cv::Size(least, least),
                                               cv::Size(area.most, area.most));
                if (inRegion.empty())
                    continue;
                const std::optional<cv::Mat> skin =
                    lookSkin ? std::optional<cv::Mat>(skinPixels(colour, pixels.rgb))
                             : std::nullopt;
                for (cv::Rect box : inRegion) {
                    if (mirrored)
                        box = mirroredIn(box, grey.cols);
                    if (!skin || hasSkinInItsMiddle(*skin, box))
                        boxes.push_back(box + region.tl());
                }
            }
            return boxes;
        };
        std::vector<cv::Rect> boxes = tell(areas, false);
        // The cascade is not symmetric: a face lit from one side, or turned a
        // little, that it passes over is often found in the mirror image. Only
        // where skin vouches for what is found: in grey, the mirror finds faces
        // in chessboards and shirt patterns.
        if (boxes.empty() && lookSkin) {
            std::vector<TArea> inMirror = look(true);
            inMirror.insert(inMirror.end(), areas.begin(), areas.end());
            joinAreas(inMirror);
            boxes = tell(inMirror, true);
        }
        const QRectF whole(0, 0, picture.width(), picture.height());
        const double sx = double(picture.width()) / searched.width,
                     sy = double(picture.height()) / searched.height;
        std::vector<QRectF> result;
        for (const cv::Rect& box : boxes) {
            const QRectF face =
                QRectF(box.x * sx, box.y * sy, box.width * sx, box.height * sy) & whole;
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
