#pragma once

#include "photos/photo_edit.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QSlider;

namespace wendolarka::photos {

class TCropView;

// "Przytnij zdjęcie": the whole photo with a crop frame locked to the pass's
// photo element's proportions, moved and resized by mouse and arrow keys;
// turns by a quarter both ways, a fine straightening, brightness and contrast,
// "Dopasuj do twarzy", OK and Anuluj. Anuluj changes nothing; after OK,
// storedResult() is the photo as it is stored (empty until then).
class TFZdjecie final : public QDialog {
public:
    // `aspect`: width / height of the pass's photo element (48 / 60 in the standard layout).
    // With `start` the editor opens as that edit left the photo, else with the
    // frame around the face.
    TFZdjecie(QImage picture, double aspect, QWidget* parent = nullptr,
              const std::optional<TPhotoEdit>& start = std::nullopt);
    ~TFZdjecie() override;

    const TPhotoEdit& edit() const { return m_edit; }
    QImage result() const;
    QByteArray storedResult() const;

    TCropView* view = nullptr;
    QPushButton* btnObrocLewo = nullptr;
    QPushButton* btnObrocPrawo = nullptr;
    QSlider* sldProstowanie = nullptr;
    QSlider* sldJasnosc = nullptr;
    QSlider* sldKontrast = nullptr;
    QPushButton* btnDopasuj = nullptr;
    QLabel* lblUwaga = nullptr;   // why "Dopasuj do twarzy" left the frame as it was
    QLabel* lblRozmiar = nullptr; // the stored photo's size in pixels
    QPushButton* btnOK = nullptr;
    QPushButton* btnAnuluj = nullptr;

private:
    // The turned picture's size: the space the crop frame lives in.
    QSizeF workingSize() const;
    void turn(int quarters);
    void fitToFace();
    std::optional<QRectF> largestFaceHere() const;
    void placeFrame(const std::optional<QRectF>& face);
    void straightenPreview();
    void tonePreview();
    QImage toned() const;
    void showValues();
    void showSize();

    QImage m_picture;
    double m_aspect;
    TPhotoEdit m_edit;
    QImage m_preview;      // a smaller copy of the picture, for the view
    QImage m_straightened; // that copy turned and straightened
    QLabel* m_valProstowanie = nullptr;
    QLabel* m_valJasnosc = nullptr;
    QLabel* m_valKontrast = nullptr;
};

} // namespace wendolarka::photos
