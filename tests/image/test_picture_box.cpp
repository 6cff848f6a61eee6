#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "image/picture_box.h"
#include "support/test_files.h"

using namespace tessara;
using namespace tessara::test;

namespace {

QImage white(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int countColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

TEST(PictureBox, TakesTheSizeOfItsPictureInTwips) {
    PictureBox box(1935, 1215);
    EXPECT_EQ(box.pixelWidth(), 129);
    EXPECT_EQ(box.pixelHeight(), 81);
    box.setPicture(Picture(white(1000, 800)));
    EXPECT_EQ(box.Width(), 15000.0F);
    EXPECT_EQ(box.Height(), 12000.0F);
    EXPECT_EQ(box.ScaleWidth(), 15000.0F) << "twips until the scale is set to pixels";
    box.setScaleMode(ScaleMode::Pixels);
    EXPECT_EQ(box.ScaleWidth(), 1000.0F);
    EXPECT_EQ(box.ScaleHeight(), 800.0F);
}

TEST(PictureBox, LinesGoOnTheDrawingLayerInThePensColour) {
    PictureBox box(0, 0);
    const Picture background(white(20, 10));
    box.setPicture(background);
    box.setScaleMode(ScaleMode::Pixels);
    box.setForeColor(QColor(128, 0, 0));
    box.Line(2, 5, 17, 5);
    const Picture drawn = box.Image();
    EXPECT_EQ(drawn.image().pixel(10, 5), qRgb(128, 0, 0));
    EXPECT_EQ(drawn.image().pixel(10, 3), qRgb(255, 255, 255));
    EXPECT_EQ(countColour(background.image(), qRgb(128, 0, 0)), 0) << "the background is untouched";
    EXPECT_FALSE(drawn.sharesPixelsWith(background));
}

TEST(PictureBox, AWideLineIsAsWideAsThePen) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(40, 40)));
    box.setScaleMode(ScaleMode::Pixels);
    box.setForeColor(QColor(0, 0, 128));
    box.setDrawWidth(5);
    box.Line(20, 5, 20, 35);
    const QImage image = box.Image().image();
    int across = 0;
    for (int x = 0; x < 40; ++x) {
        across += image.pixel(x, 20) == qRgb(0, 0, 128) ? 1 : 0;
    }
    EXPECT_EQ(across, 5);
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 0, 128));
}

TEST(PictureBox, LineWithoutAStartPointContinuesFromTheCurrentPoint) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(30, 30)));
    box.setScaleMode(ScaleMode::Pixels);
    box.Line(2, 2, 20, 2);
    EXPECT_EQ(box.currentPoint(), QPointF(20, 2));
    box.LineTo(20, 20);
    EXPECT_EQ(box.currentPoint(), QPointF(20, 20));
    const QImage image = box.Image().image();
    EXPECT_EQ(image.pixel(20, 10), qRgb(0, 0, 0)) << "the second line runs down from (20, 2)";
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
}

TEST(PictureBox, LinesOutsideThePictureAreClippedWithoutError) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(10, 10)));
    box.setScaleMode(ScaleMode::Pixels);
    box.setDrawWidth(20);
    box.Line(-50, -50, -10, -30);
    box.Line(-5, 5, 1e6F, 5);
    const QImage image = box.Image().image();
    EXPECT_EQ(image.size(), QSize(10, 10));
    EXPECT_EQ(image.pixel(9, 5), qRgb(0, 0, 0));
}

TEST(PictureBox, ClsDiscardsTheDrawingAndImageThenGivesTheBackground) {
    PictureBox box(0, 0);
    const Picture background(white(10, 10));
    box.setPicture(background);
    box.setScaleMode(ScaleMode::Pixels);
    box.Line(0, 0, 9, 9);
    EXPECT_TRUE(box.hasDrawing());
    box.Cls();
    EXPECT_FALSE(box.hasDrawing());
    EXPECT_TRUE(box.Image().sharesPixelsWith(background));
}

