#include "sample_map.h"

#include <QPainter>

#include "drainage.h"
#include "landmarks.h"
#include "landscape.h"
#include "names.h"
#include "rivers.h"
#include "roads.h"
#include "scale_bar.h"
#include "terrain_raster.h"
#include "towns.h"
#include "woods.h"

namespace tessara {

QImage drawSampleMap(QSize size, std::uint64_t seed) {
    Landscape land = makeLandscape(size, seed);
    // Each layer draws from a stream of its own: a change to one leaves the others' choices.
    Random random(mix64(seed) ^ 0x5A3D1E);
    Drainage drainage = makeDrainage(land, random.branch(6).next());
    double scale = lineScale(size);
    QRectF cartouche = cartoucheRect(size, land.pixelsPerKm);
    NameMaker names(random.branch(1));
    std::vector<Town> towns = placeTowns(land, drainage, cartouche, names, random.branch(2));
    std::vector<Road> roads = planRoads(drainage, towns, scale);

    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;  // out of memory
    }
    paintTerrain(image, land);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawTrees(painter, land, random.branch(3));
    drawRivers(painter, drainage, scale, random.branch(4));
    drawRoads(painter, roads, scale);
    drawTowns(painter, land, towns, random.branch(5));
    drawSpotHeights(painter, land, drainage, towns, cartouche);
    drawSeaName(painter, land, drainage, cartouche, names);
    drawTownNames(painter, land, towns);
    drawCartouche(painter, size, land.pixelsPerKm, names.region());
    painter.end();
    return image;
}

}  // namespace tessara
