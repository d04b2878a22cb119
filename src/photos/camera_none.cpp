#include "photos/camera.h"

namespace wendolarka::photos {
namespace {

// Built without Qt Multimedia: there is no camera to offer.
class NoCameraService final : public ICameraService {
public:
    QStringList cameras() const override { return {}; }
    std::optional<QImage> takePicture(int, QWidget*) override { return std::nullopt; }
};

} // namespace

std::unique_ptr<ICameraService> makeCameraService() { return std::make_unique<NoCameraService>(); }

} // namespace wendolarka::photos
