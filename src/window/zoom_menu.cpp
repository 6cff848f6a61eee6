// The seven zoom commands: each shows the full-size map at its own scale and brings the
// view back to the map's top-left corner.
#include <QScrollBar>

#include "view/image_control.h"
#include "window/main_window.h"

namespace tessara {

void Form1::applyZoom(Zoom zoom) {
    Imgdisplay->setWidth(zoomedSize(zoom, picMap_.Width()));
    Imgdisplay->setHeight(zoomedSize(zoom, picMap_.Height()));
    Imgdisplay->setPicture(picMap_.picture());  // shared, not copied
    HScroll1->setValue(0);
    VScroll2->setValue(0);
}

void Form1::mnuNormal_Click() {
    applyZoom(Zoom::Normal);
}
void Form1::mnu1to5_Click() {
    applyZoom(Zoom::OneToFive);
}
void Form1::mnu1to3_Click() {
    applyZoom(Zoom::OneToThree);
}
void Form1::mnu1to2_Click() {
    applyZoom(Zoom::OneToTwo);
}
void Form1::mnu2to1_Click() {
    applyZoom(Zoom::TwoToOne);
}
void Form1::mnu3to1_Click() {
    applyZoom(Zoom::ThreeToOne);
}
void Form1::mnu5to1_Click() {
    applyZoom(Zoom::FiveToOne);
}

}  // namespace tessara
