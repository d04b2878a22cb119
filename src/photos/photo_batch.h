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
// the crop proposed for it. Only a thumbnail of the crop is kept: the photo
// itself is decoded again when it is adjusted or written, so a sheet of many
// persons does not hold all their pictures.
struct TCropProposal {
    std::int64_t id = 0;
    QString name;       // "Jan Kowalski", for the contact sheet
    QSize pictureSize;  // the stored photo's, as shown (upright)
    TPhotoEdit edit;    // the proposed crop (no turn, no levels)
    QImage thumbnail;   // the edited photo, at most kThumbnailSide pixels on each side
    bool faceFound = false;
    bool accepted = true;
};
inline constexpr int kThumbnailSide = 120;

// The edited picture scaled to fit a thumbnail.
QImage thumbnailOf(const QImage& picture, const TPhotoEdit& edit);

// The person's stored photo as shown (upright); a null image when there is
// none or it cannot be read.
QImage storedPicture(ISQLiteDatabase& db, std::int64_t id);

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

// The accepted proposals' cropped photos (each decoded again from the
// database), stored by the photo rules, written as one change: a cancel or a
// failure leaves every photo as it was.
TCropWrite writeCrops(ISQLiteDatabase& db, const std::vector<TCropProposal>& proposals,
                      const TCropProgress& progress = {});

} // namespace wendolarka::photos
