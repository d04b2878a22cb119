#pragma once

#include "core/color.h"

#include <QString>

namespace wendolarka {

// What the pass window reads from and writes to the main window's controls.
// Frames are numbered as in kFrameElements: 0 the border, 1-5 frames 1-5.
// Writing a control runs its own handler, as a user's change would.
class IPassWindowHost {
public:
    virtual ~IPassWindowHost() = default;
    virtual void closeImageSetWindow() = 0;
    virtual void showFrameColor(int frame, TColor color) = 0;
    virtual void showWindowColor(TColor color) = 0;
    virtual void showFrameWidth(int frame, int width) = 0;
    virtual void showVisibility(const QString& elementName, bool visible) = 0;
    virtual TColor frameColorShown(int frame) const = 0;
    virtual TColor windowColorShown() const = 0;
    virtual int frameWidthShown(int frame) const = 0;
};

} // namespace wendolarka
