// The decorative frames and three-dimensional labels side by side.
#include "controls/host_form.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "controls/panel.h"
#include "widgets/form_setup.h"

#include <QApplication>

using namespace wendolarka;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setPalette(classicPalette());

    THostForm form;
    form.setWindowTitle(QStringLiteral("Ramki i etykiety"));
    form.resize(560, 330);
    form.client().setColor(clWhite);

    // A striped panel so that transparent and shadowed frames show what lies beneath.
    auto* stripes = form.createControl<TPanel>(QStringLiteral("stripes"));
    stripes->SetBounds(0, 110, 560, 110);
    stripes->setBevelOuter(bvNone);
    stripes->setColor(0xE0E0FF);
    for (int x = 0; x < 560; x += 16) {
        auto* s = form.createControl<TPanel>(QStringLiteral("stripe"), stripes);
        s->SetBounds(x, 0, 8, 110);
        s->setBevelOuter(bvNone);
        s->setColor(0x80C0FF);
    }

    const TBevelShape shapes[] = {bspRect, bspPortrait, bspTopLine, bspBottomLine, bspLeftLine, bspRightLine};
    const TColor colors[] = {clBlue, clTeal, clGreen, clMaroon, clPurple, clOlive};
    for (int i = 0; i < 6; ++i) {
        auto* f = form.createControl<TktMultiBevel>(QStringLiteral("shape%1").arg(i));
        f->SetBounds(10 + i * 90, 10, 80, 90);
        f->setShape(shapes[i]);
        f->setBorderWidth(5);
        f->setBevelWidth(2);
        f->setColor(colors[i]);
    }
    const TTransparence kinds[] = {trNone, trSemi, trTransparent};
    for (int i = 0; i < 3; ++i) {
        auto* f = form.createControl<TktMultiBevel>(QStringLiteral("tr%1").arg(i));
        f->SetBounds(10 + i * 110, 120, 100, 90);
        f->setBorderWidth(8);
        f->setColor(clRed);
        f->setTransparence(kinds[i]);
    }
    auto* shadowed = form.createControl<TktMultiBevel>(QStringLiteral("shadowed"));
    shadowed->SetBounds(350, 120, 100, 90);
    shadowed->setBorderWidth(6);
    shadowed->setColor(clNavy);
    shadowed->setShadowed(true);
    shadowed->setShadowOffsetX(6);
    shadowed->setShadowOffsetY(6);
    auto* portrait = form.createControl<TktMultiBevel>(QStringLiteral("portraitSemi"));
    portrait->SetBounds(460, 120, 90, 90);
    portrait->setShape(bspPortrait);
    portrait->setBorderWidth(7);
    portrait->setColor(clGreen);
    portrait->setTransparence(trSemi);

    const TLabel3DFBevel bevels[] = {blNone, blLowered, blRaised, blShadow};
    const char* names[] = {"blNone", "blLowered", "blRaised", "blShadow"};
    for (int i = 0; i < 4; ++i) {
        auto* l = form.createControl<TLabel3DF>(QStringLiteral("lbl%1").arg(i));
        l->SetBounds(10 + i * 135, 232, 125, 80);
        l->setFont(TFont(QStringLiteral("Arial"), 16, fsBold, clNavy));
        l->setCaption(QString::fromLatin1(names[i]));
        l->setBevel(bevels[i]);
        l->setShadowSize(2);
        l->setLayout(tlCenter);
        l->setAlignment(taCenter);
        l->setFillGradient(i % 2 == 1);
        l->setGradientOrientation(i == 3 ? goVertical : goHorizontal);
        l->setBorderStyle(i == 0 ? lbNormal : i == 1 ? lbInn : i == 2 ? lbOut : lbRaised);
        l->setBorderWidth(2);
        l->setColor(clSilver);
    }
    form.show();
    return QApplication::exec();
}
