#include "image_set_window.h"

#include "controls/image.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "sizer/size_control.h"
#include "widgets/form_setup.h"

#include <QCloseEvent>
#include <QShowEvent>

namespace wendolarka {
namespace {

constexpr QSize kOuterSize{443, 507};

constexpr std::array<QPoint, TForm3::kPictures> kPicturePlaces = {
    QPoint(8, 8),  QPoint(40, 8),  QPoint(72, 8),  QPoint(104, 8),  QPoint(128, 8),
    QPoint(8, 32), QPoint(40, 32), QPoint(72, 32), QPoint(104, 32), QPoint(128, 32)};

} // namespace

TForm3::TForm3(QWidget* parent) : THostForm(parent) {
    initForm(*this, {QStringLiteral("Form3"), QStringLiteral("Okno tworzenia zestawów graficznych"), kOuterSize - kToolWindowFrame, clWhite,
                     TFont(QStringLiteral("MS Sans Serif"), 8), true});
    // Its outer size and corner are those of the window manager's frame, whatever frame that is.
    new TOuterFrameKeeper(*this, kOuterSize, [this] { return desktopCorner(); });
    client().setColor(clWhite);
    const TPicture placeholder = placeholderPicture();
    for (int k = 1; k <= kPictures; ++k) {
        TImage* image = createControl<TImage>(QStringLiteral("Image%1").arg(k));
        const QPoint place = kPicturePlaces[static_cast<std::size_t>(k - 1)];
        image->SetBounds(place.x(), place.y(), 16, 16);
        image->setPicture(placeholder);
        m_images[static_cast<std::size_t>(k - 1)] = image;
    }
    Image_z_BMP = createControl<TImage>(QStringLiteral("Image_z_BMP"));
    Image_z_BMP->SetBounds(8, 400, 16, 16);
    Image_z_BMP->setPicture(placeholder);
    Image_z_BMP->setVisible(false);
}

TForm3::~TForm3() { delete SizeControl3.data(); }

TPicture TForm3::placeholderPicture() {
    QImage square(16, 16, QImage::Format_Mono);
    square.setColor(0, qRgb(0, 0, 0));
    square.setColor(1, qRgb(255, 255, 255));
    square.fill(1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool outer = x < 2 || y < 2 || x > 13 || y > 13;
            const bool inner = x >= 5 && x <= 10 && y >= 5 && y <= 10 && (x == 5 || x == 10 || y == 5 || y == 10);
            if (outer || inner)
                square.setPixel(x, y, 0);
        }
    return TPicture(std::make_unique<TBitmap>(square));
}

QPoint TForm3::desktopCorner() const {
    static const QtDesktop systemDesktop;
    return (m_desktop ? *m_desktop : systemDesktop).VirtualDesktop().topLeft();
}

void TForm3::ShowAtCorner() {
    // Placed before it is mapped too: a window manager places a new window by
    // itself otherwise. A window already shown stays where the user put it.
    if (!isVisible())
        move(desktopCorner());
    show();
    raise();
}

void TForm3::FormShow() {
    Image_z_BMP->setVisible(false);
    move(desktopCorner());
    // A fresh sizer each showing, so the window has exactly one while shown.
    delete SizeControl3.data();
    auto* sizer = new TSizeControl(this);
    sizer->setObjectName(QStringLiteral("SizeControl3"));
    sizer->setGridSize(19);
    sizer->setSnapToGrid(false);
    sizer->setMouseButtons(mouseButtons({mbLeft}));
    SizeControl3 = sizer;
    for (TImage* image : m_images) {
        image->setAutoSize(true);
        image->setStretch(false);
        image->setCenter(true);
    }
    cb1Click();
}

void TForm3::FormResize() {
    const IImageSetHost* const mainWindow = host();
    setWindowTitle(sizeReadout(width(), height(), mainWindow ? mainWindow->passPixelsPerInch() : 96));
}

void TForm3::FormClose() {
    // Loaded pictures are thrown away; the places stay for the next showing.
    const TPicture placeholder = Image_z_BMP->Picture();
    for (TImage* image : m_images) {
        image->setPicture(TPicture());
        image->setPicture(placeholder);
    }
    delete SizeControl3.data();
}

void TForm3::cb1Click() {
    IImageSetHost* const mainWindow = host();
    if (!mainWindow)
        return;
    const std::array<bool, kPictures> checked = mainWindow->pictureBoxesChecked();
    for (int k = 1; k <= kPictures; ++k) {
        const bool shown = checked[static_cast<std::size_t>(k - 1)];
        picture(k)->setVisible(shown);
        mainWindow->showLoadItem(k, shown);
    }
}

void TForm3::loadPicture(int k, const QString& fileName) {
    const TPicture loaded = TPicture::LoadFromFile(fileName);
    TImage* image = picture(k);
    image->setPicture(loaded); // auto-size keeps the top-left corner
    image->Invalidate();
}

void TForm3::showEvent(QShowEvent* event) {
    THostForm::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    FormResize();
}

void TForm3::resizeEvent(QResizeEvent* event) {
    THostForm::resizeEvent(event);
    FormResize();
}

void TForm3::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept(); // hidden, not destroyed
}

namespace image_set_commands {

bool loadPictureWithDialog(TForm3& form, int k, IDialogs& dialogs) {
    FileDialogOptions options;
    options.filter = QString::fromUtf8("Pliki graficzne JPG i BMP|*.jpg;*.bmp|Pliki JPG|*.jpg|Pliki BMP|*.bmp|Dowolny plik (*.*)|*.*");
    options.place = TFilePlace::Pictures;
    options.filterIndex = 0; // the type chosen last time
    const auto chosen = dialogs.OpenFile(options);
    if (!chosen)
        return false;
    form.loadPicture(k, chosen->fileName);
    return true;
}

} // namespace image_set_commands

} // namespace wendolarka
