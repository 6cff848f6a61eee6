// The file dialog of Load Map Picture, which Open Photo of a Board and Join Scanned Sections
// show as well: every picture Tessara reads, PDFs among them, with the sample map's folder
// in its side bar.
#pragma once

namespace tessara {

class CommonDialog;

enum class MapPictures { One, Several };

// Asks for the picture to open; false when the user cancels. The picture chosen is the
// dialog's FileName; with Several, any number of them may be chosen, the dialog's FileNames.
bool askMapPicture(CommonDialog& dialog, MapPictures how = MapPictures::One);

}  // namespace tessara
