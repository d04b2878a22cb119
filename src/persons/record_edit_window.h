#pragma once

#include "core/person.h"
#include "core/picture.h"

#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QFrame;

namespace wendolarka {

namespace photos {
class ICameraService;
}

class ErrorHandler;
class IDesktop;
class IDialogs;

// The main window's record commands, as the editing window's buttons call them.
class IRecordCommands {
public:
    virtual ~IRecordCommands() = default;
    virtual void mnuDodajRekordClick() = 0;
    virtual void mnuWstawRekordClick() = 0;
    virtual void mnuDeleteRekordClick() = 0;
    virtual void mnuPierwszyClick() = 0;
    virtual void mnuPoprzedniClick() = 0;
    virtual void mnuNastepnyClick() = 0;
    virtual void mnuOstatniClick() = 0;
};

// The record editing window: the current person's fields and photo in editable
// form, and the buttons of the record commands.
class TFEdycja : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kOuterSize{482, 548};
    // The standard layout's photo element is 48 x 60.
    static constexpr double kStandardPhotoAspect = 48.0 / 60.0;

    explicit TFEdycja(IDialogs& dialogs, QWidget* parent = nullptr);

    void setCommands(IRecordCommands* commands) { m_commands = commands; }
    // Shows what a button's command throws; without one the exception goes on.
    void setErrorHandler(const ErrorHandler* errors) { m_errors = errors; }
    // Where the window places itself: the virtual desktop and the main window's outer height.
    void setPlacement(const IDesktop* desktop, int mainWindowOuterHeight);
    // Left = desktop width - 482 - 70; Top = desktop height - 548 - main window height - 100.
    static QPoint placement(const QRect& virtualDesktop, int mainWindowOuterHeight);
    // The proportions (width / height) of the pass's photo element, asked each
    // time the photo editor opens, since the design can change in between.
    void setPhotoAspect(std::function<double()> aspect) { m_photoAspect = std::move(aspect); }
    double photoAspect() const;
    // The cameras "Zdjęcie z kamery…" takes pictures with; none: no camera.
    void setCameraService(photos::ICameraService* cameras) { m_cameras = cameras; }

    // The eleven edit boxes, in the column order of the person table.
    std::array<QLineEdit*, kPersonTextCount> textEdits() const;
    TPersonTexts texts() const;
    void setTexts(const TPersonTexts& texts);

    // The photo (Image1 shows the whole of it scaled into the box); empty when none.
    const TPicture& photo() const { return m_photo; }
    void setPhoto(const TPicture& photo);
    // The hidden placeholder (Image2): a 3 x 3 JPEG.
    const TPicture& placeholder() const { return m_placeholder; }
    // The photo an add or overwrite stores: the shown one, else the placeholder.
    const TPicture& photoToStore() const { return m_photo.isEmpty() ? m_placeholder : m_photo; }
    // Whether the user changed the photo since the record was shown.
    bool photoChangedByUser() const { return m_photoChanged; }
    void setPhotoChangedByUser(bool changed) { m_photoChanged = changed; }

    void FormShow();
    void btnFotoClick();
    void btnUsuwaClick();
    void btnZerujClick();
    void btnPrzytnijClick();
    void btnKameraClick();
    void ZamknijClick() { close(); }

    QFrame* pnlMain = nullptr;
    QFrame* pnlDolny = nullptr;
    QLabel* StaticText8 = nullptr;
    QLabel* lblBaza = nullptr;
    QLabel* StaticText9 = nullptr;
    QLabel* lblRekordy = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr; // hidden: holds the placeholder
    QLabel* lblRozmiar = nullptr; // the photo's size in pixels, under it
    QPushButton* btnPrzytnij = nullptr;
    QPushButton* btnKamera = nullptr;
    QPushButton* btnFoto = nullptr;
    QPushButton* btnUsuwa = nullptr;
    QPushButton* bitZeruj = nullptr;
    QLineEdit* edTytul = nullptr;
    QLineEdit* edImie = nullptr;
    QLineEdit* edNazwisko = nullptr;
    QLineEdit* edPriorytet = nullptr;
    QLineEdit* edIndeks = nullptr;
    QLineEdit* edAdres1 = nullptr;
    QLineEdit* edAdres2 = nullptr;
    QLineEdit* edTelefon1 = nullptr;
    QLineEdit* edTelefon2 = nullptr;
    QLineEdit* edUsluga1 = nullptr;
    QLineEdit* edUsluga2 = nullptr;
    QLineEdit* edID = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* bitPierwszy = nullptr;
    QPushButton* bitPoprzedni = nullptr;
    QPushButton* bitNastepny = nullptr;
    QPushButton* bitOstatni = nullptr;
    QPushButton* bitDodaj = nullptr;
    QPushButton* btnWstaw = nullptr;
    QPushButton* bitDelete = nullptr;
    QPushButton* btnZamknij = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint placementNow() const;
    // A button's command, through the error handler; the window is active again after it.
    void runCommand(const std::function<void()>& command);
    void buildUpperPanel();
    void buildLowerPanel();
    void showPhoto();
    void fitPhotoToBox();
    bool hasOwnPhoto() const;
    // Opens the photo editor on `picture`; after OK its result becomes the photo.
    void editPhoto(const QImage& picture);

    IDialogs& m_dialogs;
    IRecordCommands* m_commands = nullptr;
    const ErrorHandler* m_errors = nullptr;
    const IDesktop* m_desktop = nullptr;
    int m_mainWindowOuterHeight = 239;
    TPicture m_photo;
    TPicture m_placeholder;
    bool m_photoChanged = false;
    std::function<double()> m_photoAspect;
    photos::ICameraService* m_cameras = nullptr;
};

} // namespace wendolarka
