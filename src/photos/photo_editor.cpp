#include "photos/photo_editor.h"

#include "core/photo_storage.h"
#include "photos/crop_view.h"
#include "photos/face_finder.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace wendolarka::photos {
namespace {

// The view never shows more than this on the longer side, so turning,
// straightening and brightness follow the sliders without delay.
constexpr int kPreviewSide = 1200;

QString utf8(const char* text) { return QString::fromUtf8(text); }

QImage previewCopy(const QImage& picture) {
    if (picture.isNull() || std::max(picture.width(), picture.height()) <= kPreviewSide)
        return picture;
    return picture.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The size the stored photo will have: the crop with its edges on whole
// pixels, scaled to the storage limit on its longer side.
QSize storedSize(const QRectF& crop) {
    const int width = int(std::lround(crop.right()) - std::lround(crop.left()));
    const int height = int(std::lround(crop.bottom()) - std::lround(crop.top()));
    const int longer = std::max(width, height);
    if (longer <= kStoredPhotoSide)
        return {width, height};
    const auto shorter = [&](int side) { return std::max(1, int(std::lround(double(side) * kStoredPhotoSide / longer))); };
    return width >= height ? QSize(kStoredPhotoSide, shorter(height)) : QSize(shorter(width), kStoredPhotoSide);
}

QSlider* slider(QWidget* parent, const char* name, int low, int high, int page) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(low, high);
    s->setSingleStep(1);
    s->setPageStep(page);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(page * 5);
    return s;
}

// A slider's caption (its mnemonic leads to it) with the value on the right.
QLabel* caption(QWidget* parent, QVBoxLayout* into, const QString& text, QSlider* buddy) {
    auto* row = new QHBoxLayout;
    auto* name = new QLabel(text, parent);
    name->setBuddy(buddy);
    auto* value = new QLabel(parent);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-10,0°")) + 4);
    row->addWidget(name, 1);
    row->addWidget(value);
    into->addLayout(row);
    into->addWidget(buddy);
    return value;
}

} // namespace

TFZdjecie::TFZdjecie(QImage picture, double aspect, QWidget* parent, const std::optional<TPhotoEdit>& start)
    : QDialog(parent), m_picture(std::move(picture)),
      // A design without a usable photo element still gets the standard proportions.
      m_aspect(std::isfinite(aspect) && aspect > 0 ? aspect : 48.0 / 60.0) {
    setObjectName(QStringLiteral("FZdjecie"));
    setWindowTitle(utf8("Przytnij zdjęcie"));
    m_preview = previewCopy(m_picture);

    view = new TCropView(this);
    view->setAspect(m_aspect);
    auto* hint = new QLabel(utf8("Przeciągnij kadr myszą, by go przesunąć, a jego róg, by zmienić wielkość "
                                 "(z Ctrl wokół środka). Strzałki przesuwają kadr (z Shift dziesięć razy dalej), "
                                 "klawisze + i − oraz kółko myszy zmieniają jego wielkość."),
                            this);
    hint->setObjectName(QStringLiteral("lblPodpowiedz"));
    hint->setWordWrap(true);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);

    auto* turning = new QGroupBox(utf8("Obrót"), side);
    auto* turningLayout = new QVBoxLayout(turning);
    auto* turnRow = new QHBoxLayout;
    btnObrocLewo = new QPushButton(utf8("Obróć w &lewo"), turning);
    btnObrocLewo->setObjectName(QStringLiteral("btnObrocLewo"));
    // "P" leads to the straightening slider, so the right turn takes "r".
    btnObrocPrawo = new QPushButton(utf8("Obróć w p&rawo"), turning);
    btnObrocPrawo->setObjectName(QStringLiteral("btnObrocPrawo"));
    turnRow->addWidget(btnObrocLewo);
    turnRow->addWidget(btnObrocPrawo);
    turningLayout->addLayout(turnRow);
    sldProstowanie = slider(turning, "sldProstowanie", -100, 100, 10);
    m_valProstowanie = caption(turning, turningLayout, utf8("&Prostowanie"), sldProstowanie);

    auto* tone = new QGroupBox(utf8("Obraz"), side);
    auto* toneLayout = new QVBoxLayout(tone);
    sldJasnosc = slider(tone, "sldJasnosc", -100, 100, 10);
    m_valJasnosc = caption(tone, toneLayout, utf8("&Jasność"), sldJasnosc);
    sldKontrast = slider(tone, "sldKontrast", -100, 100, 10);
    m_valKontrast = caption(tone, toneLayout, utf8("&Kontrast"), sldKontrast);

    btnDopasuj = new QPushButton(utf8("Dopasuj do &twarzy"), side);
    btnDopasuj->setObjectName(QStringLiteral("btnDopasuj"));
    lblUwaga = new QLabel(side);
    lblUwaga->setObjectName(QStringLiteral("lblUwaga"));
    lblUwaga->setWordWrap(true);

    lblRozmiar = new QLabel(side);
    lblRozmiar->setObjectName(QStringLiteral("lblRozmiar"));
    btnOK = new QPushButton(utf8("OK"), side);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnAnuluj = new QPushButton(utf8("Anuluj"), side);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    auto* answerRow = new QHBoxLayout;
    answerRow->addStretch(1);
    answerRow->addWidget(btnOK);
    answerRow->addWidget(btnAnuluj);

    sideLayout->addWidget(turning);
    sideLayout->addWidget(tone);
    sideLayout->addWidget(btnDopasuj);
    sideLayout->addWidget(lblUwaga);
    sideLayout->addStretch(1);
    sideLayout->addWidget(lblRozmiar);
    sideLayout->addLayout(answerRow);
    side->setFixedWidth(std::max(side->sizeHint().width(), 280));

    auto* left = new QVBoxLayout;
    left->addWidget(view, 1);
    left->addWidget(hint);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(side);

    QWidget* order[] = {view,        btnObrocLewo, btnObrocPrawo, sldProstowanie, sldJasnosc,
                        sldKontrast, btnDopasuj,   btnOK,         btnAnuluj};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(view, &TCropView::frameChanged, this, [this](const QRectF& frame) {
        m_edit.crop = frame;
        showSize();
    });
    connect(btnObrocLewo, &QPushButton::clicked, this, [this] { turn(3); });
    connect(btnObrocPrawo, &QPushButton::clicked, this, [this] { turn(1); });
    connect(sldProstowanie, &QSlider::valueChanged, this, [this](int tenths) {
        m_edit.straighten = tenths / 10.0;
        showValues();
        straightenPreview();
    });
    connect(sldJasnosc, &QSlider::valueChanged, this, [this](int value) {
        m_edit.brightness = value;
        showValues();
        tonePreview();
    });
    connect(sldKontrast, &QSlider::valueChanged, this, [this](int value) {
        m_edit.contrast = value;
        showValues();
        tonePreview();
    });
    connect(btnDopasuj, &QPushButton::clicked, this, &TFZdjecie::fitToFace);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAnuluj, &QPushButton::clicked, this, &QDialog::reject);

    if (start) {
        // Where the user left it before (a proposal of many adjusted again).
        m_edit.quarterTurns = ((start->quarterTurns % 4) + 4) % 4;
        sldProstowanie->setValue(qRound(start->straighten * 10));
        sldJasnosc->setValue(start->brightness);
        sldKontrast->setValue(start->contrast);
    }
    showValues();
    straightenPreview();
    if (start && !start->crop.isEmpty()) {
        view->setFrame(start->crop);
        m_edit.crop = view->frame();
        showSize();
    } else {
        placeFrame(largestFaceHere());
    }

    // As large as the screen comfortably gives, so a photo shows big enough to judge the face.
    QSize size(1200, 900);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size.expandedTo(minimumSizeHint()));
    view->setFocus();
}

