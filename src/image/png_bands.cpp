#include "image/png_bands.h"

#include <zlib.h>

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>

#include "core/parallel_work.h"
#include "image/atomic_file.h"
#include "image/run_deflate.h"

namespace tessara {
namespace {

// A band of this many rows of a 4000-pixel board is half a megabyte: small beside the
// board, and long enough that compressing each band apart costs the file next to nothing.
constexpr int kPngBandRows = 32;
// The filters that predict a byte from the pixel above (the band's rows after its first) and
// from the pixel to its left (its first, whose row above another thread makes): on a
// scanned map the first makes the smallest file of PNG's filters and the quickest.
constexpr uchar kPngFilterSub = 1;
constexpr uchar kPngFilterUp = 2;

// One band, filtered and compressed on the thread that made it: a piece of the one zlib
// stream of the file, ending on a byte (a sync flush) or, the last, ending the stream.
struct PngPiece {
    QByteArray deflated;
    uLong adler = 1;  // the Adler-32 of the band's filtered bytes alone
    uLong bytes = 0;
    int rows = 0;
};

// The band's 32-bit pixels as PNG's filtered rows of 3 bytes a pixel, each after its filter.
QByteArray filteredRows(const QImage& band) {
    const int width = band.width();
    const qsizetype rowBytes = 1 + static_cast<qsizetype>(width) * 3;
    QByteArray rows(rowBytes * band.height(), Qt::Uninitialized);
    QByteArray previous(rowBytes - 1, '\0');
    QByteArray packed(rowBytes - 1, Qt::Uninitialized);
    for (int y = 0; y < band.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(band.constScanLine(y));
        auto* p = reinterpret_cast<uchar*>(packed.data());
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = static_cast<uchar>(qRed(from[x]));
            p[1] = static_cast<uchar>(qGreen(from[x]));
            p[2] = static_cast<uchar>(qBlue(from[x]));
        }
        auto* out = reinterpret_cast<uchar*>(rows.data() + y * rowBytes);
        const auto* now = reinterpret_cast<const uchar*>(packed.constData());
        const auto* above = reinterpret_cast<const uchar*>(previous.constData());
        const qsizetype n = rowBytes - 1;
        if (y == 0) {
            out[0] = kPngFilterSub;
            for (qsizetype i = 0; i < n; ++i) {
                out[1 + i] = static_cast<uchar>(now[i] - (i >= 3 ? now[i - 3] : 0));
            }
        } else {
            out[0] = kPngFilterUp;
            for (qsizetype i = 0; i < n; ++i) {
                out[1 + i] = static_cast<uchar>(now[i] - above[i]);
            }
        }
        std::swap(previous, packed);
    }
    return rows;
}

// Raw deflate of `data`, literals and runs (image/run_deflate.h), ending on a byte boundary
// so that the next piece follows on, or ending the stream.
QByteArray deflated(const QByteArray& data, bool last) {
    return deflateRuns(reinterpret_cast<const std::uint8_t*>(data.constData()),
                       static_cast<std::size_t>(data.size()), last);
}

// A PNG chunk: its length, its type, its data and the CRC of type and data.
QByteArray pngChunk(const char type[4], const QByteArray& data) {
    QByteArray chunk(8, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(data.size()), chunk.data());
    std::memcpy(chunk.data() + 4, type, 4);
    chunk += data;
    const uLong crc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(chunk.constData()) + 4,
              static_cast<uInt>(chunk.size() - 4));
    QByteArray tail(4, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(crc), tail.data());
    return chunk + tail;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

// The signature and the header: 8-bit RGB, no alpha, not interlaced; pHYs when there are
// dots per metre to record.
QByteArray pngStart(QSize size, int dotsPerMetre) {
    QByteArray start("\x89PNG\r\n\x1a\n", 8);
    QByteArray header = bigEndian(static_cast<quint32>(size.width())) +
                        bigEndian(static_cast<quint32>(size.height()));
    header.append(static_cast<char>(8));  // bits a channel
    header.append(static_cast<char>(2));  // RGB
    header.append(3, '\0');               // deflate, adaptive filters, no interlace
    start += pngChunk("IHDR", header);
    if (dotsPerMetre > 0) {
        QByteArray physical = bigEndian(static_cast<quint32>(dotsPerMetre)) +
                              bigEndian(static_cast<quint32>(dotsPerMetre));
        physical.append(static_cast<char>(1));  // metres
        start += pngChunk("pHYs", physical);
    }
    return start;
}

// A maker may hand back another picture in place of the band it was given (a copy it made,
// or the band detached from the buffer by a copy it kept): it is read as 32-bit pixels.
QImage madeBand(const QImage& made, QSize size) {
    if (made.size() != size) {
        throw std::invalid_argument("A band of the PNG picture was made at the wrong size.");
    }
    return made.format() == QImage::Format_RGB32 ? made
                                                 : made.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

WriteResult writePngInBands(const QString& path, QSize size, const BandMaker& make,
                            Progress& progress) {
    if (size.isEmpty()) {
        return WriteResult::failed(QStringLiteral("A picture without pixels cannot be a PNG."));
    }
    const int width = size.width();
    const int height = size.height();
    const int bands = (height + kPngBandRows - 1) / kPngBandRows;
    // What Qt's own writer records for a board made as a new picture.
    const int dotsPerMetre = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();

    std::mutex lock;  // guards `made`
    std::map<int, PngPiece> made;
    const auto makeBand = [&](int index) {
        const int top = index * kPngBandRows;
        const int rows = std::min(kPngBandRows, height - top);
        QImage band(width, rows, QImage::Format_RGB32);
        if (band.isNull()) {
            throw std::bad_alloc();
        }
        make(top, band);
        const QByteArray filtered = filteredRows(madeBand(band, QSize(width, rows)));
        PngPiece piece;
        piece.deflated = deflated(filtered, index == bands - 1);
        piece.bytes = static_cast<uLong>(filtered.size());
        piece.adler =
            adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(filtered.constData()),
                    static_cast<uInt>(filtered.size()));
        piece.rows = rows;
        const std::lock_guard<std::mutex> held(lock);
        made.emplace(index, std::move(piece));
    };

    std::exception_ptr failure;  // from the maker, or from the progress: passed on
    bool stopped = false;
    QString reason;
    const WriteResult written = writeFileAtomically(path, [&](QIODevice& device) {
        const auto put = [&](const QByteArray& bytes) {
            errno = 0;
            if (device.write(bytes) == bytes.size()) {
                return true;
            }
            reason = errno != 0 ? writeFailureReason(errno) : device.errorString();
            return false;
        };
        if (!put(pngStart(size, dotsPerMetre))) {
            return false;
        }
        int next = 0;  // the band the file takes next
        int rowsWritten = 0;
        uLong adler = adler32(0, nullptr, 0);
        bool failed = false;
        // The bands are written in order as they come, on this thread alone.
        const auto takeBands = [&](int) {
            for (;;) {
                PngPiece piece;
                {
                    const std::lock_guard<std::mutex> held(lock);
                    const auto found = made.find(next);
                    if (found == made.end()) {
                        break;
                    }
                    piece = std::move(found->second);
                    made.erase(found);
                }
                QByteArray data = next == 0 ? QByteArray("\x78\x01", 2) : QByteArray();
                data += piece.deflated;
                adler = adler32_combine(adler, piece.adler, static_cast<z_off_t>(piece.bytes));
                if (next == bands - 1) {
                    data += bigEndian(static_cast<quint32>(adler));
                }
                if (!put(pngChunk("IDAT", data))) {
                    failed = true;
                    return false;
                }
                rowsWritten += piece.rows;
                ++next;
            }
            stopped = !progress.advance(static_cast<double>(rowsWritten) / height);
            return !stopped;
        };
        try {
            if (!runInParallel(bands, makeBand, takeBands) || failed) {
                return false;
            }
        } catch (...) {
            failure = std::current_exception();
            return false;
        }
        return put(pngChunk("IEND", QByteArray()));
    });
    if (failure) {
        std::rethrow_exception(failure);
    }
    if (stopped) {
        throw WorkCancelled{};
    }
    return (written || reason.isEmpty()) ? written : WriteResult::failed(reason);
}

}  // namespace tessara
