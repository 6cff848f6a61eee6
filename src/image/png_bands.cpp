#include "image/png_bands.h"

#include <png.h>
#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "image/atomic_file.h"
#include "image/chunk_pipeline.h"

namespace tessara {
namespace {

// A band of this many rows of a 4000-pixel board is half a megabyte: small beside the
// board, and enough rows that handing a band from thread to thread costs nothing.
constexpr int kPngBandRows = 32;
// One band compressed, one made, one ready: the maker never waits for a free buffer while
// zlib is busy.
constexpr int kPngBandsInFlight = 3;
constexpr int kPngFastestLevel = 1;
// The filter that predicts a row from the row above: on a scanned map it makes the
// smallest file of libpng's filters and the quickest, nearly twice as fast as letting libpng
// try them all on each row.
constexpr int kPngRowFilter = PNG_FILTER_UP;

// What libpng's callbacks leave behind for the C++ code once libpng has jumped out: plain
// values, as nothing between a setjmp and its longjmp may need a destructor.
struct PngSink {
    QIODevice* device = nullptr;
    bool deviceFailed = false;
    int deviceError = 0;     // the errno of the write the device refused; 0 when it kept none
    char message[160] = {};  // libpng's own reason, when it gave up by itself
};

void pngWriteToDevice(png_structp png, png_bytep data, size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    qint64 written = -1;
    errno = 0;
    try {
        written =
            sink->device->write(reinterpret_cast<const char*>(data), static_cast<qint64>(length));
    } catch (...) {
        // An exception must not unwind through libpng's C frames: it ends up as a failed
        // write instead.
    }
    if (written != static_cast<qint64>(length)) {
        sink->deviceFailed = true;
        sink->deviceError = errno;
        png_error(png, "write failed");
    }
}

// The device is flushed by writeFileAtomically once the file is complete.
void pngFlushNothing(png_structp) {}

// libpng's default handler prints to the standard error before it jumps.
void pngKeepError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    if (sink->message[0] == '\0') {
        std::snprintf(sink->message, sizeof sink->message, "%s", message);
    }
    png_longjmp(png, 1);
}

void pngIgnoreWarning(png_structp, png_const_charp) {}

// libpng reports a failure by a longjmp back to the setjmp of the call that failed. Each call
// into libpng is made from one of these small functions, which hold nothing with a destructor
// and return false when libpng jumped back: a longjmp out of a C++ function with live objects
// (the band pipeline's thread, its buffers) would skip their destructors, and an exception
// thrown from the error handler instead would unwind through libpng's C frames, which are
// not built for it and would leave its state half-changed.
bool pngBegin(png_structp png, png_infop info, QSize size, int dotsPerMetre) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    // libpng refuses wider or taller pictures than a million pixels unless told otherwise.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, static_cast<png_uint_32>(size.width()),
                 static_cast<png_uint_32>(size.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (dotsPerMetre > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(dotsPerMetre),
                     static_cast<png_uint_32>(dotsPerMetre), PNG_RESOLUTION_METER);
    }
    png_set_compression_level(png, kPngFastestLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kPngRowFilter);
    png_write_info(png, info);
    return true;
}

bool pngWriteRows(png_structp png, const char* bytes, qsizetype rowBytes, int rows) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    for (int row = 0; row < rows; ++row) {
        png_write_row(png, reinterpret_cast<png_const_bytep>(bytes + row * rowBytes));
    }
    return true;
}

bool pngEnd(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_write_end(png, info);
    return true;
}

// libpng's structures for one file, freed however the writing ends.
class PngEncoder {
  public:
    explicit PngEncoder(PngSink& sink)
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, pngKeepError,
                                       pngIgnoreWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {
        if (png_ != nullptr) {
            png_set_write_fn(png_, &sink, pngWriteToDevice, pngFlushNothing);
        }
    }
    ~PngEncoder() { png_destroy_write_struct(&png_, &info_); }
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;

    bool made() const { return info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    png_structp png_;
    png_infop info_;
};

// Squeezes the band's 32-bit pixels into the file's 3 bytes a pixel, in place: each pixel
// is read before the packed ones reach it. Done on the maker's thread, it leaves the
// calling thread nothing but zlib.
void pngPackRgb(uchar* bytes, qsizetype pixels) {
    uchar* packed = bytes;
    for (qsizetype i = 0; i < pixels; ++i, packed += 3) {
        QRgb pixel = 0;
        std::memcpy(&pixel, bytes + i * 4, sizeof pixel);
        packed[0] = static_cast<uchar>(qRed(pixel));
        packed[1] = static_cast<uchar>(qGreen(pixel));
        packed[2] = static_cast<uchar>(qBlue(pixel));
    }
}

// A maker may hand back another picture in place of the band it was given (a copy it made,
// or the band detached from the buffer by a copy it kept): its rows are brought back.
void pngAdoptBand(const QImage& made, uchar* bytes, QSize size) {
    if (made.size() != size) {
        throw std::invalid_argument("A band of the PNG picture was made at the wrong size.");
    }
    const QImage rows = made.convertToFormat(QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::size_t>(size.width()) * 4;
    for (int y = 0; y < size.height(); ++y) {
        std::memcpy(bytes + y * rowBytes, rows.constScanLine(y), rowBytes);
    }
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
    const qsizetype rowBytes = static_cast<qsizetype>(width) * 3;
    // What Qt's own writer records for a board made as a new picture.
    const int dotsPerMetre = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();

    const auto makeBand = [&](int index, char* buffer) -> qint64 {
        const int top = index * kPngBandRows;
        const int rows = std::min(kPngBandRows, height - top);
        auto* bytes = reinterpret_cast<uchar*>(buffer);
        QImage band(bytes, width, rows, static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
        make(top, band);
        if (band.constBits() != bytes) {
            pngAdoptBand(band, bytes, QSize(width, rows));
        }
        pngPackRgb(bytes, static_cast<qsizetype>(width) * rows);
        return rowBytes * rows;
    };

    std::exception_ptr failure;  // from the maker, or from the progress: passed on
    bool stopped = false;
    QString reason;
    const WriteResult written = writeFileAtomically(path, [&](QIODevice& device) {
        PngSink sink;
        sink.device = &device;
        const PngEncoder encoder(sink);
        if (!encoder.made()) {
            reason = writeFailureReason(ENOMEM);
            return false;
        }
        int rowsWritten = 0;
        const auto takeBand = [&](const char* bytes, qint64 made) {
            const int rows = static_cast<int>(made / rowBytes);
            if (!pngWriteRows(encoder.png(), bytes, rowBytes, rows)) {
                return false;
            }
            rowsWritten += rows;
            stopped = !progress.advance(static_cast<double>(rowsWritten) / height);
            return !stopped;
        };
        bool ok = pngBegin(encoder.png(), encoder.info(), size, dotsPerMetre);
        try {
            ok = ok && pipeChunks(bands, static_cast<std::size_t>(width) * 4 * kPngBandRows,
                                  kPngBandsInFlight, makeBand, takeBand);
        } catch (...) {
            failure = std::current_exception();
            return false;
        }
        ok = ok && pngEnd(encoder.png(), encoder.info());
        if (!ok && !stopped) {
            if (sink.deviceFailed) {
                reason = sink.deviceError != 0 ? writeFailureReason(sink.deviceError)
                                               : device.errorString();
            } else if (sink.message[0] != '\0') {
                reason = QStringLiteral("The PNG file could not be made: %1")
                             .arg(QString::fromUtf8(sink.message));
            }
        }
        return ok;
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
