#include "controls/host_form.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/panel.h"

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

struct Host : ::testing::Test {
    THostForm form;
    Host() {
        form.resize(200, 120);
        form.client().setColor(clWhite);
    }
    TColor at(const QImage& card, int x, int y) { return fromQColor(card.pixelColor(x, y)); }
};

} // namespace

TEST_F(Host, ElementsPaintBottomFirstAndHiddenOnesNotAtAll) {
    auto* back = form.createControl<TPanel>(QStringLiteral("back"));
    back->SetBounds(10, 10, 60, 40);
    back->setColor(clBlue);
    back->setBevelOuter(bvNone);
    auto* front = form.createControl<TLabel>(QStringLiteral("front"));
    front->setAutoSize(false);
    front->SetBounds(40, 20, 50, 20);
    front->setColor(clYellow);
    QImage card = form.Snapshot();
    EXPECT_EQ(card.format(), QImage::Format_RGB888);
    EXPECT_EQ(card.size(), QSize(200, 120));
    EXPECT_EQ(at(card, 5, 5), clWhite);
    EXPECT_EQ(at(card, 15, 15), clBlue);
    EXPECT_EQ(at(card, 45, 25), clYellow);
    EXPECT_EQ(at(card, 85, 38), clYellow);
    EXPECT_EQ(at(card, 90, 38), clWhite);

    front->setTransparent(true);
    card = form.Snapshot();
    EXPECT_EQ(at(card, 45, 38), clBlue);
    front->setTransparent(false);
    front->setVisible(false);
    EXPECT_EQ(at(form.Snapshot(), 45, 25), clBlue);
    back->BringToFront(nullptr);
}

TEST_F(Host, ContainersClipAndOffsetTheirChildren) {
    auto* panel = form.createControl<TPanel>(QStringLiteral("panel"));
    panel->SetBounds(20, 20, 40, 30);
    auto* inner = form.createControl<TLabel>(QStringLiteral("inner"), panel);
    inner->setAutoSize(false);
    inner->setColor(clRed);
    inner->SetBounds(30, 5, 50, 10); // reaches past the panel's right edge
    const QImage card = form.Snapshot();
    EXPECT_EQ(at(card, 55, 27), clRed);
    EXPECT_EQ(at(card, 62, 27), clWhite);
    EXPECT_EQ(at(card, 20, 20), colorToRGB(clBtnHighlight)); // raised bevel
    EXPECT_EQ(at(card, 59, 49), colorToRGB(clBtnShadow));
    EXPECT_EQ(inner->hostOffset(), QPoint(50, 25));
    EXPECT_EQ(inner->Owner(), &form);
    EXPECT_EQ(inner->Parent(), panel);

    EXPECT_EQ(form.controlAt({55, 27}), inner);
    EXPECT_EQ(form.controlAt({25, 45}), panel);
    EXPECT_EQ(form.controlAt({150, 100}), &form.client());
    inner->setVisible(false);
    EXPECT_EQ(form.controlAt({55, 27}), panel);
    EXPECT_EQ(form.findControl(QStringLiteral("INNER")), inner);
}

TEST_F(Host, AlignedChildrenShareTheClientArea) {
    auto* panel = form.createControl<TPanel>(QStringLiteral("panel"));
    panel->SetBounds(0, 0, 100, 80);
    panel->setBevelOuter(bvNone);
    panel->setBorderWidth(2);
    auto* top = form.createControl<TPanel>(QStringLiteral("top"), panel);
    top->setHeight(10);
    top->setAlign(alTop);
    auto* rest = form.createControl<TPanel>(QStringLiteral("rest"), panel);
    rest->setAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), (TRect{2, 2, 98, 12}));
    EXPECT_EQ(rest->BoundsRect(), (TRect{2, 12, 98, 78}));
    panel->setWidth(60);
    EXPECT_EQ(rest->BoundsRect(), (TRect{2, 12, 58, 78}));
    top->setVisible(false);
    EXPECT_EQ(rest->BoundsRect(), (TRect{2, 2, 58, 78}));
    form.destroyControl(panel); // children become orphans, nothing dangles
    EXPECT_EQ(top->Parent(), nullptr);
    EXPECT_EQ(form.client().ControlCount(), 0);
}

TEST_F(Host, LabelsSizeThemselvesToTheirCaption) {
    auto* label = form.createControl<TLabel>(QStringLiteral("label"));
    label->setCaption(QStringLiteral("Kowalski"));
    const int width = label->Width();
    EXPECT_GT(width, 20);
    label->setCaption(QStringLiteral("Kowalski-Nowak"));
    EXPECT_GT(label->Width(), width);
    label->setAlignment(taRightJustify);
    label->SetBounds(100, 0, label->Width(), label->Height());
    const int right = label->Left() + label->Width();
    label->setCaption(QStringLiteral("Ng"));
    EXPECT_EQ(label->Left() + label->Width(), right);
    label->setCaption(QString());
    EXPECT_GT(label->Width(), 0); // an empty caption keeps the width of a blank
    EXPECT_EQ(label->Color(), clWhite); // the parent's colour
}

