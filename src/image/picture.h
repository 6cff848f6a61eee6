// A picture is a cheap handle to an immutable image: copying the handle, or giving it to a
// second control, shares the pixels; nothing copies them by accident.
#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <stdexcept>

namespace tessara {

class Picture {
  public:
    Picture() = default;
    explicit Picture(QImage image);

    bool isNull() const { return !image_ || image_->isNull(); }
    int width() const { return isNull() ? 0 : image_->width(); }
    int height() const { return isNull() ? 0 : image_->height(); }
    // The image itself; a null image when there is no picture.
    const QImage& image() const;
    // True when both handles refer to the very same pixels.
    bool sharesPixelsWith(const Picture& other) const;

  private:
    std::shared_ptr<const QImage> image_;
};

// Raised when a picture cannot be read or written; what() says why, in words for the user.
class PictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a picture file (BMP, JPEG, and whatever else Qt's image plugins read: PNG, GIF,
// TIFF, WebP). The format is decided by the content, not by the name. Pictures with an
// alpha channel are flattened onto white, so what is shown is what a bitmap file keeps.
// Throws PictureError for anything it cannot read.
Picture LoadPicture(const QString& path);

// Writes the picture as a Windows bitmap file ("BM" header, information header, pixel
// rows) at its full size and in its own colour depth, replacing the file atomically.
// Throws PictureError when there is no picture or the file cannot be written.
void SavePicture(const Picture& picture, const QString& path);

// Qt refuses by default to decode images over 128 MB; scanned maps are far larger. Raises
// the limit once, at start-up, to what this machine can hold (half its memory), so that a
// file claiming an absurd size is refused instead of exhausting memory.
void raiseImageAllocationLimit();

}  // namespace tessara
