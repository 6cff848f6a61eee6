// Pictures and files that the tests make themselves.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace tessara::test {

// A recognisable map: a colour gradient with a dark diagonal, so that any misplaced or
// stretched pixel shows.
QImage makeMap(int width, int height);

// Writes an image with Qt's own writers ("BMP", "JPEG", "PNG"); fails the test on error.
QString writeImage(const QString& path, const QImage& image, const char* format, int quality = 95);
// The image as Qt's writer for `format` encodes it, turned as `turn` says in its tags.
QByteArray bytesOf(const QImage& image, const char* format,
                   QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone);
// Writes a PDF of one page a picture, each page the picture's size at `dpi`, as a
// print-and-play game's pages are; fails the test on error.
QString writePdf(const QString& path, const std::vector<QImage>& pages, double dpi);
// Writes raw bytes to a file.
QString writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);
// Why LoadPicture refuses the file at `path`, in its words; empty when the file loads.
QString loadFailure(const QString& path);

// A temporary folder that is also the current directory while the object lives.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString root() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

}  // namespace tessara::test
