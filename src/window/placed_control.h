// A control whose position and size are kept in twips, as Singles, and read back exactly
// as they were set; only the widget's geometry is rounded to whole pixels.
#pragma once

#include <QWidget>

#include "core/twips.h"

namespace tessara {

class PlacedControl {
  public:
    PlacedControl(QWidget* widget, const TwipsRect& design) : widget_(widget), place_(design) {
        apply();
    }

    QWidget* widget() const { return widget_; }
    const TwipsRect& place() const { return place_; }
    Single Left() const { return place_.Left; }
    Single Top() const { return place_.Top; }
    Single Width() const { return place_.Width; }
    Single Height() const { return place_.Height; }
    void setLeft(Single v) { set(place_.Left, v); }
    void setTop(Single v) { set(place_.Top, v); }
    void setWidth(Single v) { set(place_.Width, v); }
    void setHeight(Single v) { set(place_.Height, v); }

  private:
    void set(Single& field, Single v) {
        field = v;
        apply();
    }
    void apply() { widget_->setGeometry(toPixels(place_)); }

    QWidget* widget_;
    TwipsRect place_;
};

}  // namespace tessara
