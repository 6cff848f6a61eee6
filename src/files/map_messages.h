// What the map file commands tell the user.
#pragma once

#include "app/message_boxes.h"

namespace tessara {

inline Message loadFailedMessage() {
    return {QStringLiteral("Please check this is a valid graphics file"),
            QStringLiteral("Can't load graphics file")};
}

}  // namespace tessara
