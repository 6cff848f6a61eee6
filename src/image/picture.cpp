#include "image/picture.h"

#include <unistd.h>
#include <QImageReader>
#include <QPainter>
#include <algorithm>

#include "image/atomic_file.h"
#include "image/bmp_reader.h"
#include "image/bmp_writer.h"
#include "image/picture_memory.h"
#include "image/qt_decoding.h"

namespace tessara {
namespace {

// A resolution below 1 dot a metre means nothing, and writers refuse it (Qt's TIFF writer
// fails with "Unknown error"): the picture keeps the one a new picture has instead.
void dropSenselessResolution(QImage& image) {
    static const QImage kPlain(1, 1, QImage::Format_RGB32);
    if (image.dotsPerMeterX() <= 0) {
        image.setDotsPerMeterX(kPlain.dotsPerMeterX());
    }
    if (image.dotsPerMeterY() <= 0) {
        image.setDotsPerMeterY(kPlain.dotsPerMeterY());
    }
}

// Keeps 1- and 8-bit pictures as they are (a grey scan stays a quarter of the size) and
// brings every other format to 32-bit RGB, flattening any transparency onto white.
QImage normalised(QImage image) {
    dropSenselessResolution(image);
    if (image.hasAlphaChannel()) {
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.setDotsPerMeterX(image.dotsPerMeterX());
        opaque.setDotsPerMeterY(image.dotsPerMeterY());
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
        return opaque;
    }
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8:
        case QImage::Format_RGB32:
            return image;
        case QImage::Format_MonoLSB:
            return image.convertToFormat(QImage::Format_Mono);
        default:
            return image.convertToFormat(QImage::Format_RGB32);
    }
}

// Enough of a bitmap's start for its headers and a full palette.
constexpr qint64 kBmpHeadBytes = 4096;
// Qt's bitmap decoder refuses pictures of more pixels than this.
constexpr qint64 kQtPixelLimit = qint64{1} << 28;

// Our reader takes the bitmaps Qt reads more slowly (16 bits and more) or not at all;
// Qt keeps the paletted ones it reads, so that they load exactly as they always have.
bool readsItself(const BmpHeader& header) {
    return header.bits >= 16 || static_cast<qint64>(header.width) * header.height > kQtPixelLimit;
}

QImage readBmp(const PictureFile& file, const BmpHeader& header, QImage into, Progress& progress) {
    // A file too short for what its header claims is damaged, whatever size it claims.
    if (file.size() < header.fileBytesNeeded()) {
        throw PictureError("The bitmap file is cut short.");
    }
    checkPictureFits(header.width, header.height, header.bits);
    return readBmpPixels(file.descriptor(), file.size(), header, std::move(into), progress);
}

}  // namespace

Picture::Picture(QImage image, FileIdentity source)
    : image_(std::make_shared<const QImage>(std::move(image))), source_(source) {}

const QImage& Picture::image() const {
    static const QImage kNone;
    return image_ ? *image_ : kNone;
}

bool Picture::sharesPixelsWith(const Picture& other) const {
    return !isNull() && !other.isNull() && image_->constBits() == other.image_->constBits();
}

QImage Picture::reclaim() && {
    if (!image_ || image_.use_count() != 1) {
        return {};
    }
    QImage pixels = *image_;
    image_.reset();
    return pixels.isDetached() ? pixels : QImage();
}

Picture LoadPicture(const QString& path, Progress& progress) {
    const PictureFile file(path);
    try {
        const QByteArray head = file.head(kBmpHeadBytes);
        const std::optional<BmpHeader> bmp =
            parseBmpHeader(reinterpret_cast<const uchar*>(head.constData()), head.size());
        QImage image = bmp && readsItself(*bmp) ? readBmp(file, *bmp, {}, progress)
                                                : decodeWithQt(file.readAll(), progress);
        return Picture(normalised(std::move(image)), file.identity());
    } catch (const std::bad_alloc&) {
        throw PictureOutOfMemory("There is not enough memory for this picture.");
    }
}

Picture LoadBitmapInto(const QString& path, QImage into, Progress& progress) {
    const PictureFile file(path);
    const QByteArray head = file.head(kBmpHeadBytes);
    const std::optional<BmpHeader> bmp =
        parseBmpHeader(reinterpret_cast<const uchar*>(head.constData()), head.size());
    if (!bmp) {
        throw PictureError("It is not an uncompressed bitmap.");
    }
    try {
        return Picture(normalised(readBmp(file, *bmp, std::move(into), progress)));
    } catch (const std::bad_alloc&) {
        throw PictureOutOfMemory("There is not enough memory for this picture.");
    }
}

void SavePicture(const Picture& picture, const QString& path, Durability durability,
                 Progress& progress) {
    if (picture.isNull()) {
        throw PictureError("There is no picture to save.");
    }
    const WriteResult written = writeFileAtomically(
        path, [&](QIODevice& out) { return writeBmp(picture.image(), out, progress); }, durability);
    if (!written) {
        throw PictureError(written.error.toStdString());
    }
}

void raiseImageAllocationLimit() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    qint64 megabytes = 4096;  // when the machine does not say how much memory it has
    if (pages > 0 && pageSize > 0) {
        megabytes = static_cast<qint64>(pages) / 2 * pageSize / (1024 * 1024);
    }
    QImageReader::setAllocationLimit(static_cast<int>(std::clamp<qint64>(megabytes, 256, 1 << 30)));
}

}  // namespace tessara
