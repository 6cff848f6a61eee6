#include "image/picture_checks.h"

#include <QtEndian>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "image/bmp_header.h"

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

qint64 jpegEnd(const uchar* data, qint64 size) {
    qint64 at = 2;  // after the start-of-image marker
    while (true) {
        while (at < size && data[at] != 0xFF) {
            ++at;  // stray bytes between segments, which a decoder passes over with a warning
        }
        while (at < size && data[at] == 0xFF) {
            ++at;  // fill bytes before a marker
        }
        if (at >= size) {
            return -1;
        }
        const uchar marker = data[at++];
        if (marker == 0xD9) {
            return at;  // end of image
        }
        const bool standalone = marker == 0x00 || marker == 0x01 || (marker & 0xF8) == 0xD0;
        if (standalone || marker == 0xD8) {
            continue;  // a marker without a length
        }
        if (at + 2 > size) {
            return -1;
        }
        at += qFromBigEndian<quint16>(data + at);
        if (marker == 0xDA) {
            // The scan's coded data: 0xFF in it is followed by 0x00 or a restart marker.
            while (at + 1 < size &&
                   !(data[at] == 0xFF && data[at + 1] != 0 && (data[at + 1] & 0xF8) != 0xD0)) {
                ++at;
            }
        }
    }
}

