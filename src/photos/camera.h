#pragma once

#include <QImage>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace wendolarka::photos {

// The cameras at the desk. Behind an interface so the way from a picture taken
// to a stored photo is tested without a device.
class ICameraService {
public:
    virtual ~ICameraService() = default;
    // The cameras there are, by their descriptions; empty without any.
    virtual QStringList cameras() const = 0;
    // Shows a live preview of camera `index` over `parent` until the user takes
    // a picture (Space or the button) or cancels; nullopt when cancelled.
    virtual std::optional<QImage> takePicture(int index, QWidget* parent) = 0;
};

// Qt Multimedia's cameras; without Qt Multimedia in the build, a service with none.
std::unique_ptr<ICameraService> makeCameraService();

} // namespace wendolarka::photos
