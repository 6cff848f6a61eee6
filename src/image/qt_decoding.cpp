#include "image/qt_decoding.h"

#include <QBuffer>
#include <QImageReader>
#include <QMutex>
#include <QString>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <new>

#include "image/large_image.h"
#include "image/picture.h"
#include "image/picture_checks.h"
#include "image/picture_memory.h"

namespace tessara {
namespace {

// Collects the warnings a decoder prints while it decodes: Qt's JPEG plugin reports
// corrupt or missing data only that way, and still hands back a picture (grey where the
// data was missing). Other messages go on to the handler that was there before. Only the
// decoding thread's count: a section of a join is read while the grid of the one before is
// found on another thread, whose messages say nothing about the picture.
class WarningCatcher {
  public:
    WarningCatcher() {
        const QMutexLocker lock(&mutex());
        caught() = false;
        decoding() = QThread::currentThread();
        previous() = qInstallMessageHandler(&WarningCatcher::handle);
    }
    ~WarningCatcher() {
        const QMutexLocker lock(&mutex());
        qInstallMessageHandler(previous());
    }
    WarningCatcher(const WarningCatcher&) = delete;
    WarningCatcher& operator=(const WarningCatcher&) = delete;
    bool caughtAny() const { return caught(); }

  private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if ((type == QtWarningMsg || type == QtCriticalMsg) &&
            QThread::currentThread() == decoding()) {
            caught() = true;
        }
        if (previous() != nullptr) {
            previous()(type, context, text);
        }
    }
    static QMutex& mutex() {
        static QMutex m;
        return m;
    }
    static bool& caught() {
        static bool c = false;
        return c;
    }
    static QThread*& decoding() {
        static QThread* t = nullptr;
        return t;
    }
    static QtMessageHandler& previous() {
        static QtMessageHandler p = nullptr;
        return p;
    }
};

// The bytes, telling `progress` how far the decoder has read. Stopping is only noted here:
// an exception must not cross the decoders' C libraries. Not a QBuffer, whose data the JPEG
// decoder would take whole without reading it.
class ProgressDevice final : public QIODevice {
  public:
    ProgressDevice(const QByteArray& bytes, Progress& progress)
        : bytes_(bytes), progress_(progress), end_(bytes.size()) {
        open(QIODevice::ReadOnly);
    }
    bool stopped() const { return stopped_; }
    qint64 size() const override { return end_; }
    // The decoder is shown the first `end` bytes only.
    void endAt(qint64 end) { end_ = std::clamp<qint64>(end, 0, bytes_.size()); }

  protected:
    qint64 readData(char* data, qint64 length) override {
        // The format is found by reading the start again: report only new ground.
        reached_ = std::max(reached_, pos());
        if (stopped_ || !progress_.advance(static_cast<double>(reached_) /
                                           static_cast<double>(std::max<qint64>(1, size())))) {
            stopped_ = true;
            return -1;
        }
        const qint64 count = std::min(length, size() - pos());
        if (count <= 0) {
            return 0;  // the end: a decoder may still ask, with nowhere to put the bytes
        }
        std::memcpy(data, bytes_.constData() + pos(), static_cast<std::size_t>(count));
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    const QByteArray& bytes_;
    Progress& progress_;
    qint64 end_;
    qint64 reached_ = 0;
    bool stopped_ = false;
};

// Refuses, before decoding, a picture larger than a map may be or than memory holds, at
// the size the decoder will make. Qt's GIF reader names the first picture's size, but
// makes a picture of the GIF's logical screen, which a tiny file may claim at 65535 pixels.
void checkDecodedSize(QImageReader& reader, const QByteArray& bytes, const QByteArray& format) {
    QSize size;
    if (format == "gif") {
        size = gifCanvasSize(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
    }
    if (!size.isValid()) {
        size = reader.size();
    }
    if (size.isValid()) {
        checkPictureFits(size.width(), size.height(), 32);
    }
}

// Whether a picture of the size and format the decoder makes can be had now. A decoder that
// cannot get the memory for its picture fails as it does on corrupt data, and says nothing;
// the failed allocation left nothing behind, so asking again gets the same answer.
bool memoryHolds(QSize size, QImage::Format format) {
    if (!size.isValid()) {
        return true;
    }
    const QImage probe(size, format == QImage::Format_Invalid ? QImage::Format_ARGB32 : format);
    return !probe.isNull();
}

}  // namespace

QImage decodeWithQt(const QByteArray& bytes, Progress& progress) {
    ProgressDevice buffer(bytes, progress);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // The picture as every viewer shows it: a phone's photo of a map taken upright, or a
    // scanner's page, is often stored turned, with the turn in its EXIF or TIFF tags.
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    const QString damage = damageOf(bytes, format);
    if (!damage.isEmpty()) {
        throw PictureError(damage.toStdString());
    }
    buffer.endAt(pictureBytes(bytes, format));
    checkDecodedSize(reader, bytes, format);
    // Asked before reading: a decoder that has failed no longer answers.
    const QSize size = reader.size();
    const QImage::Format decoded = reader.imageFormat();
    // Qt's JPEG decoder fills a picture it is given of the size and format it makes: given
    // one in memory populated at once, a 24-megapixel photo is decoded without its 24,000
    // page faults (a third of a second on a virtual machine). Other decoders may make their
    // own, and the memory given would be held for nothing while they do.
    QImage image = format == "jpeg" && decoded == QImage::Format_RGB32 && size.isValid()
                       ? largeImage(size.width(), size.height(), decoded)
                       : QImage();
    const WarningCatcher warnings;
    // The structure was found whole above, so a decoder that fails on a format we know
    // found its data corrupt; that is said as the warnings of a JPEG decoder are.
    const QString corrupt = corruptDataReason(format);
    const bool read = reader.read(&image);
    if (buffer.stopped()) {
        throw WorkCancelled{};
    }
    if (!read || image.isNull()) {
        if (!memoryHolds(size, decoded)) {
            throw std::bad_alloc();
        }
        throw PictureError((corrupt.isEmpty() ? reader.errorString() : corrupt).toStdString());
    }
    if (format == "jpeg" && warnings.caughtAny()) {
        throw PictureError(corrupt.toStdString());
    }
    return image;
}

}  // namespace tessara
