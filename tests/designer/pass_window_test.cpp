#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "designer/pass_window_host.h"
#include "sizer/size_control.h"

#include <QCoreApplication>
#include <QPointer>
#include <map>
#include <thread>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {

// Records what the window writes into the main window's controls.
struct RecordingHost : QObject, IPassWindowHost {
    int imageSetClosed = 0;
    std::map<int, TColor> colors;
    std::map<int, int> widths;
    std::map<QString, bool> boxes;
    TColor windowColor = clNone;
    void closeImageSetWindow() override { ++imageSetClosed; }
    void showFrameColor(int frame, TColor color) override { colors[frame] = color; }
    void showWindowColor(TColor color) override { windowColor = color; }
    void showFrameWidth(int frame, int width) override { widths[frame] = width; }
    void showVisibility(const QString& element, bool visible) override { boxes[element] = visible; }
    TColor frameColorShown(int frame) const override { return frame == 0 ? clRed : clYellow; }
    TColor windowColorShown() const override { return clAqua; }
    int frameWidthShown(int frame) const override { return 10 + frame; }
};

TColor px(const QImage& card, int x, int y) { return fromQColor(card.pixelColor(x, y)); }

} // namespace

TEST(PassWindow, SizeReadout) {
    EXPECT_EQ(TForm1::sizeReadout(376, 194, 96), QStringLiteral("Szer.  376/99  Wys. 194/51  piksele/mm"));
    EXPECT_EQ(TForm1::sizeReadout(0, 194, 96), QStringLiteral("Szer.  0/0  Wys. 194/51  piksele/mm"));
    EXPECT_EQ(TForm1::sizeReadout(6, 12, 96), QStringLiteral("Szer.  6/2  Wys. 12/3  piksele/mm"));
    EXPECT_EQ(TForm1::sizeReadout(1000, 50, 120), QStringLiteral("Szer.  1000/212  Wys. 50/11  piksele/mm"));
}

TEST(PassWindow, StandardLayoutStacksItsElements) {
    TForm1 form;
    std::vector<QString> order;
    for (const TControl* c : form.client().Controls())
        order.push_back(c->Name());
    const std::vector<QString> expected = {
        QStringLiteral("lblImie"),     QStringLiteral("lblNazwisko"), QStringLiteral("lblPriorytet"),
        QStringLiteral("lblIndex"),    QStringLiteral("Ramka1"),      QStringLiteral("Ramka2"),
        QStringLiteral("Image11"),     QStringLiteral("Rama0"),       QStringLiteral("Ramka3"),
        QStringLiteral("lblAdres1"),   QStringLiteral("lblAdres2"),   QStringLiteral("lblTelefon1"),
        QStringLiteral("lblTelefon2"), QStringLiteral("lblusluga1"),  QStringLiteral("lblUsluga2"),
        QStringLiteral("lblTytul"),    QStringLiteral("Ramka4"),      QStringLiteral("Ramka5"),
        QStringLiteral("ImgStale"),    QStringLiteral("lbl1"),        QStringLiteral("lbl2")};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(form.size(), QSize(376, 194));
    EXPECT_EQ(form.Color(), clWindow);
    EXPECT_EQ(form.lblPriorytet->BoundsRect(), TRect::bounds(176, 56, 65, 13));
    EXPECT_EQ(form.lblusluga1->Caption(), QString::fromUtf8("Usługa1"));
    EXPECT_EQ(form.Ramka2->ColorHighlight(), 14013867);
    EXPECT_EQ(form.Ramka2->ColorShadow(), 5526528);
    EXPECT_EQ(form.Ramka1->ColorHighlight(), 16755627);
    EXPECT_EQ(form.Ramka3->BevelOuter(), bstLowered);
    EXPECT_EQ(form.Image11->Picture().Width(), 48);
    EXPECT_EQ(form.Image11->Picture().Height(), 59);
    EXPECT_EQ(form.ImgStale->Picture().Graphic()->ClassName(), QStringLiteral("TIcon"));
    EXPECT_EQ(form.lbl2->Caption(), QStringLiteral("Opis2"));
    ASSERT_FALSE(form.SizeControl1.isNull());
    EXPECT_EQ(form.SizeControl1->GridSize(), 19);
    EXPECT_EQ(form.SizeControl1->MouseButtons(), mouseButtons({mbLeft, mbRight}));
}

TEST(PassWindow, ShowPreparesElementsAndReportsTheirState) {
    TForm1 form;
    RecordingHost host;
    form.setHost(&host);
    form.lbl1->setBevel(blLowered);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Szer.  376/99  Wys. 194/51  piksele/mm"));
    EXPECT_EQ(form.lbl1->Bevel(), blShadow);
    EXPECT_FALSE(form.lblTytul->AutoSize());
    EXPECT_EQ(host.imageSetClosed, 1);
    EXPECT_EQ(host.widths, (std::map<int, int>{{0, 2}, {1, 3}, {2, 3}, {3, 2}, {4, 2}, {5, 2}}));
    EXPECT_EQ(host.colors, (std::map<int, TColor>{{0, clBlack}, {1, clBlue}, {2, clTeal},
                                                  {3, clGreen}, {4, clGreen}, {5, clGreen}}));
    EXPECT_EQ(host.windowColor, clWindow);
    EXPECT_EQ(host.boxes.size(), 18u);
    EXPECT_TRUE(host.boxes[QStringLiteral("Image11")]);
    EXPECT_FALSE(host.boxes[QStringLiteral("Rama0")]);
    EXPECT_TRUE(host.boxes[QStringLiteral("Ramka1")]);

    form.close();
    EXPECT_TRUE(form.SizeControl1.isNull()); // closing frees the sizer
    EXPECT_FALSE(form.isVisible());
}