qint64 bmpDeclaredSize(const uchar* data, qint64 size) {
    const std::optional<BmpFields> given = readBmpFields(data, size);
    if (!given) {
        return 0;
    }
    const quint32 compression = given->compression;
    const bool uncompressed = compression == 0 || compression == 3;  // BI_RGB, BI_BITFIELDS
    if (!uncompressed || given->width <= 0 || given->bits <= 0) {
        return 0;
    }
    return bmpFileBytes(given->pixelOffset, bmpStride(given->width, given->bits),
                        std::abs(given->height));
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

Structure bmpRunStructure(const uchar* data, qint64 size) {
    const std::optional<BmpFields> given = readBmpFields(data, size);
    if (!given || given->headerSize < kBmpInfoHeaderBytes) {
        return Structure::Whole;
    }
    const quint32 compression = given->compression;
    const qint64 width = given->width;
    const qint64 height = std::abs(given->height);
    if ((compression != kRle8 && compression != kRle4) || width <= 0 || height == 0) {
        return Structure::Whole;  // the decoder judges a picture without pixels
    }
    qint64 at = given->pixelOffset;
    qint64 row = 0;  // in the file's order, and where in it the next pixel goes
    qint64 x = 0;
    while (at + 2 <= size) {
        const int count = data[at];
        const int code = data[at + 1];
        at += 2;
        if (count != 0) {
            x += count;  // a run of one value
        } else if (code == 0) {
            x = 0;  // end of line
            if (++row >= height) {
                return Structure::Whole;
            }
        } else if (code == 1) {
            // End of bitmap: it may end the last row early; earlier, the rows after it would
            // be left blank.
            return row >= height - 1 ? Structure::Whole : Structure::Damaged;
        } else if (code == 2) {
            if (at + 2 > size) {
                break;
            }
            x += data[at];  // a jump right and down
            row += data[at + 1];
            at += 2;
        } else {
            x += code;
            at += absoluteBytes(code, compression == kRle4);
        }
        if (x > width || row >= height) {
            return Structure::Damaged;
        }
    }
    return Structure::CutShort;
}

namespace {

// A chunk: its length, its type, its data and its check value.
constexpr qint64 kPngChunkFrame = 12;

}  // namespace

Structure pngStructure(const uchar* data, qint64 size) {
    qint64 at = 8;  // after the signature
    while (at + kPngChunkFrame <= size) {
        const qint64 length = qFromBigEndian<quint32>(data + at);
        if (length > 0x7FFFFFFF) {
            return Structure::Damaged;
        }
        if (at + kPngChunkFrame + length > size) {
            return Structure::CutShort;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) {
            return Structure::Whole;
        }
        at += kPngChunkFrame + length;
    }
    return Structure::CutShort;
}

namespace {

constexpr int kGifLargestCode = 4095;

qint64 gifColourTableBytes(uchar flags) {
    return (flags & 0x80) != 0 ? qint64{3} << ((flags & 7) + 1) : 0;
}

// Where the sub-blocks starting at `at` end, past their empty terminator, with their data
// appended to `joined` when it is given; -1 when they run past the end of the file.
qint64 gifSubBlocksEnd(const uchar* data, qint64 size, qint64 at, QByteArray* joined) {
    while (at < size && data[at] != 0) {
        const int length = data[at];
        if (at + 1 + length > size) {
            return -1;
        }
        if (joined != nullptr) {
            joined->append(reinterpret_cast<const char*>(data + at + 1), length);
        }
        at += 1 + length;
    }
    return at < size ? at + 1 : -1;
}

// Whether the compressed codes of a picture are all valid and make exactly `pixels` pixels,
// as an encoder writes them. Only the length of each code's string is followed, not its
// pixels. Qt's decoder passes over codes not yet in the table, codes that stop early and
// codes that make too many pixels: damaged data, shown garbled.
bool gifCodesMakePixels(const QByteArray& codes, int minimumCodeSize, qint64 pixels) {
    if (minimumCodeSize < 1 || minimumCodeSize > 11) {
        return false;
    }
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    std::vector<qint64> lengths(kGifLargestCode + 1, 1);
    int next = end + 1;
    int width = minimumCodeSize + 1;
    int previous = -1;
    qint64 made = 0;
    quint32 bits = 0;
    int held = 0;
    for (const char byte : codes) {
        bits |= quint32{static_cast<uchar>(byte)} << held;
        held += 8;
        while (held >= width) {
            const int code = static_cast<int>(bits & ((1U << width) - 1));
            bits >>= width;
            held -= width;
            if (code == clear) {
                next = end + 1;
                width = minimumCodeSize + 1;
                previous = -1;
                continue;
            }
            if (code == end) {
                return made == pixels;
            }
            if (previous < 0 ? code >= clear : code > next) {
                return false;
            }
            const qint64 length = code == next ? lengths[previous] + 1 : lengths[code];
            if (previous >= 0 && next <= kGifLargestCode) {
                lengths[next] = lengths[previous] + 1;
                if (++next == (1 << width) && width < 12) {
                    ++width;
                }
            }
            made += length;
            previous = code;
        }
    }
    return made == pixels;
}

}  // namespace

Structure gifStructure(const uchar* data, qint64 size) {
    if (size < 13) {
        return Structure::CutShort;
    }
    qint64 at = 13 + gifColourTableBytes(data[10]);
    bool wholePicture = false;
    while (at < size) {
        if (data[at] == 0x3B) {
            return Structure::Whole;  // the trailer
        }
        if (data[at] == 0x21) {  // an extension: its label, then sub-blocks
            at = gifSubBlocksEnd(data, size, at + 2, nullptr);
        } else if (data[at] == 0x2C) {  // a picture: its place and size, then its codes
            if (at + 11 > size) {
                return Structure::CutShort;
            }
            const qint64 pixels = qint64{qFromLittleEndian<quint16>(data + at + 5)} *
                                  qFromLittleEndian<quint16>(data + at + 7);
            at += 10 + gifColourTableBytes(data[at + 9]);
            if (at >= size) {
                return Structure::CutShort;
            }
            const int minimumCodeSize = data[at];
            QByteArray codes;
            at = gifSubBlocksEnd(data, size, at + 1, &codes);
            if (at >= 0 && !gifCodesMakePixels(codes, minimumCodeSize, pixels)) {
                return Structure::Damaged;
            }
            wholePicture = at >= 0;
        } else {
            return Structure::Damaged;
        }
        if (at < 0) {
            return Structure::CutShort;
        }
    }
    // Some writers leave the trailer out; a last picture whose codes are all there is whole.
    return wholePicture ? Structure::Whole : Structure::CutShort;
}

Structure webpStructure(const uchar* data, qint64 size) {
    if (size < 12) {
        return Structure::CutShort;
    }
    const qint64 declared = qint64{qFromLittleEndian<quint32>(data + 4)} + 8;
    if (declared > size) {
        return Structure::CutShort;
    }
    qint64 at = 12;  // after "RIFF", the size and "WEBP"
    while (at < declared) {
        if (at + 8 > declared) {
            return Structure::Damaged;
        }
        const qint64 length = qFromLittleEndian<quint32>(data + at + 4);
        if (at + 8 + length > declared) {
            return Structure::Damaged;
        }
        at += 8 + length + (length & 1);  // an odd chunk is padded to an even length
    }
    return Structure::Whole;
}

namespace {

constexpr quint16 kTiffStripOffsets = 273;
constexpr quint16 kTiffStripByteCounts = 279;
constexpr quint16 kTiffTileOffsets = 324;
constexpr quint16 kTiffTileByteCounts = 325;

// The fields of a TIFF directory, read in the file's byte order.
class TiffDirectory {
  public:
    explicit TiffDirectory(const uchar* data) : data_(data) {}

    quint32 u16(qint64 at) const {
        return bigEndian() ? qFromBigEndian<quint16>(data_ + at)
                           : qFromLittleEndian<quint16>(data_ + at);
    }
    quint32 u32(qint64 at) const {
        return bigEndian() ? qFromBigEndian<quint32>(data_ + at)
                           : qFromLittleEndian<quint32>(data_ + at);
    }

    // A field's type, count and where its values lie.
    struct Field {
        quint32 type = 0;
        qint64 count = 0;
        qint64 at = 0;
    };
    // Value `i` of a field of whole numbers; -1 when it is of another type.
    qint64 value(const Field& field, qint64 i) const {
        if (field.type == 3) {
            return u16(field.at + 2 * i);
        }
        return field.type == 4 || field.type == 13 ? qint64{u32(field.at + 4 * i)} : -1;
    }

  private:
    bool bigEndian() const { return data_[0] == 'M'; }
    const uchar* data_;
};

qint64 tiffTypeBytes(quint32 type) {
    switch (type) {
        case 3:  // SHORT
        case 8:  // SSHORT
            return 2;
        case 4:   // LONG
        case 9:   // SLONG
        case 11:  // FLOAT
        case 13:  // IFD
            return 4;
        case 5:   // RATIONAL
        case 10:  // SRATIONAL
        case 12:  // DOUBLE
            return 8;
        default:  // BYTE, ASCII, SBYTE, UNDEFINED and unknown types
            return 1;
    }
}

// Whether each piece (strip or tile) at `offsets`, of the lengths `lengths`, lies inside.
Structure tiffPiecesInside(const TiffDirectory& directory, const TiffDirectory::Field& offsets,
                           const TiffDirectory::Field& lengths, qint64 size) {
    if (offsets.count != lengths.count) {
        return Structure::Damaged;
    }
    for (qint64 i = 0; i < offsets.count; ++i) {
        const qint64 offset = directory.value(offsets, i);
        const qint64 length = directory.value(lengths, i);
        if (offset < 0 || length < 0) {
            return Structure::Damaged;
        }
        if (offset + length > size) {
            return Structure::CutShort;
        }
    }
    return Structure::Whole;
}

}  // namespace

Structure tiffStructure(const uchar* data, qint64 size) {
    if (size < 8) {
        return Structure::CutShort;
    }
    const TiffDirectory directory(data);
    if (directory.u16(2) != 42) {
        return Structure::Whole;  // a BigTIFF, or not a TIFF at all
    }
    const qint64 start = directory.u32(4);
    if (start + 2 > size) {
        return Structure::CutShort;
    }
    const qint64 fields = directory.u16(start);
    if (start + 2 + 12 * fields + 4 > size) {
        return Structure::CutShort;
    }
    TiffDirectory::Field offsets;
    TiffDirectory::Field lengths;
    for (qint64 i = 0; i < fields; ++i) {
        const qint64 entry = start + 2 + 12 * i;
        TiffDirectory::Field field{directory.u16(entry + 2), directory.u32(entry + 4), entry + 8};
        const qint64 bytes = field.count * tiffTypeBytes(field.type);
        if (bytes > 4) {
            field.at = directory.u32(entry + 8);  // the values lie elsewhere
        }
        if (field.at + bytes > size) {
            return Structure::CutShort;
        }
        const quint32 tag = directory.u16(entry);
        if (tag == kTiffStripOffsets || tag == kTiffTileOffsets) {
            offsets = field;
        } else if (tag == kTiffStripByteCounts || tag == kTiffTileByteCounts) {
            lengths = field;
        }
    }
    if (offsets.count == 0 || lengths.count == 0) {
        return Structure::Whole;  // nothing to check: the decoder judges
    }
    return tiffPiecesInside(directory, offsets, lengths, size);
}

namespace {

// The name the user knows a format by; empty for a format without one of ours.
QString formatName(const QByteArray& format) {
    static const struct {
        const char* format;
        const char* name;
    } kNames[] = {
        {"jpeg", "JPEG"}, {"png", "PNG"}, {"gif", "GIF"}, {"tiff", "TIFF"}, {"webp", "WebP"}};
    for (const auto& known : kNames) {
        if (format == known.format) {
            return QString::fromLatin1(known.name);
        }
    }
    return {};
}

Structure structureOf(const uchar* data, qint64 size, const QByteArray& format) {
    if (format == "jpeg") {
        // Data damaged inside a scan can hide the end from the walk; the end marker after the
        // last scan still shows the file whole, and the decoder judges the rest.
        return jpegEnd(data, size) >= 0 || jpegHasEnd(data, size) ? Structure::Whole
                                                                  : Structure::CutShort;
    }
    if (format == "png") {
        return pngStructure(data, size);
    }
    if (format == "gif") {
        return gifStructure(data, size);
    }
    if (format == "webp") {
        return webpStructure(data, size);
    }
    if (format == "tiff") {
        return tiffStructure(data, size);
    }
    return Structure::Whole;
}

}  // namespace

QString corruptDataReason(const QByteArray& format) {
    const QString name = formatName(format);
    return name.isEmpty()
               ? QString()
               : QStringLiteral("The %1 file is damaged: some of its data is corrupt or missing.")
                     .arg(name);
}

QSize gifCanvasSize(const uchar* data, qint64 size) {
    if (size < 13) {
        return {};
    }
    qint64 at = 13 + gifColourTableBytes(data[10]);
    while (at >= 0 && at < size && data[at] == 0x21) {  // extensions before the picture
        at = gifSubBlocksEnd(data, size, at + 2, nullptr);
    }
    if (at < 0 || at + 9 > size || data[at] != 0x2C) {
        return {};
    }
    const auto side = [&](qint64 screen, qint64 place) {
        const int start = qFromLittleEndian<quint16>(data + at + place);
        const int extent = qFromLittleEndian<quint16>(data + at + place + 4);
        const int declared = qFromLittleEndian<quint16>(data + screen);
        return declared > 0 ? declared : start + extent;
    };
    return {side(6, 1), side(8, 3)};
}

qint64 pictureBytes(const QByteArray& bytes, const QByteArray& format) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    qint64 end = -1;
    if (format == "jpeg") {
        end = jpegEnd(data, size);
    } else if (format == "webp" && size >= 8) {
        end = qint64{qFromLittleEndian<quint32>(data + 4)} + 8;
    }
    return end >= 0 && end < size ? end : size;
}

QString damageOf(const QByteArray& bytes, const QByteArray& format) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (format == "bmp") {
        const Structure runs = bmpRunStructure(data, size);
        if (size < bmpDeclaredSize(data, size) || runs == Structure::CutShort) {
            return QStringLiteral("The bitmap file is cut short.");
        }
        if (runs == Structure::Damaged) {
            return QStringLiteral(
                "The bitmap file is damaged: some of its data is corrupt or missing.");
        }
    }
    switch (structureOf(data, size, format)) {
        case Structure::CutShort:
            return QStringLiteral("The %1 file is cut short.").arg(formatName(format));
        case Structure::Damaged:
            return corruptDataReason(format);
        case Structure::Whole:
            break;
    }
    return {};
}

}  // namespace tessara
