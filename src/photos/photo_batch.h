#pragma once

#include "photos/photo_edit.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace wendolarka {
class ISQLiteDatabase;
}

namespace wendolarka::photos {

// A stored photo that lacks the proportions of the pass's photo element, with
// the crop proposed for it.
struct TCropProposal {
    std::int64_t id = 0;
    QString name;      // "Jan Kowalski", for the contact sheet
    QImage picture;    // the stored photo as shown (upright)
    TPhotoEdit edit;   // the proposed crop (no turn, no levels)
    bool faceFound = false;
    bool accepted = true;
};

// Whether a picture already has the element's proportions (within a pixel of
// rounding on the shorter side, or 2 %).
bool hasAspect(QSize picture, double aspect);

// Called with (done, total); false cancels.
using TCropProgress = std::function<bool(int, int)>;

// Proposals for the persons of `ids` (empty: all, in surname order) whose
// stored photo can be read and lacks the aspect: each crop placed around the
// largest face, or on the upper middle without one. Nothing is written.
// Cancelled: what was proposed up to then.
std::vector<TCropProposal> proposeCrops(ISQLiteDatabase& db, const std::vector<std::int64_t>& ids, double aspect,
                                        const TCropProgress& progress = {});

struct TCropWrite {
    int written = 0;
    bool cancelled = false; // then nothing was written
};

// The accepted proposals' cropped photos, stored by the photo rules, written
// as one change: a cancel or a failure leaves every photo as it was.
TCropWrite writeCrops(ISQLiteDatabase& db, const std::vector<TCropProposal>& proposals,
                      const TCropProgress& progress = {});

} // namespace wendolarka::photos
