// Draws a made-up terrain map for a first-time user to grid, and saves it as a JPEG.
//   tessara-sample-map OUTPUT.jpg [--seed N] [--width W] [--height H]
// The same seed and size give the same file, byte for byte.
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>

#include "options.h"
#include "sample_map.h"

namespace {

constexpr int kJpegQuality = 90;

bool saveJpeg(const QImage& image, const QString& path, QString& error) {
    // Written beside the target and renamed: the build never sees half a picture.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, "jpg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image)) {
        error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QString error;
    std::optional<tessara::SampleOptions> options = tessara::parseSampleOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr,
                     "tessara-sample-map: %s\nusage: tessara-sample-map OUTPUT.jpg [--seed N] "
                     "[--width W] [--height H]\n",
                     qPrintable(error));
        return 2;
    }
    // The map is drawn at build time, often with no display: text needs a Gui application,
    // and the offscreen platform gives it one anywhere. Qt's own options stay out of ours.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);

    QImage image = tessara::drawSampleMap(options->size, options->seed);
    if (image.isNull()) {
        std::fprintf(stderr, "tessara-sample-map: not enough memory for a map that size\n");
        return 1;
    }
    if (!saveJpeg(image, options->output, error)) {
        std::fprintf(stderr, "tessara-sample-map: cannot write %s: %s\n",
                     qPrintable(options->output), qPrintable(error));
        return 1;
    }
    return 0;
}
