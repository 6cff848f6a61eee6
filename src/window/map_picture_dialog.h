// The file dialog of Load Map Picture, which Open Photo of a Board shows as well: every
// picture Tessara reads, with the sample map's folder in its side bar.
#pragma once

namespace tessara {

class CommonDialog;

// Asks for the picture to open; false when the user cancels. The picture chosen is the
// dialog's FileName.
bool askMapPicture(CommonDialog& dialog);

}  // namespace tessara
