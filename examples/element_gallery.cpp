// A window of elements with its sizer: pick, drag, resize and nudge them.
#include "controls/host_form.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/panel.h"
#include "widgets/form_setup.h"
#include "sizer/size_control.h"

#include <QApplication>
#include <QPainter>

using namespace wendolarka;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(classicPalette());

    THostForm form;
    form.setWindowTitle(QStringLiteral("Elementy"));
    form.resize(420, 260);
    form.client().setColor(clWhite);

    auto* title = form.createControl<TLabel>(QStringLiteral("lblTytul"));
    title->setFont(TFont(QStringLiteral("Arial"), 14, fsBold, clNavy));
    title->setCaption(QStringLiteral("Przepustka"));
    title->setLeft(20);
    title->setTop(16);

    auto* name = form.createControl<TLabel>(QStringLiteral("lblNazwisko"));
    name->setCaption(QString::fromUtf8("Zofia Wąsowska"));
    name->setColor(clYellow);
    name->setLeft(150);
    name->setTop(60);

    QImage portrait(48, 59, QImage::Format_RGB32);
    portrait.fill(QColor(200, 170, 140));
    {
        QPainter p(&portrait);
        p.setBrush(QColor(120, 80, 50));
        p.drawEllipse(12, 6, 24, 28);
        p.drawRoundedRect(6, 36, 36, 30, 8, 8);
    }
    auto* photo = form.createControl<TImage>(QStringLiteral("Image11"));
    photo->SetBounds(32, 60, 48, 60);
    photo->setStretch(true);
    photo->setPicture(portrait);

    auto* panel = form.createControl<TPanel>(QStringLiteral("Panel1"));
    panel->SetBounds(150, 110, 220, 110);
    panel->setBevelInner(bvLowered);
    panel->setCaption(QStringLiteral("Panel"));
    auto* inside = form.createControl<TLabel>(QStringLiteral("lblUsluga1"), panel);
    inside->setCaption(QString::fromUtf8("Usługa w panelu"));
    inside->setLeft(12);
    inside->setTop(12);

    auto* sizer = new TSizeControl(&form);
    sizer->setGridSize(19);
    sizer->setTarget(name);
    form.show();
    return QApplication::exec();
}