TEST_F(Host, ImagesStretchOrCentreTheirPicture) {
    auto* image = form.createControl<TImage>(QStringLiteral("image"));
    QImage picture(10, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    image->SetBounds(10, 10, 40, 30);
    image->setPicture(picture);
    EXPECT_EQ(image->DestRect(), (TRect{0, 0, 10, 6}));
    image->setCenter(true);
    EXPECT_EQ(image->DestRect(), (TRect{15, 12, 25, 18}));
    image->setStretch(true);
    EXPECT_EQ(image->DestRect(), (TRect{0, 0, 40, 30}));
    EXPECT_EQ(at(form.Snapshot(), 48, 38), clRed);
    // In proportion: the whole picture as large as the box allows, in its middle, up or down.
    image->setProportional(true);
    EXPECT_EQ(image->DestRect(), (TRect{0, 3, 40, 27}));
    image->SetBounds(10, 10, 5, 30);
    EXPECT_EQ(image->DestRect(), (TRect{0, 13, 5, 16}));
    image->setProportional(false);
    image->SetBounds(10, 10, 40, 30);
    image->setAutoSize(true);
    EXPECT_EQ(image->BoundsRect(), (TRect{10, 10, 20, 16}));
}

namespace {

// The runs of text a label gives a document, with the pixel size of each.
struct Runs : ICanvasSink {
    QStringList texts;
    std::vector<int> sizes;
    bool accepts(const TControl&) const override { return true; }
    bool text(const QString& text, const QFont& font, TColor, QPointF, const TRect&) override {
        texts << text;
        sizes.push_back(font.pixelSize());
        return true;
    }
    bool jpeg(const QByteArray&, QSize, const TRect&, const TRect&) override { return false; }
};

Runs runsOf(TLabel& label, int scale) {
    QImage image(label.Width() * scale, label.Height() * scale, QImage::Format_RGB32);
    TCanvas canvas(image, scale);
    Runs runs;
    canvas.OfferedSink = &runs;
    label.draw(canvas);
    return runs;
}

} // namespace

// Shrunk a point at a time, then broken at blanks, then cut with "…"; the
// same choice at the screen's resolution and at 300 dpi.
TEST_F(Host, FittedTextShrinksThenBreaksThenEndsWithAnEllipsis) {
    auto* label = form.createControl<TLabel>(QStringLiteral("label"));
    label->setAutoSize(false);
    label->SetBounds(0, 0, 33, 13); // the standard layout's name box
    label->setAlignment(taCenter);
    label->setLayout(tlCenter);
    label->setCaption(QStringLiteral("Agnieszka"));
    EXPECT_FALSE(label->TextFits(1));
    label->setFitText(true);
    for (int scale : {1, 4}) {
        const Runs runs = runsOf(*label, scale);
        EXPECT_EQ(runs.texts, QStringList{QStringLiteral("Agnieszka")}) << scale;
        EXPECT_EQ(runs.sizes, std::vector<int>{7}) << scale; // 5 points
        EXPECT_TRUE(label->TextFits(scale));
    }
    label->setMinFontSize(7);
    EXPECT_EQ(runsOf(*label, 1).texts, QStringList{QString::fromUtf8("Agnie…")});
    EXPECT_FALSE(label->TextFits(1));
    label->setMinFontSize(TLabel::kDefaultMinFontSize);

    label->SetBounds(0, 0, 70, 30);
    label->setCaption(QString::fromUtf8("Anna Maria Wiśniewska-Kowalska"));
    const Runs broken = runsOf(*label, 4);
    EXPECT_EQ(broken.texts, (QStringList{QStringLiteral("Anna Maria"), QString::fromUtf8("Wiśniewska-Kowalska")}));
    EXPECT_TRUE(label->TextFits(4));
    label->SetBounds(0, 0, 70, 13); // no room for a second line
    EXPECT_EQ(runsOf(*label, 1).texts, QStringList{QString::fromUtf8("Anna Maria…")});
    EXPECT_FALSE(label->TextFits(1));

    // A text that fits as it is looks as it did without fitting.
    label->setCaption(QStringLiteral("Ewa"));
    const QImage fitted = form.Snapshot();
    label->setFitText(false);
    EXPECT_EQ(form.Snapshot(), fitted);
}
