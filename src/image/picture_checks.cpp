#include "image/picture_checks.h"

#include <QFile>
#include <QtEndian>

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

QString damageOf(const QString& path, const QByteArray& format) {
    if (format != "jpeg" && format != "bmp") {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    const qint64 size = file.size();
    const uchar* data = size > 0 ? file.map(0, size) : nullptr;
    if (data == nullptr) {
        return {};  // cannot look inside; the decoder has already accepted it
    }
    if (format == "jpeg" && !jpegHasEnd(data, size)) {
        return QStringLiteral("The JPEG file is cut short.");
    }
    if (format == "bmp" && size < bmpDeclaredSize(data, size)) {
        return QStringLiteral("The bitmap file is cut short.");
    }
    return {};
}

}  // namespace tessara