TEST(PictureBox, DrawingAfterImageDoesNotChangeThePictureItGave) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(10, 10)));
    box.setScaleMode(ScaleMode::Pixels);
    box.Line(0, 2, 9, 2);
    const Picture first = box.Image();
    box.Line(0, 7, 9, 7);
    EXPECT_EQ(first.image().pixel(5, 7), qRgb(255, 255, 255));
    EXPECT_EQ(box.Image().image().pixel(5, 7), qRgb(0, 0, 0));
}

TEST(PictureBox, AnEmptyBoxDrawsOnItsBackColourAtItsOwnSize) {
    PictureBox box(1935, 1215);
    box.setScaleMode(ScaleMode::Pixels);
    const Picture blank = box.Image();
    EXPECT_EQ(blank.width(), 129);
    EXPECT_EQ(blank.image().pixel(0, 0), PictureBox::backColor().rgb());
    box.Line(0, 40, 128, 40);
    EXPECT_EQ(box.Image().image().pixel(64, 40), qRgb(0, 0, 0));
}

TEST(PictureBox, SettingAPictureDiscardsTheDrawing) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(10, 10)));
    box.setScaleMode(ScaleMode::Pixels);
    box.Line(0, 5, 9, 5);
    const Picture next(white(12, 12));
    box.setPicture(next);
    EXPECT_FALSE(box.hasDrawing());
    EXPECT_TRUE(box.Image().sharesPixelsWith(next));
}

TEST(PictureBox, TwipCoordinatesAreFifteenToAPixel) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(20, 20)));
    box.Line(0, 150, 300, 150);  // the scale is twips until it is changed
    const QImage image = box.Image().image();
    EXPECT_EQ(image.pixel(5, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(PictureBox, GreyPicturesAreDrawnInColour) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(10, 10).convertToFormat(QImage::Format_Grayscale8)));
    box.setScaleMode(ScaleMode::Pixels);
    box.setForeColor(QColor(128, 0, 0));
    box.Line(0, 5, 9, 5);
    EXPECT_EQ(box.Image().image().pixel(4, 5), qRgb(128, 0, 0));
}

TEST(PictureBox, WatchersSeeEveryLineInTheCurrentScale) {
    PictureBox box(300, 300);
    std::vector<std::pair<QPointF, QPointF>> seen;
    box.watchLines([&](QPointF from, QPointF to) { seen.emplace_back(from, to); });
    box.Line(15, 30, 150, 30);
    box.LineTo(150, 150);
    box.watchLines({});
    box.Line(0, 0, 10, 10);
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0], std::make_pair(QPointF(15, 30), QPointF(150, 30))) << "twips, as given";
    EXPECT_EQ(seen[1], std::make_pair(QPointF(150, 30), QPointF(150, 150)));
    EXPECT_EQ(box.Image().image().pixel(10, 5), qRgb(0, 0, 0)) << "and drawn 15 twips a pixel";
}

TEST(PictureBox, OnlyABoxWithoutAPictureCanBeSized) {
    PictureBox box(1935, 1215);
    box.setSize(0, 1215);
    EXPECT_EQ(box.pixelWidth(), 0);
    box.setScaleMode(ScaleMode::Pixels);
    EXPECT_EQ(box.ScaleWidth(), 0.0F);
    box.Line(0, 0, 10, 10);  // nothing to draw on, and no error
    EXPECT_TRUE(box.Image().isNull());
    box.setPicture(Picture(white(20, 10)));
    box.setSize(15, 15);
    EXPECT_EQ(box.pixelWidth(), 20) << "the size follows the picture";
}

TEST(PictureBox, WideLinesHaveExactlyThePensColourAndClosedCorners) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(60, 60)));
    box.setScaleMode(ScaleMode::Pixels);
    box.setForeColor(QColor(192, 192, 192));
    box.setDrawWidth(10);
    box.Line(10, 30, 30, 30);
    box.LineTo(30, 10);
    const QImage image = box.Image().image();
    EXPECT_EQ(image.pixel(33, 33), qRgb(192, 192, 192)) << "the outer corner is filled";
    EXPECT_EQ(countColour(image, qRgb(192, 192, 192)) + countColour(image, qRgb(255, 255, 255)),
              60 * 60)
        << "no shades between the pen and the paper";
}

