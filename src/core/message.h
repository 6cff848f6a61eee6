// What a message box says; made by small functions so that tests can check the words.
#pragma once

#include <QString>

namespace tessara {

struct Message {
    QString prompt;
    QString title;  // empty: the application's title

    friend bool operator==(const Message&, const Message&) = default;
};

}  // namespace tessara
