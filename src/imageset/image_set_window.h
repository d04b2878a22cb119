#pragma once

#include "controls/host_form.h"
#include "core/picture.h"

#include <QPointer>
#include <array>

namespace wendolarka {

class IDesktop;
class IDialogs;
class TImage;
class TSizeControl;

// What the image set window needs of the main window: the ten "show picture k"
// boxes and the ten "Obraz k" load items.
class IImageSetHost {
public:
    virtual ~IImageSetHost() = default;
    virtual std::array<bool, 10> pictureBoxesChecked() const = 0;
    virtual void showLoadItem(int picture, bool visible) = 0; // picture 1..10
    // The pass window's pixels per inch, for the size readout.
    virtual int passPixelsPerInch() const = 0;
};

// The image set window (Formatka II): up to ten pictures laid out freely and
// moved with a sizer; nothing of it is kept after it closes but its positions.
class TForm3 : public THostForm {
    Q_OBJECT
public:
    static constexpr int kPictures = 10;

    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    template <typename Host>
    void setHost(Host* host) {
        m_hostObject = host;
        m_host = host;
    }
    IImageSetHost* host() const { return m_hostObject ? m_host : nullptr; }
    // Where the desktop's corner is; the system's by default.
    void setDesktop(const IDesktop* desktop) { m_desktop = desktop; }

    // The 16 x 16 black-on-white square every picture starts with.
    static TPicture placeholderPicture();

    TImage* picture(int k) const { return m_images[static_cast<std::size_t>(k - 1)]; } // k = 1..10
    TImage* Image_z_BMP = nullptr;
    QPointer<TSizeControl> SizeControl3;

    // Shown at the desktop's top-left corner and brought to the front.
    void ShowAtCorner();
    void FormShow();
    void FormResize();
    void FormClose();
    // Picture k is shown, and its load item listed, exactly when box k is checked.
    void cb1Click();
    // Loads a file into picture k (by its extension); on failure the old picture stays.
    void loadPicture(int k, const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPoint desktopCorner() const;

    std::array<TImage*, kPictures> m_images{};
    QPointer<QObject> m_hostObject;
    IImageSetHost* m_host = nullptr;
    const IDesktop* m_desktop = nullptr;
};

namespace image_set_commands {
// "Obraz k": the open dialog, then the chosen file into picture k. Returns whether a file was loaded.
bool loadPictureWithDialog(TForm3& form, int k, IDialogs& dialogs);
} // namespace image_set_commands

} // namespace wendolarka
