#include "image/bmp_header.h"

#include <QtEndian>
#include <limits>

namespace tessara {

std::optional<BmpFields> readBmpFields(const uchar* data, qint64 size) {
    if (size < kBmpFileHeaderBytes + kBmpCoreHeaderBytes || data[0] != 'B' || data[1] != 'M') {
        return std::nullopt;
    }
    BmpFields f;
    f.pixelOffset = qFromLittleEndian<quint32>(data + 10);
    f.headerSize = qFromLittleEndian<quint32>(data + 14);
    if (f.headerSize == kBmpCoreHeaderBytes) {
        f.width = qFromLittleEndian<quint16>(data + 18);
        f.height = qFromLittleEndian<quint16>(data + 20);
        f.planes = qFromLittleEndian<quint16>(data + 22);
        f.bits = qFromLittleEndian<quint16>(data + 24);
        return f;
    }
    if (f.headerSize < kBmpInfoHeaderBytes || size < 34) {
        return std::nullopt;
    }
    f.width = qFromLittleEndian<qint32>(data + 18);
    f.height = qFromLittleEndian<qint32>(data + 22);
    f.planes = qFromLittleEndian<quint16>(data + 26);
    f.bits = qFromLittleEndian<quint16>(data + 28);
    f.compression = qFromLittleEndian<quint32>(data + 30);
    f.wholeInfoHeader = size >= kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
    if (f.wholeInfoHeader) {
        f.dotsPerMeterX = qFromLittleEndian<qint32>(data + 38);
        f.dotsPerMeterY = qFromLittleEndian<qint32>(data + 42);
        f.coloursUsed = qFromLittleEndian<quint32>(data + 46);
    }
    return f;
}

qint64 bmpStride(qint64 width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

qint64 bmpFileBytes(qint64 offset, qint64 stride, qint64 rows) {
    qint64 pixels = 0;
    qint64 total = 0;
    if (__builtin_mul_overflow(stride, rows, &pixels) ||
        __builtin_add_overflow(pixels, offset, &total)) {
        return std::numeric_limits<qint64>::max();
    }
    return total;
}

}  // namespace tessara
