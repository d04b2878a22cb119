#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace wendolarka {

class TRecentPlaces;

// What of a window's last place comes back in the next run. Windows the
// program places at each showing (centred, in a corner) keep that and get
// back only their size.
enum class TKeptPart { PlaceAndSize, SizeOnly };

// The geometries of the screens present now.
QList<QRect> presentScreens();

// Gives the window what `places` kept of it under `key` when that still fits
// one of the screens (else it keeps the place it was given), and keeps its
// place again each time it hides. `places` must outlive the window.
void keepWindowPlace(QWidget& window, TRecentPlaces& places, const QString& key, TKeptPart part,
                     const QList<QRect>& screens = presentScreens());

} // namespace wendolarka
