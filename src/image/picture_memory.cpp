#include "image/picture_memory.h"

#include <unistd.h>
#include <QFile>

#include "image/picture.h"

namespace tessara {
namespace {

QString gigabytes(double bytes) {
    return QString::number(bytes / (1024.0 * 1024.0 * 1024.0), 'f', 1) + QStringLiteral(" GB");
}

}  // namespace

qint64 memoryAvailable() {
    QFile info(QStringLiteral("/proc/meminfo"));
    if (info.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : info.readAll().split('\n')) {
            if (line.startsWith("MemAvailable:")) {
                return line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
            }
        }
    }
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<qint64>(pages) * pageSize : qint64{4} << 30;
}

void checkPictureFits(qint64 width, qint64 height, int bitsPerPixel, qint64 availableBytes) {
    const QString size = QStringLiteral("%1 x %2 pixels").arg(width).arg(height);
    if (width > kLongestSide || height > kLongestSide) {
        throw PictureTooLarge(QStringLiteral("This picture is %1; a map can be at most %2 pixels "
                                             "wide and %2 pixels high.")
                                  .arg(size)
                                  .arg(kLongestSide)
                                  .toStdString());
    }
    const double bytes = static_cast<double>(width) * static_cast<double>(height) *
                         (bitsPerPixel > 8    ? 4.0
                          : bitsPerPixel == 1 ? 0.125
                                              : 1.0);
    const auto available = static_cast<double>(availableBytes);
    if (bytes > available) {
        throw PictureOutOfMemory(
            QStringLiteral("There is not enough memory for this picture: it is "
                           "%1, which take %2, and %3 is free.")
                .arg(size, gigabytes(bytes), gigabytes(available))
                .toStdString());
    }
}

}  // namespace tessara
