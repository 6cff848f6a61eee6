#include "image/picture_checks.h"

#include <QtEndian>
#include <cstdlib>

namespace tessara {

bool jpegHasEnd(const uchar* data, qint64 size) {
    // Inside entropy-coded data every 0xFF byte is followed by 0x00 or a restart marker, so
    // an end marker (FF D9) or a start-of-scan marker (FF DA) found there is a real one.
    // The file is whole when an end marker follows the last start of scan.
    for (qint64 i = size - 2; i >= 0; --i) {
        if (data[i] != 0xFF) {
            continue;
        }
        if (data[i + 1] == 0xD9) {
            return true;
        }
        if (data[i + 1] == 0xDA) {
            return false;
        }
    }
    return false;
}

qint64 bmpDeclaredSize(const uchar* data, qint64 size) {
    if (size < 26 || data[0] != 'B' || data[1] != 'M') {
        return 0;
    }
    const quint32 offset = qFromLittleEndian<quint32>(data + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(data + 14);
    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = qFromLittleEndian<quint16>(data + 18);
        height = qFromLittleEndian<quint16>(data + 20);
        bits = qFromLittleEndian<quint16>(data + 24);
    } else if (headerSize >= 40 && size >= 34) {
        width = qFromLittleEndian<qint32>(data + 18);
        height = qFromLittleEndian<qint32>(data + 22);
        bits = qFromLittleEndian<quint16>(data + 28);
        compression = qFromLittleEndian<quint32>(data + 30);
    } else {
        return 0;
    }
    const bool uncompressed = compression == 0 || compression == 3;  // BI_RGB, BI_BITFIELDS
    if (!uncompressed || width <= 0 || bits <= 0) {
        return 0;
    }
    height = height < 0 ? -height : height;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return static_cast<qint64>(offset) + stride * height;
}

namespace {

constexpr quint32 kRle8 = 1;
constexpr quint32 kRle4 = 2;

// Bytes of pixel data that follow an absolute-mode code for `count` pixels, padded to a
// whole 16-bit word.
qint64 absoluteBytes(int count, bool fourBits) {
    const qint64 bytes = fourBits ? (count + 1) / 2 : count;
    return (bytes + 1) & ~qint64{1};
}

}  // namespace

bool bmpRunsAreWhole(const uchar* data, qint64 size) {
    if (size < 34 || data[0] != 'B' || data[1] != 'M' ||
        qFromLittleEndian<quint32>(data + 14) < 40) {
        return true;
    }
    const quint32 compression = qFromLittleEndian<quint32>(data + 30);
    if (compression != kRle8 && compression != kRle4) {
        return true;
    }
    const qint64 height = std::abs(static_cast<qint64>(qFromLittleEndian<qint32>(data + 22)));
    qint64 at = qFromLittleEndian<quint32>(data + 10);
    qint64 rows = 0;
    while (at + 2 <= size) {
        const int count = data[at];
        const int code = data[at + 1];
        at += 2;
        if (count != 0) {
            continue;  // a run of one value
        }
        if (code == 1) {
            return true;  // end of bitmap
        }
        if (code == 0 && ++rows >= height) {
            return true;  // every row ended
        }
        if (code == 2) {
            at += 2;  // a jump: two more bytes
        } else if (code > 2) {
            at += absoluteBytes(code, compression == kRle4);
        }
    }
    return false;
}

QString damageOf(const QByteArray& bytes, const QByteArray& format) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (format == "jpeg" && !jpegHasEnd(data, size)) {
        return QStringLiteral("The JPEG file is cut short.");
    }
    if (format == "bmp" && (size < bmpDeclaredSize(data, size) || !bmpRunsAreWhole(data, size))) {
        return QStringLiteral("The bitmap file is cut short.");
    }
    return {};
}

}  // namespace tessara
