#include "image/picture_box.h"

#include <algorithm>
#include <new>

#include "core/twips.h"
#include "image/large_image.h"

namespace tessara {

PictureBox::PictureBox(Single widthTwips, Single heightTwips)
    : width_(widthTwips), height_(heightTwips) {}

int PictureBox::pixelWidth() const {
    return twipsToPixels(width_);
}
int PictureBox::pixelHeight() const {
    return twipsToPixels(height_);
}

void PictureBox::setPicture(Picture picture) {
    Cls();
    lastMerge_ = {};
    if (picture.width() == picture_.width() && picture.height() == picture_.height()) {
        spare_ = std::move(picture_);
    } else {
        spare_ = Picture();
    }
    picture_ = std::move(picture);
    if (!picture_.isNull()) {
        width_ = toSingle(static_cast<double>(picture_.width()) * kTwipsPerPixel);
        height_ = toSingle(static_cast<double>(picture_.height()) * kTwipsPerPixel);
    }
}

void PictureBox::setSize(Single widthTwips, Single heightTwips) {
    if (picture_.isNull()) {
        Cls();
        width_ = widthTwips;
        height_ = heightTwips;
    }
}

Single PictureBox::ScaleWidth() const {
    return scaleMode_ == ScaleMode::Pixels ? static_cast<Single>(pixelWidth()) : width_;
}

Single PictureBox::ScaleHeight() const {
    return scaleMode_ == ScaleMode::Pixels ? static_cast<Single>(pixelHeight()) : height_;
}

void PictureBox::setDrawWidth(Integer pixels) {
    drawWidth_ = pixels < 1 ? Integer{1} : pixels;
}

void PictureBox::setForeColor(QColor colour) {
    foreColor_ = colour;
}

void PictureBox::setDrawOpacity(int percent) {
    drawOpacity_ = std::clamp(percent, 0, kOpaque);
}

QColor PictureBox::backColor() {
    return {240, 240, 240};
}

QPointF PictureBox::toPixels(QPointF point) const {
    if (scaleMode_ == ScaleMode::Pixels) {
        return point;
    }
    return point / static_cast<double>(kTwipsPerPixel);
}

void PictureBox::Line(Single x1, Single y1, Single x2, Single y2) {
    current_ = {x1, y1};
    LineTo(x2, y2);
}

void PictureBox::LineTo(Single x2, Single y2) {
    const QPointF from = current_;
    current_ = {x2, y2};
    if (watcher_) {
        watcher_(from, current_);
    }
    limitJournal();
    raster_.draw(layer(), toPixels(from), toPixels(current_),
                 {foreColor_.rgb(), drawWidth_, drawStyle_, drawOpacity_});
}

namespace {

// Every channel of `pixel` times `factor` / 255, rounded, two channels at a time.
inline QRgb scaled(QRgb pixel, unsigned factor) {
    unsigned redBlue = (pixel & 0xff00ffU) * factor;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ffU) + 0x800080U) >> 8) & 0xff00ffU;
    unsigned alphaGreen = ((pixel >> 8) & 0xff00ffU) * factor;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ffU) + 0x800080U) & 0xff00ff00U;
    return redBlue | alphaGreen;
}

}  // namespace

void PictureBox::stamp(const QImage& sprite, int x, int y) {
    limitJournal();
    QImage& target = layer();
    const QRect area = QRect(x, y, sprite.width(), sprite.height()) & target.rect();
    if (area.isEmpty()) {
        return;
    }
    uchar* const bits = target.bits();  // detaches once, not once a row
    const qsizetype stride = target.bytesPerLine();
    for (int row = area.top(); row <= area.bottom(); ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(sprite.constScanLine(row - y)) - x;
        auto* to = reinterpret_cast<QRgb*>(bits + row * stride);
        if (inPlace_) {
            journal_.keep(to + area.left(), row * stride / 4 + area.left(), area.width());
        }
        for (int column = area.left(); column <= area.right(); ++column) {
            const QRgb source = from[column];
            const unsigned alpha = qAlpha(source);
            if (alpha == 0) {
                continue;
            }
            // Source over, in premultiplied colour: the sprite plus what shows through it.
            to[column] =
                alpha == 255 ? source : 0xff000000U | (source + scaled(to[column], 255 - alpha));
        }
    }
}

void PictureBox::drawOnPicture() {
    const QImage& pixels = picture_.image();
    if (!layer_.isNull() || pixels.format() != QImage::Format_RGB32 || !pixels.isDetached()) {
        return;
    }
    layer_ = std::move(picture_).reclaim();  // leaves the picture as it was when shared
    if (!layer_.isNull()) {
        picture_ = Picture();
        raster_.startDrawing();
    }
}

