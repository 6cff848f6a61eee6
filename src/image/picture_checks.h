// Checks that catch damaged picture files that Qt's decoders would otherwise accept and
// show half grey or garbled: a JPEG cut short before its end marker, a bitmap shorter than
// its header says, a run-length compressed bitmap whose runs stop before its end or run
// past its rows, a PNG without its end chunk, a GIF without its trailer or whose codes stop
// short, a WebP or a TIFF whose own sizes and offsets point past its end.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace tessara {

// True when the JPEG data ends its last scan with an end-of-image marker.
bool jpegHasEnd(const uchar* data, qint64 size);

// Where the JPEG picture ends, just past its end-of-image marker, found by following its
// segments and scans from the start as a decoder does; -1 when they run past the data's end.
// Whatever follows belongs to something else (a phone's motion photo appends its video).
qint64 jpegEnd(const uchar* data, qint64 size);

// For an uncompressed bitmap, the file size its headers imply; 0 when the headers are not
// those of an uncompressed bitmap (compressed data has no fixed size).
qint64 bmpDeclaredSize(const uchar* data, qint64 size);

// What a file's own structure says of it: whole, cut short, or broken inside.
enum class Structure { Whole, CutShort, Damaged };

// For a run-length compressed bitmap (4 or 8 bits): cut short when its runs stop before the
// end of the picture (an end-of-bitmap code in its last row, or an end-of-line code on every
// row) inside the file; damaged when the end-of-bitmap code comes before the last row, or a
// row runs past the picture's width. Qt's decoder would show the rows never reached blank
// and wrap a long row's pixels onto the next. Whole for any other file.
Structure bmpRunStructure(const uchar* data, qint64 size);

// PNG: whole chunks lead from the signature to the end chunk (IEND).
Structure pngStructure(const uchar* data, qint64 size);
// GIF: whole blocks lead to the trailer, and each picture's codes are valid and make all
// of its pixels.
Structure gifStructure(const uchar* data, qint64 size);
// WebP: the container lies inside the file, and whole chunks fill it. Bytes after the
// container are not the picture's.
Structure webpStructure(const uchar* data, qint64 size);
// TIFF: the first directory, its values and the strips or tiles it names lie inside the
// file. A BigTIFF is left to the decoder.
Structure tiffStructure(const uchar* data, qint64 size);

// The size of the picture Qt's decoder makes of a GIF: its logical screen, or, on a side
// where the screen's size is 0, as far as its first picture reaches. Invalid when the data
// holds no picture.
QSize gifCanvasSize(const uchar* data, qint64 size);

// How many of the bytes are the picture of `format`: a JPEG's up to its end-of-image marker,
// a WebP's container; all of them for other formats.
qint64 pictureBytes(const QByteArray& bytes, const QByteArray& format);

// The reason given when the data of a picture of `format` is corrupt (the decoder fails on
// it or warns); empty for a format without a name of ours.
QString corruptDataReason(const QByteArray& format);

// Empty when the file's bytes look whole, otherwise the reason it is damaged. `format` is
// the format Qt's reader decided on ("jpeg", "bmp", ...).
QString damageOf(const QByteArray& bytes, const QByteArray& format);

}  // namespace tessara
