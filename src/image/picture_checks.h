// Checks that catch damaged picture files that Qt's decoders would otherwise accept and
// show half grey: a JPEG cut short before its end marker, a bitmap shorter than its
// header says, a run-length compressed bitmap whose runs stop before its end.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessara {

// True when the JPEG data ends its last scan with an end-of-image marker.
bool jpegHasEnd(const uchar* data, qint64 size);

// For an uncompressed bitmap, the file size its headers imply; 0 when the headers are not
// those of an uncompressed bitmap (compressed data has no fixed size).
qint64 bmpDeclaredSize(const uchar* data, qint64 size);

// For a run-length compressed bitmap (4 or 8 bits), whether its runs reach the end of the
// picture (an end-of-bitmap code, or an end-of-line code on every row) inside the file.
// True for any other file.
bool bmpRunsAreWhole(const uchar* data, qint64 size);

// Empty when the file's bytes look whole, otherwise the reason it is damaged. `format` is
// the format Qt's reader decided on ("jpeg", "bmp", ...).
QString damageOf(const QByteArray& bytes, const QByteArray& format);

}  // namespace tessara
