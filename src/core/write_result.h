// What writing a file came to. Every writer of the program (exports, PDFs, the grid alone,
// the atomic replace under them) returns one, and a caller cannot drop it unread.
#pragma once

#include <QString>
#include <utility>

namespace tessara {

struct [[nodiscard]] WriteResult {
    bool ok = true;
    QString error;  // why it failed, in words for the user; empty when it did not fail

    explicit operator bool() const { return ok; }
    static WriteResult done() { return {}; }
    static WriteResult failed(QString why) { return {false, std::move(why)}; }
};

}  // namespace tessara
