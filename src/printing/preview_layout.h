#pragma once

#include <QSize>

// The print preview's zoom arithmetic, apart from any widget.
namespace wendolarka {

enum TZoomState { zsZoomOther, zsZoomToWidth, zsZoomToHeight, zsZoomToFit };

struct TPaperBox {
    QSize size; // of the paper control, border and shadow included
    int zoom;   // percent; recomputed for every state but zsZoomOther
};

// The paper control's size for an available area. `frame` is what the control
// adds to the page: 2 x border + shadow.
TPaperBox ComputePaperBox(TZoomState state, int zoom, QSize available, QSize pageExtent, int frame);

// A zoom brought into ZoomMin .. ZoomMax.
int clampZoom(int zoom, int zoomMin, int zoomMax);

// Wheel deltas add up; every 120 of them is one notch. Returns the notches to
// act on now: positive for the wheel turned away from the user.
class TWheelAccumulator {
public:
    int add(int delta);
    int value() const { return m_value; }

private:
    int m_value = 0;
};

} // namespace wendolarka
