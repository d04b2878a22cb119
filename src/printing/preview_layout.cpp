#include "preview_layout.h"

#include "core/arithmetic.h"

#include <algorithm>

namespace wendolarka {

TPaperBox ComputePaperBox(TZoomState state, int zoom, QSize available, QSize page, int frame) {
    const auto outer = [frame](int x) { return x + frame; };
    const auto inner = [frame](int x) { return x - frame; };
    if (state == zsZoomOther)
        return {QSize(outer(MulDiv(page.width(), zoom, 100)), outer(MulDiv(page.height(), zoom, 100))), zoom};
    if (state == zsZoomToFit) {
        const bool wider = available.width() > 0 && page.width() > 0 &&
                           static_cast<double>(available.height()) / available.width() >
                               static_cast<double>(page.height()) / page.width();
        state = wider ? zsZoomToWidth : zsZoomToHeight;
    }
    QSize size;
    if (state == zsZoomToWidth)
        size = QSize(available.width(), outer(MulDiv(inner(available.width()), page.height(), page.width())));
    else
        size = QSize(outer(MulDiv(inner(available.height()), page.width(), page.height())), available.height());
    const int fitted = page.height() > 0 ? static_cast<int>(Round(inner(size.height()) * 100.0 / page.height())) : zoom;
    return {size, fitted};
}

int clampZoom(int zoom, int zoomMin, int zoomMax) { return std::clamp(zoom, zoomMin, std::max(zoomMin, zoomMax)); }

int TWheelAccumulator::add(int delta) {
    // Saturating: a flood of huge deltas cannot overflow the sum.
    const long long sum = static_cast<long long>(m_value) + delta;
    m_value = static_cast<int>(std::clamp<long long>(sum, -1'000'000'000LL, 1'000'000'000LL));
    const int notches = m_value / 120;
    m_value -= notches * 120;
    return notches;
}

} // namespace wendolarka
