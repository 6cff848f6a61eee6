// An off-screen picture box: a background picture, a persistent drawing layer on top of it,
// a pen and a scale. It takes the size of its picture, like a picture box whose size
// follows its picture, and what is drawn on it stays until it is cleared. Lines are drawn
// without antialiasing, in exactly the pen's colour; wide lines have round ends, so the
// corners of a path close.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <functional>
#include <utility>

#include "core/numeric.h"
#include "image/line_raster.h"
#include "image/picture.h"
#include "image/pixel_journal.h"

namespace tessara {

enum class ScaleMode : Integer { Twips = 1, Pixels = 3 };

class PictureBox {
  public:
    // An empty box of the given outer size in twips.
    PictureBox(Single widthTwips, Single heightTwips);
    ~PictureBox() = default;
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    // Outer size in twips; it follows the picture.
    Single Width() const { return width_; }
    Single Height() const { return height_; }
    int pixelWidth() const;
    int pixelHeight() const;

    // Replacing the picture discards what was drawn and sizes the box to the picture.
    const Picture& picture() const { return picture_; }
    void setPicture(Picture picture);
    // Sizes a box that holds no picture, in twips; a box with a picture keeps its size.
    void setSize(Single widthTwips, Single heightTwips);

    // Scale of the drawing coordinates; ScaleWidth and ScaleHeight are the inner size in it.
    ScaleMode scaleMode() const { return scaleMode_; }
    void setScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    Single ScaleWidth() const;
    Single ScaleHeight() const;

    // The pen for later lines.
    Integer DrawWidth() const { return drawWidth_; }
    void setDrawWidth(Integer pixels);
    QColor ForeColor() const { return foreColor_; }
    void setForeColor(QColor colour);
    // Solid lines, or dashes or dots that fit each line evenly (line_dashes.h).
    DashStyle DrawStyle() const { return drawStyle_; }
    void setDrawStyle(DashStyle style) { drawStyle_ = style; }
    // How much of the pen's colour a line lays over the pixels it covers, in percent, from 0
    // to 100: below 100 each pixel takes the blend once in a drawing, however many lines
    // cover it.
    int DrawOpacity() const { return drawOpacity_; }
    void setDrawOpacity(int percent);
    // Colour of an empty box (no picture).
    static QColor backColor();

    // A line from (x1, y1) to (x2, y2) in the current scale; the end becomes the current
    // point. What falls outside the box is clipped.
    void Line(Single x1, Single y1, Single x2, Single y2);
    // A line from the current point.
    void LineTo(Single x2, Single y2);
    QPointF currentPoint() const { return current_; }
    // Called with both ends of every line drawn from now on, in the current scale; an empty
    // function stops watching.
    using LineWatcher = std::function<void(QPointF from, QPointF to)>;
    void watchLines(LineWatcher watcher) { watcher_ = std::move(watcher); }

    // Lays a small picture with an alpha channel (premultiplied ARGB) over the drawing, its
    // top-left corner at pixel (x, y); what falls outside the box is clipped.
    void stamp(const QImage& sprite, int x, int y);

    // The picture with everything drawn on it merged in, as a new picture.
    Picture Image();
    // Discards what was drawn, leaving the background picture.
    void Cls();
    // Makes the picture itself the drawing layer, without copying it, when nothing else
    // holds its pixels: for a caller that writes the result out and never discards the
    // drawing, as Cls then leaves an empty box. Otherwise nothing changes.
    void drawOnPicture();
    // Draws from now on straight into the picture's memory, keeping what each line and stamp
    // covers so that Cls puts it back: no copy of the picture is made, and whoever else holds
    // the picture sees the drawing as it is made. When what is kept outgrows a quarter of the
    // picture, the drawing moves to a copy and the picture is put back. Only for an RGB32
    // picture with nothing drawn yet; otherwise nothing changes.
    void drawInPlace();
    // Makes the picture what `readBack` returns from the drawing layer's memory (the merged
    // picture read into it), and leaves nothing drawn. When `readBack` throws, the picture
    // is as it was before the drawing, and the exception goes on.
    void mergeLayer(const std::function<Picture(QImage memory)>& readBack);
    // What the last merge changed, for taking it back: the pixels its drawing covered when
    // it was drawn in place and read back into the picture's own memory, or else the picture
    // before it (a handle, no copy). Handed over once; a new picture forgets it.
    struct MergedChange {
        PixelJournal covered;
        Picture before;
    };
    MergedChange takeLastMerge();
    // Takes a merge back, or puts it back again: the covered pixels are exchanged with the
    // picture's, or `before` with the picture. Done twice, it leaves the box as it was.
    void exchange(MergedChange& change, bool takingBack);
    // True while something drawn has not been discarded.
    bool hasDrawing() const { return !layer_.isNull(); }
    // Hands over the drawing layer, the picture with the drawing on it, to be written over
    // (by the merged picture read back, say); nothing stays drawn. A drawing made in place
    // is handed over as a copy, and the picture put back.
    QImage takeLayer();

  private:
    QPointF toPixels(QPointF point) const;
    // The drawing layer, made at the first line from the picture (or the back colour).
    // Throws std::bad_alloc when there is no memory for it.
    QImage& layer();
    // The spare memory made into a drawing layer, when there is spare memory of the
    // picture's size and format that nothing else holds; a null image otherwise.
    QImage reusedLayer();
    // Ends drawing in place; `putBack` puts the picture's pixels back as they were.
    void endInPlace(bool putBack);
    // Moves a drawing made in place to a copy of its own once it keeps too much.
    void limitJournal();

    Single width_;
    Single height_;
    Picture picture_;
    ScaleMode scaleMode_ = ScaleMode::Twips;
    Integer drawWidth_ = 1;
    QColor foreColor_ = Qt::black;
    DashStyle drawStyle_ = DashStyle::Solid;
    int drawOpacity_ = kOpaque;
    QPointF current_;
    QImage layer_;  // the picture with the drawing on it, made at the first line
    // Memory of the picture's size kept for the next drawing layer: a discarded layer, or
    // the picture before this one. A fresh full-size buffer costs a page fault per page.
    Picture spare_;
    // While drawing in place: the layer is the picture's memory, and this what it covered.
    bool inPlace_ = false;
    PixelJournal journal_;
    MergedChange lastMerge_;
    LineRaster raster_;
    LineWatcher watcher_;
};

}  // namespace tessara
