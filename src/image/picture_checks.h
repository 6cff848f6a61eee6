// Checks that catch damaged picture files that Qt's decoders would otherwise accept and
// show half grey or garbled: a JPEG cut short before its end marker, a bitmap shorter than
// its header says, a run-length compressed bitmap whose runs stop before its end, a PNG
// without its end chunk, a GIF without its trailer or whose codes stop short, a WebP or a
// TIFF whose own sizes and offsets point past its end.
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

// What a file's own structure says of it: whole, cut short, or broken inside.
enum class Structure { Whole, CutShort, Damaged };

// PNG: whole chunks lead from the signature to the end chunk (IEND).
Structure pngStructure(const uchar* data, qint64 size);
// GIF: whole blocks lead to the trailer, and each picture's codes are valid and make all
// of its pixels.
Structure gifStructure(const uchar* data, qint64 size);
// WebP: the container's size is the file's, and whole chunks fill it.
Structure webpStructure(const uchar* data, qint64 size);
// TIFF: the first directory, its values and the strips or tiles it names lie inside the
// file. A BigTIFF is left to the decoder.
Structure tiffStructure(const uchar* data, qint64 size);

// The reason given when the data of a picture of `format` is corrupt (the decoder fails on
// it or warns); empty for a format without a name of ours.
QString corruptDataReason(const QByteArray& format);

// Empty when the file's bytes look whole, otherwise the reason it is damaged. `format` is
// the format Qt's reader decided on ("jpeg", "bmp", ...).
QString damageOf(const QByteArray& bytes, const QByteArray& format);

}  // namespace tessara
