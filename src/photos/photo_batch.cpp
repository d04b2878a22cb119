#include "photos/photo_batch.h"

#include "core/image_codecs.h"
#include "core/picture.h"
#include "database/person_table.h"
#include "photos/face_finder.h"

#include <cmath>

namespace wendolarka::photos {
namespace {

// The stored photo as shown, or a null image for none or one that cannot be read.
QImage shownPhoto(const QByteArray& stored) {
    try {
        return TPicture::FromStoredBytes(stored).image();
    } catch (const Exception&) {
        return {}; // an unreadable photo has nothing to crop; the editing window says why when it is shown
    }
}

} // namespace

QImage thumbnailOf(const QImage& picture, const TPhotoEdit& edit) {
    const QImage edited = applyPhotoEdit(picture, edit);
    if (edited.isNull())
        return edited;
    return edited.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage storedPicture(ISQLiteDatabase& db, std::int64_t id) {
    const auto table = person_table::SelectById(db, id);
    if (table->Count() == 0)
        return {};
    const TPersonRow person = person_table::ReadRow(*table);
    return person.picture ? shownPhoto(*person.picture) : QImage();
}

bool hasAspect(QSize picture, double aspect) {
    if (picture.isEmpty() || !(aspect > 0))
        return true;
    const double width = picture.height() * aspect;
    return std::abs(width - picture.width()) <= std::max(1.0, 0.02 * picture.width());
}

std::vector<TCropProposal> proposeCrops(ISQLiteDatabase& db, const std::vector<std::int64_t>& ids, double aspect,
                                        const TCropProgress& progress) {
    const std::vector<std::int64_t> chosen = ids.empty() ? person_table::IdsInSurnameOrder(db) : ids;
    std::vector<TCropProposal> proposals;
    int done = 0;
    for (const std::int64_t id : chosen) {
        const auto table = person_table::SelectById(db, id);
        if (table->Count() > 0) {
            const TPersonRow person = person_table::ReadRow(*table);
            const QImage picture = person.picture ? shownPhoto(*person.picture) : QImage();
            if (!picture.isNull() && !hasAspect(picture.size(), aspect)) {
                TCropProposal proposal;
                proposal.id = id;
                proposal.name = (person.texts[1].trimmed() + u' ' + person.texts[2].trimmed()).trimmed();
                proposal.pictureSize = picture.size();
                const std::optional<QRectF> face = largestFace(picture);
                proposal.faceFound = face.has_value();
                proposal.edit.crop = startFrame(QSizeF(picture.size()), aspect, face);
                proposal.thumbnail = thumbnailOf(picture, proposal.edit);
                proposals.push_back(std::move(proposal));
            }
        }
        if (progress && !progress(++done, int(chosen.size())))
            break;
    }
    return proposals;
}

TCropWrite writeCrops(ISQLiteDatabase& db, const std::vector<TCropProposal>& proposals, const TCropProgress& progress) {
    TCropWrite result;
    person_table::TPersonBatch batch(db);
    int done = 0;
    for (const TCropProposal& proposal : proposals) {
        if (proposal.accepted) {
            const QImage picture = storedPicture(db, proposal.id);
            if (!picture.isNull()) {
                batch.updatePhoto(proposal.id, storedPhoto(applyPhotoEdit(picture, proposal.edit)));
                ++result.written;
            }
        }
        if (progress && !progress(++done, int(proposals.size()))) {
            batch.rollBack();
            return {0, true};
        }
    }
    batch.commit();
    return result;
}

} // namespace wendolarka::photos