TEST(PassWindow, SnapshotShowsOnlyVisibleElements) {
    TForm1 form;
    QImage card = form.Snapshot();
    EXPECT_EQ(card.size(), QSize(376, 194));
    EXPECT_EQ(card.format(), QImage::Format_RGB888);
    EXPECT_EQ(px(card, 0, 0), clWhite);   // no border while Rama0 is hidden
    EXPECT_EQ(px(card, 24, 60), clBlue);  // Ramka1's band
    EXPECT_NE(px(card, 56, 100), clWhite); // the photo
    form.Image11->setVisible(false);
    form.Rama0->setVisible(true);
    card = form.Snapshot();
    EXPECT_EQ(px(card, 56, 100), clWhite);
    EXPECT_EQ(px(card, 0, 100), clBlack);
    EXPECT_EQ(px(card, 375, 100), clBlack);
}

TEST(PassWindow, ActivationHandlerTakesTheMainWindowSettings) {
    TForm1 form;
    RecordingHost host;
    form.setHost(&host);
    form.FormClose();
    form.FormActivate();
    ASSERT_FALSE(form.SizeControl1.isNull());
    EXPECT_EQ(form.SizeControl1->MouseButtons(), mouseButtons({mbLeft}));
    EXPECT_EQ(form.Color(), clAqua);
    EXPECT_EQ(form.Rama0->Color(), clRed);
    EXPECT_EQ(form.Ramka4->Color(), clYellow);
    EXPECT_EQ(form.Ramka4->BorderWidth(), 14);
    EXPECT_EQ(form.Rama0->BorderWidth(), 10);
}

TEST(PassWindow, EachActivationKeepsOneSizerAndAGoneMainWindowIsNotAsked) {
    TForm1 form;
    auto host = std::make_unique<RecordingHost>();
    form.setHost(host.get());
    form.FormActivate();
    QPointer<TSizeControl> first = form.SizeControl1;
    first->setMouseButtons(mouseButtons({mbRight}));
    form.FormActivate();
    EXPECT_EQ(form.SizeControl1, first); // kept, set up again
    EXPECT_EQ(first->MouseButtons(), mouseButtons({mbLeft}));
    EXPECT_EQ(form.findChildren<TSizeControl*>().size(), 1);
    form.FormClose(); // closing frees it; the next activation makes one
    EXPECT_TRUE(first.isNull());
    form.FormActivate();
    host.reset();
    EXPECT_EQ(form.host(), nullptr);
    form.FormShow();
    form.FormActivate();
    EXPECT_EQ(form.findChildren<TSizeControl*>().size(), 1);
}

TEST(PassWindow, MissingElementsLeaveEmptySlots) {
    TForm1 form;
    form.destroyControl(form.Ramka3);
    form.bindSlots();
    EXPECT_EQ(form.Ramka3, nullptr);
    EXPECT_EQ(form.frame(3), nullptr);
    RecordingHost host;
    form.setHost(&host);
    form.FormShow(); // must not touch the missing frame
    EXPECT_EQ(host.widths.count(3), 0u);
    EXPECT_EQ(host.boxes.count(QStringLiteral("Ramka3")), 0u);
}

TEST(PassWindow, ACardAtThreeTimesItsSizeIsTheSamePassSharper) {
    TForm1 form;
    QImage one, three;
    form.renderCard(one);
    form.renderCard(three, 3);
    ASSERT_EQ(three.size(), one.size() * 3);
    // Frames, fills and lines: every pixel became a 3 x 3 block of its colour.
    int same = 0, blocks = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            ++blocks;
            if (three.pixel(3 * x + 1, 3 * y + 1) == one.pixel(x, y))
                ++same;
        }
    EXPECT_GT(same, blocks * 9 / 10); // text and the photo are drawn anew, finer
    const TRect frame = form.Ramka1->BoundsRect();
    for (int x = frame.Left; x < frame.Right; ++x)
        EXPECT_EQ(three.pixel(3 * x + 2, 3 * frame.Top + 2), one.pixel(x, frame.Top)) << x;
}

// The batch draws on designs of its own, one a thread, with no window at all.
TEST(PassDesign, AWindowlessDesignDrawsWhatTheWindowShowsOnEveryThread) {
    TForm1 window;
    window.FormShow();
    const QByteArray file = pass_template::writeFile(window);
    window.lblNazwisko->setCaption(QStringLiteral("Wiśniewska"));
    const QImage shown = window.Snapshot();

    std::array<TPassDesign, 2> designs;
    std::array<QImage, 2> drawn;
    std::vector<std::thread> threads;
    for (std::size_t k = 0; k < designs.size(); ++k)
        threads.emplace_back([&, k] {
            pass_template::loadFile(designs[k], file);
            designs[k].applyShownStyles();
            for (int round = 0; round < 20; ++round) {
                designs[k].lblNazwisko->setCaption(round % 2 ? QStringLiteral("Wiśniewska") : QStringLiteral("Kowalski"));
                drawn[k] = designs[k].Snapshot();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t k = 0; k < designs.size(); ++k) {
        EXPECT_EQ(designs[k].clientSize(), window.size());
        EXPECT_EQ(drawn[k], shown) << k;
    }
    // Loading never shows anything, even from a template saved with its window shown.
    EXPECT_EQ(designs[0].caption(), window.windowTitle());
}
