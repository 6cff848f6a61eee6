#include "app/picture_box.h"

#include "app/twips.h"

namespace tessara {

PictureBox::PictureBox(Single widthTwips, Single heightTwips)
    : width_(widthTwips), height_(heightTwips) {}

PictureBox::~PictureBox() {
    endDrawing();
}

int PictureBox::pixelWidth() const {
    return twipsToPixels(width_);
}
int PictureBox::pixelHeight() const {
    return twipsToPixels(height_);
}

void PictureBox::setPicture(Picture picture) {
    Cls();
    picture_ = std::move(picture);
    if (!picture_.isNull()) {
        width_ = toSingle(static_cast<double>(picture_.width()) * kTwipsPerPixel);
        height_ = toSingle(static_cast<double>(picture_.height()) * kTwipsPerPixel);
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
    applyPen();
}

void PictureBox::setForeColor(QColor colour) {
    foreColor_ = colour;
    applyPen();
}

QColor PictureBox::backColor() {
    return {240, 240, 240};
}

QPointF PictureBox::toPixels(Single x, Single y) const {
    if (scaleMode_ == ScaleMode::Pixels) {
        return {x, y};
    }
    return {x / static_cast<double>(kTwipsPerPixel), y / static_cast<double>(kTwipsPerPixel)};
}

void PictureBox::Line(Single x1, Single y1, Single x2, Single y2) {
    current_ = {x1, y1};
    LineTo(x2, y2);
}

void PictureBox::LineTo(Single x2, Single y2) {
    beginDrawing();
    const QPointF from =
        toPixels(static_cast<Single>(current_.x()), static_cast<Single>(current_.y()));
    const QPointF to = toPixels(x2, y2);
    painter_->drawLine(from, to);
    current_ = {x2, y2};
}

void PictureBox::beginDrawing() {
    if (painter_) {
        return;
    }
    if (layer_.isNull()) {
        if (picture_.isNull()) {
            layer_ = QImage(pixelWidth(), pixelHeight(), QImage::Format_RGB32);
            layer_.fill(backColor());
        } else if (picture_.image().format() == QImage::Format_RGB32) {
            layer_ = picture_.image().copy();
        } else {
            layer_ = picture_.image().convertToFormat(QImage::Format_RGB32);
        }
    }
    painter_ = std::make_unique<QPainter>(&layer_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    applyPen();
}

void PictureBox::applyPen() {
    if (!painter_) {
        return;
    }
    // Wide lines get round ends and joints so that the corners of a path close.
    QPen pen(foreColor_, drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (drawWidth_ <= 1) {
        pen = QPen(foreColor_, 0);  // one pixel wide, whatever the scale
    }
    painter_->setPen(pen);
}

void PictureBox::endDrawing() {
    painter_.reset();
}

Picture PictureBox::Image() {
    endDrawing();
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

void PictureBox::Cls() {
    endDrawing();
    layer_ = QImage();
}

}  // namespace tessara
