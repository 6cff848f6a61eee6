#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "image/picture.h"

namespace tessara::test {

QImage makeMap(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool diagonal = width > 0 && std::abs(x * height / std::max(1, width) - y) < 2;
            line[x] = diagonal ? qRgb(20, 20, 20)
                               : qRgb(60 + (x * 150) / std::max(1, width),
                                      200 - (y * 120) / std::max(1, height), 90 + (x + y) % 40);
        }
    }
    return image;
}

QString writeImage(const QString& path, const QImage& image, const char* format, int quality) {
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return path;
}

QString writePdf(const QString& path, const std::vector<QImage>& pages, double dpi) {
    QPdfWriter pdf(path);
    pdf.setResolution(static_cast<int>(dpi));
    pdf.setPageMargins(QMarginsF());
    QPainter paint;
    for (const QImage& page : pages) {
        pdf.setPageSize(QPageSize(QSizeF(page.size()) / dpi, QPageSize::Inch));
        if (paint.isActive()) {
            pdf.newPage();
        } else {
            EXPECT_TRUE(paint.begin(&pdf)) << qPrintable(path);
        }
        paint.drawImage(QRect(QPoint(), page.size()), page);
    }
    EXPECT_TRUE(paint.end()) << qPrintable(path);
    return path;
}

QByteArray bytesOf(const QImage& image, const char* format, QImageIOHandler::Transformations turn) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(turn);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return buffer.data();
}

QString writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

QString loadFailure(const QString& path) {
    try {
        LoadPicture(path);
    } catch (const PictureError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

ScratchDir::ScratchDir() : previous_(QDir::currentPath()) {
    EXPECT_TRUE(dir_.isValid());
    QDir::setCurrent(dir_.path());
}

ScratchDir::~ScratchDir() {
    QDir::setCurrent(previous_);
}

}  // namespace tessara::test
