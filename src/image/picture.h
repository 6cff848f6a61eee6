// A picture is a cheap handle to an immutable image: copying the handle, or giving it to a
// second control, shares the pixels; nothing copies them by accident.
#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <stdexcept>

#include "core/progress.h"
#include "image/atomic_file.h"
#include "image/picture_file.h"

namespace tessara {

class Picture {
  public:
    Picture() = default;
    explicit Picture(QImage image, FileIdentity source = {});

    bool isNull() const { return !image_ || image_->isNull(); }
    int width() const { return isNull() ? 0 : image_->width(); }
    int height() const { return isNull() ? 0 : image_->height(); }
    // The image itself; a null image when there is no picture.
    const QImage& image() const;
    // True when both handles refer to the very same pixels.
    bool sharesPixelsWith(const Picture& other) const;
    // The file the picture was loaded from; null when it was made in memory.
    FileIdentity source() const { return source_; }
    // The pixels, to be written over, when this handle is the only one that holds them;
    // a null image otherwise. The handle is empty afterwards.
    QImage reclaim() &&;

  private:
    std::shared_ptr<const QImage> image_;
    FileIdentity source_;
};

// Raised when a picture cannot be read or written; what() says why, in words for the user.
class PictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Raised when a picture is larger than this machine can hold; what() names its size.
class PictureTooLarge : public PictureError {
  public:
    using PictureError::PictureError;
};

// Raised when the memory free now cannot hold a picture that a map may be: the machine's
// lack, not the file's fault, which more memory or a smaller picture mends.
class PictureOutOfMemory : public PictureTooLarge {
  public:
    using PictureTooLarge::PictureTooLarge;
};

// Reads a picture file (BMP, JPEG, and whatever else Qt's image plugins read: PNG, GIF,
// TIFF, WebP). The format is decided by the content, not by the name, and a picture stored
// turned is turned as viewers show it. Pictures with an alpha channel are flattened onto
// white, so what is shown is what a bitmap file keeps.
// Uncompressed bitmaps are read by our own reader, of any size that fits in memory. Throws
// PictureError for anything it cannot read, PictureTooLarge for what does not fit, and
// PictureOutOfMemory when the memory runs out, whether before or while it is decoded.
Picture LoadPicture(const QString& path, Progress& progress = noProgress());

// Reads an uncompressed bitmap (as our writer writes them) with our own reader, into the
// memory of `into` when it has the picture's size and format and nothing else holds it.
// Throws as LoadPicture does; anything but an uncompressed bitmap is refused.
Picture LoadBitmapInto(const QString& path, QImage into, Progress& progress = noProgress());

// Writes the picture as a Windows bitmap file ("BM" header, information header, pixel
// rows) at its full size and in its own colour depth, replacing the file atomically.
// Throws PictureError when there is no picture or the file cannot be written.
void SavePicture(const Picture& picture, const QString& path,
                 Durability durability = Durability::OnDisk, Progress& progress = noProgress());

// Qt refuses by default to decode images over 128 MB; scanned maps are far larger. Raises
// the limit once, at start-up, to what this machine can hold (half its memory), so that a
// file claiming an absurd size is refused instead of exhausting memory.
void raiseImageAllocationLimit();

}  // namespace tessara
