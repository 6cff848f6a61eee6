#include "image/qt_decoding.h"

#include <QBuffer>
#include <QImageReader>
#include <QMutex>
#include <QString>

#include "image/picture.h"
#include "image/picture_checks.h"
#include "image/picture_memory.h"

namespace tessara {
namespace {

// Collects the warnings a decoder prints while it decodes: Qt's JPEG plugin reports
// corrupt or missing data only that way, and still hands back a picture (grey where the
// data was missing). Other messages go on to the handler that was there before.
class WarningCatcher {
  public:
    WarningCatcher() {
        const QMutexLocker lock(&mutex());
        caught() = false;
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
        if (type == QtWarningMsg || type == QtCriticalMsg) {
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
    static QtMessageHandler& previous() {
        static QtMessageHandler p = nullptr;
        return p;
    }
};

}  // namespace

QImage decodeWithQt(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const QString damage = damageOf(bytes, format);
    if (!damage.isEmpty()) {
        throw PictureError(damage.toStdString());
    }
    const QSize size = reader.size();
    if (size.isValid()) {
        checkPictureFits(size.width(), size.height(), 32);
    }
    QImage image;
    const WarningCatcher warnings;
    // The structure was found whole above, so a decoder that fails on a format we know
    // found its data corrupt; that is said as the warnings of a JPEG decoder are.
    const QString corrupt = corruptDataReason(format);
    if (!reader.read(&image) || image.isNull()) {
        throw PictureError((corrupt.isEmpty() ? reader.errorString() : corrupt).toStdString());
    }
    if (format == "jpeg" && warnings.caughtAny()) {
        throw PictureError(corrupt.toStdString());
    }
    return image;
}

}  // namespace tessara
