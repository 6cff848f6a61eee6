// Keys given twice in one object of a JSON text. Qt's reader keeps the last of them and says
// nothing, so that a file edited by hand could hold a value that is never read, while the
// one above it looks to be the one drawn with.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessara {

// The path ("grid.offsetX") of the first key, in the text's order, that its object gives
// twice, "\u0061" and "a" alike; empty when there is none. The text must be valid JSON.
QString firstRepeatedKey(const QByteArray& json);

}  // namespace tessara