TFZdjecie::~TFZdjecie() = default;

QSizeF TFZdjecie::workingSize() const {
    const QSizeF size = m_picture.size();
    return m_edit.quarterTurns % 2 ? size.transposed() : size;
}

QImage TFZdjecie::result() const { return applyPhotoEdit(m_picture, m_edit); }

QByteArray TFZdjecie::storedResult() const {
    // After Anuluj there is nothing to store: the caller keeps its photo.
    if (QDialog::result() != QDialog::Accepted)
        return {};
    return storedPhoto(result());
}

void TFZdjecie::turn(int quarters) {
    m_edit.quarterTurns = (m_edit.quarterTurns + quarters) % 4;
    lblUwaga->clear();
    straightenPreview();
    // The old frame means nothing on the turned picture; a face may now be upright.
    placeFrame(largestFaceHere());
}

void TFZdjecie::fitToFace() {
    if (!faceFinderAvailable()) {
        lblUwaga->setText(utf8("Wykrywanie twarzy nie jest dostępne."));
        return;
    }
    const std::optional<QRectF> face = largestFaceHere();
    if (!face) {
        lblUwaga->setText(utf8("Nie znaleziono twarzy."));
        return;
    }
    lblUwaga->clear();
    placeFrame(face);
}

std::optional<QRectF> TFZdjecie::largestFaceHere() const {
    // On the full picture, not the view's copy: the finder scales it down its
    // own way, and a copy scaled twice loses faces near the smallest it looks for.
    return largestFace(turnedAndStraightened(m_picture, m_edit.quarterTurns, m_edit.straighten));
}

void TFZdjecie::placeFrame(const std::optional<QRectF>& face) {
    view->setFrame(startFrame(workingSize(), m_aspect, face));
    m_edit.crop = view->frame();
    showSize();
}

void TFZdjecie::straightenPreview() {
    m_straightened = turnedAndStraightened(m_preview, m_edit.quarterTurns, m_edit.straighten);
    view->setPicture(toned(), workingSize());
}

void TFZdjecie::tonePreview() { view->setShown(toned()); }

QImage TFZdjecie::toned() const {
    if (m_edit.brightness == 0 && m_edit.contrast == 0)
        return m_straightened;
    TPhotoEdit tone;
    tone.brightness = m_edit.brightness;
    tone.contrast = m_edit.contrast;
    return applyPhotoEdit(m_straightened, tone);
}

void TFZdjecie::showValues() {
    // Polish whatever the system's locale: the program speaks Polish throughout.
    const QLocale locale(QLocale::Polish, QLocale::Poland);
    m_valProstowanie->setText(locale.toString(m_edit.straighten, 'f', 1) + utf8("°"));
    m_valJasnosc->setText(locale.toString(m_edit.brightness));
    m_valKontrast->setText(locale.toString(m_edit.contrast));
}

void TFZdjecie::showSize() {
    if (m_edit.crop.isEmpty()) {
        lblRozmiar->clear();
        return;
    }
    const QSize size = storedSize(m_edit.crop);
    lblRozmiar->setText(utf8("Wynik: %1 × %2 pikseli").arg(size.width()).arg(size.height()));
}

} // namespace wendolarka::photos
