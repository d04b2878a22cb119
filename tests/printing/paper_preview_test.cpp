#include "printing/paper_preview.h"
#include "support/error_text.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(PaperPreview, SizesFollowThePaperAndTheFrameIsDrawnOnce) {
    QWidget parent;
    TPaperPreview paper(&parent);
    EXPECT_EQ(paper.size(), QSize(110, 153));
    EXPECT_EQ(paper.GetPageRect(), (TRect{1, 1, 106, 149}));
    paper.setBorderSize(4);
    EXPECT_EQ(paper.width(), 116);
    EXPECT_EQ(paper.PaperWidth(), 105);
    paper.setBorderSize(1);

    int pages = 0;
    paper.OnPaint = [&](TPaperPreview&, TCanvas& canvas, const TRect& r) {
        ++pages;
        canvas.Brush = {clRed, bsSolid};
        canvas.FillRect({r.Left, r.Top, r.Left + 10, r.Top + 10});
    };
    paper.Render();
    const QImage& b = paper.Bitmap();
    EXPECT_EQ(fromQColor(b.pixelColor(0, 0)), clBlack);      // border
    EXPECT_EQ(fromQColor(b.pixelColor(2, 2)), clRed);        // the owner's drawing
    EXPECT_EQ(fromQColor(b.pixelColor(50, 50)), clWhite);    // paper
    EXPECT_EQ(b.pixelColor(108, 100), toQColor(clBtnShadow)); // right shadow
    EXPECT_EQ(b.pixelColor(108, 1), parent.palette().color(QPalette::Window)); // the corner the shadow skips
    paper.Render();
    EXPECT_EQ(pages, 1); // nothing stale: only a copy
    paper.Invalidate();
    paper.Render();
    EXPECT_EQ(pages, 2);

    paper.setBorderSize(0);
    paper.setShadowSize(0);
    EXPECT_EQ(paper.GetPageRect(), (TRect{0, 0, 105, 148}));
    paper.Render();
    EXPECT_EQ(fromQColor(paper.Bitmap().pixelColor(104, 147)), clWhite);
}

TEST(PaperPreview, OptionsCopyOntoThePaperAndNowhereElse) {
    TPaperPreviewOptions options;
    int changes = 0;
    options.OnChange = [&] { ++changes; };
    TPaperPreviewOptions other;
    other.BorderWidth = 2;
    other.PaperColor = clYellow;
    options.Assign(other);
    EXPECT_EQ(changes, 2);
    options.setBorderWidth(2);
    EXPECT_EQ(changes, 2);
    TPaperPreview paper;
    const int paperWidth = paper.PaperWidth();
    options.AssignTo(paper);
    EXPECT_EQ(paper.BorderSize(), 2);
    EXPECT_EQ(paper.PaperColor(), clYellow);
    EXPECT_EQ(paper.PaperWidth(), paperWidth);
    QPushButton button;
    EXPECT_EQ(errorOf([&] { options.AssignTo(button); }),
              QStringLiteral("Cannot assign a TPaperPreviewOptions to a QPushButton"));
}