TEST(PictureBox, DrawingOnThePictureItselfCopiesNothingUnlessItIsShared) {
    for (const bool shared : {false, true}) {
        QImage white(40, 30, QImage::Format_RGB32);
        white.fill(Qt::white);
        const uchar* pixels = white.constBits();
        PictureBox box(0, 0);
        box.setPicture(Picture(std::move(white)));
        const Picture other = shared ? box.picture() : Picture();
        box.drawOnPicture();
        box.setScaleMode(ScaleMode::Pixels);
        box.Line(0, 10, 39, 10);
        const QImage drawn = box.Image().image();
        EXPECT_EQ(drawn.pixel(20, 10), qRgb(0, 0, 0)) << shared;
        EXPECT_EQ(drawn.constBits() == pixels, !shared) << "drawn in place only when unshared";
        if (shared) {
            EXPECT_EQ(other.image().pixel(20, 10), qRgb(255, 255, 255)) << "the other keeps it";
        }
    }
}

TEST(PictureBox, DrawingInPlaceWritesThePicturesMemoryAndClsPutsItBack) {
    struct Row {
        const char* guards;
        int lines;      // diagonal lines three pixels wide, one row of pixels apart
        bool stamped;   // and a half-transparent sprite over them
        bool outgrows;  // what they cover outgrows a quarter of the picture
        int opacity = kOpaque;
        DashStyle style = DashStyle::Solid;
    };
    const Row rows[] = {
        {"a few lines", 4, false, false},
        {"lines and a stamp", 4, true, false},
        {"lines covering most of the picture", 100, true, true},
        {"translucent dashes", 4, true, false, 40, DashStyle::Dashed},
        {"translucent lines moved to a copy halfway", 100, true, true, 40},
    };
    QImage sprite(12, 8, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(qRgba(0, 0, 100, 128));
    for (const Row& row : rows) {
        QImage map(200, 150, QImage::Format_RGB32);
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 200; ++x) {
                map.setPixel(x, y, qRgb(x, y, 50));
            }
        }
        const QImage original = map.copy();
        const auto draw = [&](PictureBox& box) {
            box.setScaleMode(ScaleMode::Pixels);
            box.setDrawWidth(3);
            box.setDrawOpacity(row.opacity);
            box.setDrawStyle(row.style);
            for (int i = 0; i < row.lines; ++i) {
                box.Line(0, i, 199, 149 - i);
            }
            if (row.stamped) {
                box.stamp(sprite, 30, 20);
            }
        };
        PictureBox copied(0, 0);
        copied.setPicture(Picture(map.copy()));
        draw(copied);

        PictureBox box(0, 0);
        const Picture held(map);
        box.setPicture(held);
        box.drawInPlace();
        draw(box);
        EXPECT_EQ(box.Image().image(), copied.Image().image()) << row.guards;
        EXPECT_EQ(held.image() == original, row.outgrows)
            << row.guards << ": in place until it keeps too much, then the picture is put back";
        box.Cls();
        EXPECT_FALSE(box.hasDrawing()) << row.guards;
        EXPECT_EQ(held.image(), original) << row.guards;
        EXPECT_TRUE(box.picture().sharesPixelsWith(held)) << row.guards;
    }
}

TEST(PictureBox, ATranslucentLineBlendsAgainInTheNextDrawing) {
    PictureBox box(0, 0);
    box.setPicture(Picture(white(20, 10)));
    box.setScaleMode(ScaleMode::Pixels);
    box.setForeColor(QColor(128, 0, 0));
    box.setDrawOpacity(50);
    box.Line(2, 5, 17, 5);
    box.Line(17, 5, 2, 5);
    const QRgb once = blendOver(qRgb(128, 0, 0), qRgb(255, 255, 255), 50);
    EXPECT_EQ(box.Image().image().pixel(9, 5), once) << "twice over in one drawing is once";
    box.setPicture(box.Image());
    box.Line(2, 5, 17, 5);
    EXPECT_EQ(box.Image().image().pixel(9, 5), blendOver(qRgb(128, 0, 0), once, 50));
}
