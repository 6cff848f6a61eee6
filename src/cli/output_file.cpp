#include "cli/output_file.h"

#include <QImageWriter>
#include <cerrno>
#include <cstring>

#include "cli/quiet_stderr.h"
#include "image/atomic_file.h"

namespace tessara {
namespace {

// Passes every byte on to another device and remembers the first write that failed, with
// its reason. Qt's TIFF writer reports success even when its device refused bytes, which
// would leave a truncated file in place of the map.
class CheckedDevice : public QIODevice {
  public:
    explicit CheckedDevice(QIODevice& target) : target_(target) {
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

    QIODevice& target_;
    bool failed_ = false;
};

QString writeWithQt(const Picture& picture, const QString& path, const QByteArray& format) {
    QString reason;
    const QString failure = writeFileAtomically(path, [&](QIODevice& out) {
        CheckedDevice device(out);
        QImageWriter writer(&device, format);
        if (format == "jpeg") {
            writer.setQuality(kJpegQuality);
        }
        bool written = false;
        {
            const QuietStandardError quiet;  // libpng reports its failures there itself
            written = writer.write(picture.image());
        }
        if (device.failed()) {
            reason = device.errorString();
        } else if (!written) {
            reason = writer.errorString();
        }
        return written && !device.failed();
    });
    return failure.isEmpty() || reason.isEmpty() ? failure : reason;
}

}  // namespace

QString writeOutputFile(const Picture& picture, const QString& path, const QByteArray& format) {
    if (format != "bmp") {
        return writeWithQt(picture, path, format);
    }
    try {
        SavePicture(picture, path);
    } catch (const PictureError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

}  // namespace tessara
