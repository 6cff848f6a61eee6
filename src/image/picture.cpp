#include "image/picture.h"

#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>

#include "image/atomic_file.h"
#include "image/bmp_writer.h"
#include "image/picture_checks.h"

namespace tessara {
namespace {

// Keeps 1- and 8-bit pictures as they are (a grey scan stays a quarter of the size) and
// brings every other format to 32-bit RGB, flattening any transparency onto white.
QImage normalised(QImage image) {
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

}  // namespace

Picture::Picture(QImage image) : image_(std::make_shared<const QImage>(std::move(image))) {}

const QImage& Picture::image() const {
    static const QImage kNone;
    return image_ ? *image_ : kNone;
}

bool Picture::sharesPixelsWith(const Picture& other) const {
    return !isNull() && !other.isNull() && image_->constBits() == other.image_->constBits();
}

Picture LoadPicture(const QString& path) {
    if (QFileInfo(path).isDir()) {
        throw PictureError("It is a folder, not a picture file.");
    }
    // Opening the file ourselves gives the true reason it cannot be read (missing, no
    // permission on it or on a folder above it) rather than a guess from its attributes.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw PictureError(("The file cannot be opened: " + file.errorString()).toStdString());
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();  // the reader forgets it once it has read
    QImage image;
    try {
        if (!reader.read(&image) || image.isNull()) {
            throw PictureError(reader.errorString().toStdString());
        }
    } catch (const std::bad_alloc&) {
        throw PictureError("There is not enough memory for this picture.");
    }
    const QString damage = damageOf(path, format);
    if (!damage.isEmpty()) {
        throw PictureError(damage.toStdString());
    }
    try {
        return Picture(normalised(std::move(image)));
    } catch (const std::bad_alloc&) {
        throw PictureError("There is not enough memory for this picture.");
    }
}

void SavePicture(const Picture& picture, const QString& path) {
    if (picture.isNull()) {
        throw PictureError("There is no picture to save.");
    }
    const QString failure = writeFileAtomically(
        path, [&picture](QIODevice& out) { return writeBmp(picture.image(), out); });
    if (!failure.isEmpty()) {
        throw PictureError(failure.toStdString());
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
