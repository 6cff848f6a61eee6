#include "window/form_layout.h"

#include <QWidget>

namespace tessara {
namespace {

// Every value is a Single; the arithmetic of each step is exact in double precision and
// then stored, which is the same as computing it in single precision.
Single add(Single a, Single b) {
    return toSingle(static_cast<double>(a) + b);
}
Single sub(Single a, Single b) {
    return toSingle(static_cast<double>(a) - b);
}

constexpr Single kFramesWidth = 7815;  // both frames side by side: 4440 + 3375
constexpr Single kFrame2Offset = 4440;
constexpr Single kFrameFromBottom = 2800;
constexpr Single kCommandOffsetX = 1560;
constexpr Single kCommandOffsetY = 1200;
constexpr Single kViewportMargin = 200;
constexpr Single kViewportHeightLoss = 3300;
constexpr Single kViewportWidthLoss = 655;
constexpr Single kScrollBarThickness = 255;

}  // namespace

LayoutStep layoutFor(Single w, Single h, bool minimised) {
    if (minimised) {
        return KeepLayout{};
    }
    if (h < kMinimumWindowHeight) {
        return SetWindowHeight{kMinimumWindowHeight};
    }
    if (w < kMinimumWindowWidth) {
        return SetWindowWidth{kMinimumWindowWidth};
    }
    ControlPlaces p{};
    p.frame1Left = toSingle(static_cast<double>(sub(w, kFramesWidth)) / 2);
    p.frame1Top = sub(h, kFrameFromBottom);
    p.frame2Left = add(p.frame1Left, kFrame2Offset);
    p.frame2Top = p.frame1Top;
    p.command1Left = add(p.frame1Left, kCommandOffsetX);
    p.command1Top = add(p.frame1Top, kCommandOffsetY);
    p.picture1.Top = kViewportMargin;
    p.picture1.Left = kViewportMargin;
    p.picture1.Height = sub(h, kViewportHeightLoss);
    p.picture1.Width = sub(w, kViewportWidthLoss);
    p.vscroll2Top = p.picture1.Top;
    p.vscroll2Left = add(p.picture1.Left, p.picture1.Width);
    p.vscroll2Height = add(p.picture1.Height, kScrollBarThickness);
    p.hscroll1Left = p.picture1.Left;
    p.hscroll1Width = p.picture1.Width;
    p.hscroll1Top = add(p.picture1.Top, p.picture1.Height);
    return p;
}

Single outerWidth(const QWidget& window) {
    return toSingle(static_cast<double>(window.frameGeometry().width()) * kTwipsPerPixel);
}

Single outerHeight(const QWidget& window) {
    return toSingle(static_cast<double>(window.frameGeometry().height()) * kTwipsPerPixel);
}

void setOuterWidth(QWidget& window, Single twips) {
    const int frame = window.frameGeometry().width() - window.width();
    window.resize(twipsToPixels(twips) - frame, window.height());
}

void setOuterHeight(QWidget& window, Single twips) {
    const int frame = window.frameGeometry().height() - window.height();
    window.resize(window.width(), twipsToPixels(twips) - frame);
}

}  // namespace tessara
