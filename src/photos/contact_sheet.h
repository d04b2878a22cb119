#pragma once

#include "photos/photo_batch.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace wendolarka::photos {

// "Dopasuj zdjęcia osób": a contact sheet of the persons whose photo lacks the
// pass's proportions, each with its proposed crop; a tick keeps or skips a
// proposal, a double click (or Enter) opens the photo editor on it. After
// Accepted, proposals() holds the choices; nothing is written here.
class TFDopasujZdjecia final : public QDialog {
public:
    // The stored photo of a person, by id: decoded only to be adjusted.
    using TPictureSource = std::function<QImage(std::int64_t id)>;
    TFDopasujZdjecia(std::vector<TCropProposal> proposals, double aspect, TPictureSource pictures,
                     QWidget* parent = nullptr);
    ~TFDopasujZdjecia() override;

    const std::vector<TCropProposal>& proposals() const { return m_proposals; }
    // Opens the photo editor on proposal `index`; true when the user took its result.
    bool adjust(int index);

    static constexpr int kThumbHeight = kThumbnailSide;

    QListWidget* lstZdjecia = nullptr;
    QLabel* lblStan = nullptr;
    QPushButton* btnWszystkie = nullptr;
    QPushButton* btnZadne = nullptr;
    QPushButton* btnZapisz = nullptr;
    QPushButton* btnAnuluj = nullptr;

private:
    void showItem(int index);
    void showState();

    std::vector<TCropProposal> m_proposals;
    double m_aspect;
    TPictureSource m_pictures;
    bool m_filling = false;
};

} // namespace wendolarka::photos
