#pragma once

#include <QImage>
#include <QRectF>

#include <optional>
#include <vector>

namespace wendolarka::photos {

// Whether faces can be found here: the program was built with OpenCV and a
// frontal face cascade of Debian's opencv-data was found at run time.
bool faceFinderAvailable();

// The frontal faces in the picture (in its pixels), largest first. A face box
// reaches roughly from the middle of the forehead to the chin. Faces smaller than a tenth of
// the picture's shorter side are not looked for: no pass photo has them. In a
// colour picture a face is skin-coloured in its middle (the detector alone also
// answers to hair, collars and shadows); in a greyscale one that is not asked.
// Empty when none was found or faces cannot be found here.
std::vector<QRectF> faces(const QImage& picture);

// The largest frontal face in the picture (in its pixels), if any was found.
std::optional<QRectF> largestFace(const QImage& picture);

} // namespace wendolarka::photos