QImage& PictureBox::layer() {
    if (!layer_.isNull()) {
        return layer_;
    }
    raster_.startDrawing();
    layer_ = reusedLayer();
    if (!layer_.isNull()) {
        return layer_;
    }
    if (picture_.isNull()) {
        layer_ = largeImage(pixelWidth(), pixelHeight());
        layer_.fill(backColor());
    } else {
        layer_ = largeCopy(picture_.image());
    }
    const bool hasArea = pixelWidth() > 0 && pixelHeight() > 0;
    if (layer_.isNull() && hasArea) {
        throw std::bad_alloc();  // Qt gives a null image when it cannot allocate one
    }
    return layer_;
}

Picture PictureBox::Image() {
    if (inPlace_) {
        return picture_;  // the same memory as the layer, with its own owner
    }
    if (!layer_.isNull()) {
        return Picture(layer_);
    }
    if (!picture_.isNull()) {
        return picture_;
    }
    QImage blank(pixelWidth(), pixelHeight(), QImage::Format_RGB32);
    blank.fill(backColor());
    return Picture(std::move(blank));
}

QImage PictureBox::reusedLayer() {
    const QImage& source = picture_.image();
    const bool fits = picture_.isNull()
                          ? spare_.width() == pixelWidth() && spare_.height() == pixelHeight()
                          : source.format() == QImage::Format_RGB32;
    QImage memory = fits ? std::move(spare_).reclaim() : QImage();
    spare_ = Picture();
    if (memory.format() != QImage::Format_RGB32 ||
        memory.size() != QSize(pixelWidth(), pixelHeight())) {
        return {};
    }
    if (picture_.isNull()) {
        memory.fill(backColor());
        return memory;
    }
    copyPixels(source, memory);
    return memory;
}

void PictureBox::drawInPlace() {
    const QImage& pixels = picture_.image();
    if (!layer_.isNull() || pixels.format() != QImage::Format_RGB32) {
        return;
    }
    // The picture's own memory, written through a second image that does not own it: the
    // picture and its other holders keep it alive for as long as the drawing lasts.
    layer_ = QImage(const_cast<uchar*>(pixels.constBits()), pixels.width(), pixels.height(),
                    pixels.bytesPerLine(), QImage::Format_RGB32);
    layer_.setDotsPerMeterX(pixels.dotsPerMeterX());
    layer_.setDotsPerMeterY(pixels.dotsPerMeterY());
    inPlace_ = true;
    raster_.startDrawing();
    raster_.keepOriginalsIn(&journal_);
}

void PictureBox::endInPlace(bool putBack) {
    if (putBack) {
        journal_.restore(reinterpret_cast<QRgb*>(const_cast<uchar*>(picture_.image().constBits())));
    }
    journal_.clear();
    raster_.keepOriginalsIn(nullptr);
    inPlace_ = false;
}

void PictureBox::limitJournal() {
    if (!inPlace_ || journal_.bytes() <= static_cast<size_t>(picture_.image().sizeInBytes()) / 4) {
        return;
    }
    QImage copy = largeCopy(layer_);
    endInPlace(true);
    layer_ = std::move(copy);
    if (layer_.isNull()) {
        throw std::bad_alloc();
    }
}

void PictureBox::mergeLayer(const std::function<Picture(QImage memory)>& readBack) {
    if (!inPlace_) {
        Picture before = picture_;
        setPicture(readBack(takeLayer()));
        lastMerge_.before = std::move(before);
        return;
    }
    Picture merged;
    try {
        merged = readBack(std::exchange(layer_, QImage()));
    } catch (...) {
        endInPlace(true);  // what was read in is the drawing over the picture: take it back
        throw;
    }
    if (!merged.sharesPixelsWith(picture_)) {
        endInPlace(true);
        Picture before = picture_;
        setPicture(std::move(merged));
        lastMerge_.before = std::move(before);
        return;
    }
    // Read back into the picture's own memory: the picture is the merged one now, held by the
    // image that owns the memory. What the drawing covered is kept for taking it back.
    PixelJournal covered = std::exchange(journal_, PixelJournal());
    endInPlace(false);
    lastMerge_ = {std::move(covered), Picture()};
    spare_ = Picture();
    picture_ = Picture(picture_.image());
}

PictureBox::MergedChange PictureBox::takeLastMerge() {
    return std::exchange(lastMerge_, MergedChange());
}

void PictureBox::exchange(MergedChange& change, bool takingBack) {
    if (!change.covered.empty()) {
        Cls();
        auto* bits = reinterpret_cast<QRgb*>(const_cast<uchar*>(picture_.image().constBits()));
        change.covered.exchange(bits, takingBack);
        return;
    }
    Picture other = picture_;
    setPicture(std::move(change.before));
    change.before = std::move(other);
}

QImage PictureBox::takeLayer() {
    if (inPlace_) {
        QImage copy = layer_.copy();
        Cls();
        return copy;
    }
    return std::exchange(layer_, QImage());
}

void PictureBox::Cls() {
    if (inPlace_) {
        layer_ = QImage();
        endInPlace(true);
        return;
    }
    if (!layer_.isNull()) {
        spare_ = Picture(std::exchange(layer_, QImage()));
    }
}

}  // namespace tessara
