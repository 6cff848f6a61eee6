// A way of working on the map that the Grid menu starts, as a map tool is in a GIS: what it
// does when started, what a left click on the map does while it holds the map, what Esc drops,
// and the status line's message it shows. At most one tool holds the map at a time: starting
// another that holds it ends the first. GridFitting starts them and hands them the clicks.
// No tool takes keys of its own: Esc ends the one holding the map, C starts the corner tour.
#pragma once

#include <QPointF>
#include <QString>
#include <vector>

namespace tessara {

class MapTool {
  public:
    // What start() came to.
    enum class Started {
        Refused,  // it could not start, and told the user why; the tool holding the map keeps it
        Done,     // it did its work at once and holds nothing
        Holding,  // it takes the map's clicks until it has what it needs, or Esc
    };

    virtual ~MapTool() = default;

    virtual Started start() = 0;
    // A left click on the map while the tool holds it, in picture pixels. True when it was
    // the last click the tool needs: it then finishes.
    virtual bool clicked(QPointF /*at*/) { return false; }
    // Works with the clicks once it no longer holds the map, asking what it needs to.
    virtual void finish() {}
    // Forgets the clicks: after it finished, at Esc, and when another tool takes the map.
    virtual void cancel() {}
    // The clicks so far, marked on the map until the tool is done with them.
    virtual const std::vector<QPointF>& marks() const {
        static const std::vector<QPointF> none;
        return none;
    }
    // The status line's message once the tool started; empty leaves the line as it is.
    virtual QString status() const { return {}; }
};

}  // namespace tessara
