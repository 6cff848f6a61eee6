#include "image/picture_export.h"

#include <QImageWriter>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "image/atomic_file.h"
#include "image/quiet_stderr.h"

namespace tessara {
namespace {

constexpr double kMetresPerInch = 0.0254;

struct KnownSuffix {
    const char* suffix;
    const char* format;
};
// The first suffix of a format is the one added to a name that has none.
constexpr KnownSuffix kSuffixes[] = {{"png", "png"},  {"jpg", "jpeg"},  {"jpeg", "jpeg"},
                                     {"tif", "tiff"}, {"tiff", "tiff"}, {"bmp", "bmp"}};

// The share of the picture's raw size its file usually takes: what the progress of a
// compressed file is measured against. A scan keeps about half its size as PNG, a tenth as
// JPEG; TIFF is written uncompressed.
double expectedShare(const QByteArray& format) {
    if (format == "png") {
        return 0.5;
    }
    return format == "jpeg" ? 0.1 : 1.0;
}

// Passes on what the user sees of the progress and remembers whether they stopped the work:
// the atomic write takes any exception from its writer for a failed write.
class StopWatch final : public Progress {
  public:
    explicit StopWatch(Progress& shown) : shown_(shown) {}
    bool stopped() const { return stopped_; }
    void step(const QString& what) override { shown_.step(what); }
    bool advance(double fraction) override {
        stopped_ = stopped_ || !shown_.advance(fraction);
        return !stopped_;
    }

  private:
    Progress& shown_;
    bool stopped_ = false;
};

// Passes every byte on to another device and remembers the first write that failed, with
// its reason. Qt's TIFF writer reports success even when its device refused bytes, which
// would leave a truncated file in place of the map. Each write advances the progress by
// its share of the bytes expected.
class CheckedDevice : public QIODevice {
  public:
    CheckedDevice(QIODevice& target, Progress& progress, double expectedBytes)
        : target_(target), progress_(progress), expected_(std::max(1.0, expectedBytes)) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool failed() const { return failed_; }
    bool isSequential() const override { return target_.isSequential(); }
    qint64 size() const override { return target_.size(); }
    bool seek(qint64 position) override {
        // Seeking may flush the target's buffer, which is where a full disk shows.
        errno = 0;
        if (!target_.seek(position)) {
            fail();
            return false;
        }
        return QIODevice::seek(position);
    }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        written_ += static_cast<double>(length);
        if (!progress_.advance(std::min(kNearlyDone, written_ / expected_))) {
            fail();  // a stop ends the writing as a failed write does
            return -1;
        }
        errno = 0;
        const qint64 written = target_.write(data, length);
        if (written != length) {
            fail();
            return -1;
        }
        return written;
    }

  private:
    // A file keeps no reason for a failed write ("Unknown error"), but the system's reason
    // is still in errno.
    void fail() {
        if (!failed_) {
            failed_ = true;
            const int error = errno;
            setErrorString(error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                      : target_.errorString());
        }
    }

    static constexpr double kNearlyDone = 0.99;  // an estimate never claims the end

    QIODevice& target_;
    Progress& progress_;
    double expected_;
    double written_ = 0;
    bool failed_ = false;
};

// The picture's own pixels under a second header that records the resolution: setting it
// on a copy of the handle would copy every pixel of the map first.
QImage withResolution(const QImage& image, double dotsPerInch) {
    QImage view(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                image.format());
    view.setColorTable(image.colorTable());
    const int perMetre = qRound(dotsPerInch / kMetresPerInch);
    view.setDotsPerMeterX(perMetre);
    view.setDotsPerMeterY(perMetre);
    return view;
}

QString writeWithQt(const QImage& image, const QString& path, const ExportOptions& options,
                    Progress& progress) {
    const double rawBytes = static_cast<double>(image.width()) * image.height() * 3;
    QString reason;
    const WriteResult written = writeFileAtomically(path, [&](QIODevice& out) {
        CheckedDevice device(out, progress, rawBytes * expectedShare(options.format));
        QImageWriter writer(&device, options.format);
        if (options.format == "jpeg") {
            writer.setQuality(options.jpegQuality);
        }
        bool encoded = false;
        {
            const QuietStandardError quiet;  // libpng reports its failures there itself
            encoded = writer.write(image);
        }
        if (device.failed()) {
            reason = device.errorString();
        } else if (!encoded) {
            reason = writer.errorString();
        }
        return encoded && !device.failed();
    });
    return written || reason.isEmpty() ? written.error : reason;
}

QString writeBitmap(const Picture& picture, const QString& path, Progress& progress) {
    try {
        SavePicture(picture, path, Durability::OnDisk, progress);
    } catch (const PictureError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

}  // namespace

WriteResult exportPicture(const Picture& picture, const QString& path, const ExportOptions& options,
                          Progress& progress) {
    if (suffixForFormat(options.format).isEmpty()) {
        return WriteResult::failed(QStringLiteral("Pictures cannot be written as \"%1\".")
                                       .arg(QString::fromLatin1(options.format)));
    }
    const bool records = options.dotsPerInch > 0 && !picture.isNull();
    const Picture written =
        records ? Picture(withResolution(picture.image(), options.dotsPerInch)) : picture;
    StopWatch watched(progress);
    const QString failure = options.format == "bmp"
                                ? writeBitmap(written, path, watched)
                                : writeWithQt(written.image(), path, options, watched);
    if (watched.stopped()) {
        throw WorkCancelled{};
    }
    return failure.isEmpty() ? WriteResult::done() : WriteResult::failed(failure);
}

WriteResult writeOutputFile(const Picture& picture, const QString& path, const QByteArray& format) {
    ExportOptions options;
    options.format = format;
    return exportPicture(picture, path, options);
}

QByteArray formatForSuffix(const QString& suffix) {
    const QString wanted = suffix.toLower();
    for (const KnownSuffix& known : kSuffixes) {
        if (wanted == QLatin1String(known.suffix)) {
            return known.format;
        }
    }
    return {};
}

QString suffixForFormat(const QByteArray& format) {
    for (const KnownSuffix& known : kSuffixes) {
        if (format == known.format) {
            return QString::fromLatin1(known.suffix);
        }
    }
    return {};
}

}  // namespace tessara
