#include "photos/camera.h"

#include <QCamera>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageCapture>
#include <QKeySequence>
#include <QLabel>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QVideoWidget>

#include <memory>

namespace wendolarka::photos {
namespace {

// A live preview of one camera; Space or "Zrób zdjęcie" takes the picture.
class TCameraWindow final : public QDialog {
public:
    TCameraWindow(const QList<QCameraDevice>& devices, int index, QWidget* parent)
        : QDialog(parent), m_devices(devices) {
        setObjectName(QStringLiteral("FKamera"));
        setWindowTitle(QString::fromUtf8("Zdjęcie z kamery"));
        auto* layout = new QVBoxLayout(this);

        // The choice is offered only when there is one to make.
        if (m_devices.size() > 1) {
            auto* row = new QHBoxLayout;
            auto* caption = new QLabel(QString::fromUtf8("&Kamera:"), this);
            cbKamera = new QComboBox(this);
            cbKamera->setObjectName(QStringLiteral("cbKamera"));
            for (const QCameraDevice& device : m_devices)
                cbKamera->addItem(device.description());
            cbKamera->setCurrentIndex(index);
            caption->setBuddy(cbKamera);
            row->addWidget(caption);
            row->addWidget(cbKamera, 1);
            layout->addLayout(row);
            connect(cbKamera, &QComboBox::currentIndexChanged, this, [this](int chosen) { useCamera(chosen); });
        }

        m_preview = new QVideoWidget(this);
        m_preview->setObjectName(QStringLiteral("Podglad"));
        m_preview->setMinimumSize(320, 240);
        layout->addWidget(m_preview, 1);

        lblStan = new QLabel(this);
        lblStan->setObjectName(QStringLiteral("lblStan"));
        lblStan->setWordWrap(true);
        layout->addWidget(lblStan);

        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        btnZrob = new QPushButton(QString::fromUtf8("&Zrób zdjęcie"), this);
        btnZrob->setObjectName(QStringLiteral("btnZrob"));
        btnZrob->setDefault(true);
        btnZrob->setEnabled(false);
        auto* btnAnuluj = new QPushButton(QString::fromUtf8("Anuluj"), this);
        btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
        buttons->addWidget(btnZrob);
        buttons->addWidget(btnAnuluj);
        layout->addLayout(buttons);
        connect(btnZrob, &QPushButton::clicked, this, &TCameraWindow::take);
        connect(btnAnuluj, &QPushButton::clicked, this, &QDialog::reject);
        connect(new QShortcut(QKeySequence(Qt::Key_Space), this), &QShortcut::activated, this,
                &TCameraWindow::take);

        m_session.setVideoOutput(m_preview);
        m_session.setImageCapture(&m_capture);
        connect(&m_capture, &QImageCapture::readyForCaptureChanged, this, [this](bool ready) {
            btnZrob->setEnabled(ready && !m_taking);
        });
        connect(&m_capture, &QImageCapture::imageCaptured, this, [this](int, const QImage& picture) {
            m_picture = picture;
            accept();
        });
        connect(&m_capture, &QImageCapture::errorOccurred, this, [this](int, QImageCapture::Error, const QString& why) {
            m_taking = false;
            btnZrob->setEnabled(m_capture.isReadyForCapture());
            lblStan->setText(QString::fromUtf8("Nie udało się zrobić zdjęcia: ") + why);
        });

        // Sized for the screen: a 4:3 preview as large as fits comfortably.
        QSize size(720, 620);
        if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size() * 0.9);
        resize(size);
        useCamera(index);
    }

    const QImage& picture() const { return m_picture; }

    QComboBox* cbKamera = nullptr;
    QLabel* lblStan = nullptr;
    QPushButton* btnZrob = nullptr;

private:
    void useCamera(int index) {
        m_session.setCamera(nullptr);
        m_camera = std::make_unique<QCamera>(m_devices.at(index));
        connect(m_camera.get(), &QCamera::errorOccurred, this, [this](QCamera::Error, const QString& why) {
            lblStan->setText(QString::fromUtf8("Kamera nie działa: ") + why);
        });
        connect(m_camera.get(), &QCamera::activeChanged, this, [this](bool active) {
            if (active)
                lblStan->setText(QString::fromUtf8("Spacja lub „Zrób zdjęcie” robi zdjęcie."));
        });
        m_session.setCamera(m_camera.get());
        lblStan->setText(QString::fromUtf8("Uruchamianie kamery…"));
        btnZrob->setEnabled(m_capture.isReadyForCapture());
        m_camera->start();
    }

    void take() {
        if (m_taking || !m_capture.isReadyForCapture())
            return;
        m_taking = true;
        btnZrob->setEnabled(false);
        m_capture.capture();
    }

    QList<QCameraDevice> m_devices;
    QMediaCaptureSession m_session;
    QImageCapture m_capture;
    std::unique_ptr<QCamera> m_camera;
    QVideoWidget* m_preview = nullptr;
    QImage m_picture;
    bool m_taking = false;
};

class QtCameraService final : public ICameraService {
public:
    QStringList cameras() const override {
        QStringList names;
        for (const QCameraDevice& device : QMediaDevices::videoInputs())
            names << device.description();
        return names;
    }

    std::optional<QImage> takePicture(int index, QWidget* parent) override {
        // Asked again: a camera may have been plugged in or out since the list was read.
        const QList<QCameraDevice> devices = QMediaDevices::videoInputs();
        if (index < 0 || index >= devices.size())
            return std::nullopt;
        TCameraWindow window(devices, index, parent);
        if (window.exec() != QDialog::Accepted || window.picture().isNull())
            return std::nullopt;
        return window.picture();
    }
};

} // namespace

std::unique_ptr<ICameraService> makeCameraService() { return std::make_unique<QtCameraService>(); }

} // namespace wendolarka::photos
