#pragma once

#include "photos/camera.h"

#include <deque>
#include <vector>

namespace wendolarka {

// Cameras as a test scripts them: each picture taken is the next prepared one
// (none prepared, or nullopt: the user cancelled the preview).
class ScriptedCamera final : public photos::ICameraService {
public:
    QStringList names;
    std::deque<std::optional<QImage>> pictures;
    std::vector<int> requests; // the camera asked for, each time

    QStringList cameras() const override { return names; }
    std::optional<QImage> takePicture(int index, QWidget*) override {
        requests.push_back(index);
        if (pictures.empty())
            return std::nullopt;
        std::optional<QImage> next = pictures.front();
        pictures.pop_front();
        return next;
    }
};

} // namespace wendolarka
