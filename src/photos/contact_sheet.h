#pragma once

#include "photos/photo_batch.h"

#include <QDialog>

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
    TFDopasujZdjecia(std::vector<TCropProposal> proposals, double aspect, QWidget* parent = nullptr);
    ~TFDopasujZdjecia() override;

    const std::vector<TCropProposal>& proposals() const { return m_proposals; }
    // Opens the photo editor on proposal `index`; true when the user took its result.
    bool adjust(int index);

    static constexpr int kThumbHeight = 120;

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
    bool m_filling = false;
};

} // namespace wendolarka::photos
