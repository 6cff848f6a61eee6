// The scroll bars place the image by the offset rule, each in its own direction only.
#include <QScrollBar>

#include "view/image_control.h"
#include "view/offset_rule.h"
#include "window/main_window.h"

namespace tessara {

void Form1::HScroll1_Change() {
    Imgdisplay->setLeft(imageOffset(Imgdisplay->Width(), picture1Place_->Width(), HScroll1->value(),
                                    HScroll1->maximum()));
}

void Form1::VScroll2_Change() {
    Imgdisplay->setTop(imageOffset(Imgdisplay->Height(), picture1Place_->Height(),
                                   VScroll2->value(), VScroll2->maximum()));
}

}  // namespace tessara
