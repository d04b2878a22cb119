#pragma once

#include "core/picture.h"

namespace wendolarka {

// The 48 x 59, 256-colour portrait the standard pass shows before any person.
TPicture samplePortrait();
// The 32 x 32 icon of the standard pass's fixed image.
TPicture sampleIcon();

} // namespace wendolarka
