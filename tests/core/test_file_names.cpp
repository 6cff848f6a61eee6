#include <gtest/gtest.h>

#include <QFile>

#include "core/file_names.h"

using namespace tessara;

// Every name makes the round trip through text, byte for byte; a UTF-8 name reads as Qt
// reads it, and a byte that is not text shows as U+FFFD.
TEST(FileNames, EveryNameComesBackAsItsBytes) {
    const QString x = QString(QChar::ReplacementCharacter);
    const struct {
        const char* guards;
        QByteArray bytes;
        QString shown;  // empty: as QFile::decodeName reads it, the bytes being UTF-8
    } rows[] = {
        {"plain letters", "map.bmp", ""},
        {"an accent in UTF-8", "carte\xc3\xa9.bmp", ""},
        {"a character of four bytes", "\xf0\x9f\x97\xba.png", ""},
        {"a character whose second half looks like a stray byte's", "\xf0\x9f\x92\x80", ""},
        {"a stray 0xFF", "map\xff.bmp", "map" + x + ".bmp"},
        {"an accent in Latin-1", "carte\xe9.bmp", "carte" + x + ".bmp"},
        {"a character cut short at the end", "map\xe2\x82", "map" + x + x},
        {"a character cut short by another",
         "\xe2\x82"
         "a",
         x + x + "a"},
        {"a surrogate written as UTF-8", "\xed\xb2\x80", x + x + x},
        {"too long a form of a slash", "\xc0\xaf", x + x},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", x + x + x + x},
        {"a stray byte before a character of four", "\xff\xf0\x9f\x92\x80",
         x + QString::fromUtf8("\xf0\x9f\x92\x80")},
    };
    for (const auto& row : rows) {
        const QString name = decodeFileName(row.bytes);
        EXPECT_EQ(encodeFileName(name).toHex().toStdString(), row.bytes.toHex().toStdString())
            << row.guards;
        const QString shown = row.shown.isEmpty() ? QFile::decodeName(row.bytes) : row.shown;
        EXPECT_EQ(shownText(name), shown) << row.guards;
        if (row.shown.isEmpty()) {
            EXPECT_EQ(name, QFile::decodeName(row.bytes)) << row.guards;
        }
    }
}
