// Towns and villages: where people would settle (low dry ground, by a river or the coast,
// out of the woods), drawn as clusters of buildings with their names beside them.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>
#include <vector>

#include "drainage.h"
#include "landscape.h"
#include "names.h"
#include "random.h"

namespace tessara {

struct Town {
    QPointF centre;
    double radius;  // pixels
    QString name;
    bool large;
};

// Towns at least a few kilometres apart, none in `keepClear`.
std::vector<Town> placeTowns(const Landscape& land, const Drainage& drainage,
                             const QRectF& keepClear, NameMaker& names, Random random);

void drawTowns(QPainter& painter, const Landscape& land, const std::vector<Town>& towns,
               Random random);
void drawTownNames(QPainter& painter, const Landscape& land, const std::vector<Town>& towns);

}  // namespace tessara
