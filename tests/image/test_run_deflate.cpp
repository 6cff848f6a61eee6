#include <gtest/gtest.h>
#include <zlib.h>

#include <QByteArray>
#include <cstdint>
#include <random>
#include <vector>

#include "image/run_deflate.h"

using namespace tessara;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes repeated(std::uint8_t value, std::size_t count) {
    return Bytes(count, value);
}

Bytes noise(std::size_t count, unsigned seed, int values = 256) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, values - 1);
    Bytes bytes(count);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(byte(random));
    }
    return bytes;
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// zlib's inflater over the pieces, one raw stream; what it made, and whether the stream ended
// exactly where the pieces do.
struct Inflated {
    Bytes bytes;
    bool ended = false;
};

Inflated inflated(const QByteArray& stream, std::size_t room) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    Inflated out;
    out.bytes.resize(room + 1);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.bytes.data();
    z.avail_out = static_cast<uInt>(out.bytes.size());
    const int result = inflate(&z, Z_FINISH);
    out.ended = result == Z_STREAM_END && z.avail_in == 0;
    out.bytes.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

QByteArray piece(const Bytes& bytes, bool last) {
    return deflateRuns(bytes.data(), bytes.size(), last);
}

}  // namespace

// Every piece comes back byte for byte through zlib, alone or as pieces made apart; the
// boundaries of runs (2 bytes are literals, 3 a match, 258 the longest), of blocks (64 KiB)
// and of pieces included.
TEST(DeflateRuns, InflatesBackByteForByte) {
    const struct {
        const char* what;
        std::vector<Bytes> pieces;
    } cases[] = {
        {"nothing", {Bytes{}}},
        {"one byte", {Bytes{7}}},
        {"a run of 2", {Bytes{5, 5, 5}}},
        {"a run of 3", {Bytes{5, 5, 5, 5}}},
        {"the longest run and one past it", {repeated(9, 259), repeated(9, 260)}},
        {"runs across a block's end", {joined({noise(65530, 1), repeated(0, 100)})}},
        {"grain of a few values", {noise(300000, 2, 3)}},
        {"grain of all values", {noise(200000, 3)}},
        {"pieces apart, one empty", {noise(1000, 4), Bytes{}, repeated(255, 70000), noise(5, 5)}},
    };
    for (const auto& c : cases) {
        QByteArray stream;
        Bytes expected;
        for (size_t k = 0; k < c.pieces.size(); ++k) {
            stream += piece(c.pieces[k], k + 1 == c.pieces.size());
            expected.insert(expected.end(), c.pieces[k].begin(), c.pieces[k].end());
        }
        const Inflated back = inflated(stream, expected.size());
        EXPECT_TRUE(back.ended) << c.what;
        EXPECT_EQ(back.bytes, expected) << c.what;
    }
}

// A piece that is not the last ends on a byte with zlib's sync flush marker, so the stream
// goes on; the last ends it. Runs cost a few bits each and each 64 KiB block its header;
// grain no more than itself.
TEST(DeflateRuns, EndsPiecesAndSizesAsRunsAndGrainWant) {
    const QByteArray open = piece(noise(5000, 6), false);
    EXPECT_TRUE(open.endsWith(QByteArray("\x00\x00\xff\xff", 4)));
    EXPECT_FALSE(inflated(open, 5000).ended);
    EXPECT_EQ(inflated(open, 5000).bytes, noise(5000, 6));

    EXPECT_LT(piece(repeated(0, 1 << 20), true).size(), 2000);
    const qsizetype grain = piece(noise(1 << 20, 7), true).size();
    EXPECT_LT(grain, (1 << 20) + (1 << 20) / 100);
    EXPECT_GT(grain, (1 << 20) - (1 << 20) / 100);  // no room to save in true noise
}
