// File names as the bytes the system keeps. A name need not be valid UTF-8 (a file made
// under another encoding, or by a program that writes raw bytes), and Qt reads every byte
// it cannot decode as U+FFFD: the name it encodes back names another file, or none. Here
// each such byte b is read as the lone surrogate U+DC00 + b, which no decoded text holds,
// and written back as b, so that every name makes the round trip. A valid name reads and
// writes exactly as QFile::decodeName and QFile::encodeName have it.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessara {

QString decodeFileName(const QByteArray& bytes);
QByteArray encodeFileName(const QString& name);

// The text to show of a name or an argument read by decodeFileName: each byte that is not
// text becomes U+FFFD, as Qt shows it.
QString shownText(const QString& name);

}  // namespace tessara
