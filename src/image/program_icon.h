// The program's icon, drawn at 16x16 and 32x32 pixels in sixteen colours.
#pragma once

#include <QIcon>

namespace tessara {

QIcon tessaraIcon();

}  // namespace tessara
