// Columns named by letters, as games name hex columns and as map pages are labelled.
#pragma once

#include <QString>

namespace tessara {

// Columns A to Z, then AA, AB ... as in a spreadsheet: `n` counted from 1; 0 and below stay
// digits.
QString columnLetters(int n);

}  // namespace tessara
