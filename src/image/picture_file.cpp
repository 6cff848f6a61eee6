#include "image/picture_file.h"

#include <sys/stat.h>
#include <cstring>

#include "core/file_names.h"
#include "image/picture.h"

namespace tessara {

FileIdentity identityOf(const QString& path) {
    struct stat st {};
    if (::stat(encodeFileName(path).constData(), &st) != 0) {
        return {};
    }
    return {st.st_dev, st.st_ino};
}

PictureFile::PictureFile(const QString& path) : file_(path) {
    switch (file_.refusal()) {
        case RegularFile::Refusal::None:
            break;
        case RegularFile::Refusal::CannotOpen:
            throw PictureError(std::string("The file cannot be opened: ") +
                               std::strerror(file_.error()));
        case RegularFile::Refusal::Folder:
            throw PictureError("It is a folder, not a picture file.");
        case RegularFile::Refusal::NotRegular:
            throw PictureError("It is not a picture file but a pipe, a device or a socket.");
    }
}

}  // namespace tessara
