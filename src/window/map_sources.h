// The other ways a map comes in besides Load Map Picture: a picture file dropped on the
// window, and Help, Open Sample Map. Both load it as Load Map Picture does once a file is
// chosen.
#pragma once

#include <QObject>
#include <functional>

#include "window/map_window.h"

class QAction;

namespace tessara {

class MapSources : public QObject {
    Q_OBJECT
  public:
    using Open = std::function<void(const QString& path)>;
    // Takes the files dropped on the window; `open` loads one.
    MapSources(const MapWindow& window, Open open);

    QAction* sampleAction() const { return sample_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void openSample();

    MapWindow window_;
    Open open_;
    QAction* sample_ = nullptr;
};

}  // namespace tessara
