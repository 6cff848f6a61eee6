#include "image/run_deflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tessara {
namespace {

// The literal and length alphabet of RFC 1951: 0-255 the bytes, 256 a block's end, 257-285
// the lengths of matches.
constexpr int kSymbols = 286;
constexpr int kEndOfBlock = 256;
constexpr int kLongestCode = 15;
constexpr int kLongestLengthCode = 7;  // of the code that the code lengths are written in
constexpr std::size_t kShortestRun = 3;
constexpr std::size_t kLongestRun = 258;
// Each block's codes are fitted to its own counts: a band of a board may hold rows of margin,
// nearly all runs, beside rows of grain.
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
// The order in which a block's header gives the code lengths' own code lengths.
constexpr std::array<int, 19> kLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                              11, 4,  12, 3, 13, 2, 14, 1, 15};

// A byte (0-255) or a run of the byte before (256 + its length).
using Token = std::uint16_t;
constexpr std::size_t kTokens = 256 + kLongestRun + 1;

struct LengthSymbol {
    int symbol = 0;
    int extraBits = 0;
    std::uint32_t extra = 0;
};

// Every run length's symbol and extra bits, from the table of RFC 1951, 3.2.5.
std::array<LengthSymbol, kLongestRun + 1> lengthSymbols() {
    constexpr std::array<int, 29> base = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                          15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                          67, 83, 99, 115, 131, 163, 195, 227, 258};
    constexpr std::array<int, 29> extraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    std::array<LengthSymbol, kLongestRun + 1> symbols{};
    for (std::size_t length = kShortestRun; length <= kLongestRun; ++length) {
        std::size_t k = base.size() - 1;
        while (static_cast<std::size_t>(base[k]) > length) {
            --k;
        }
        symbols[length] = {257 + static_cast<int>(k), extraBits[k],
                           static_cast<std::uint32_t>(length - static_cast<std::size_t>(base[k]))};
    }
    return symbols;
}

const std::array<LengthSymbol, kLongestRun + 1> kLengthSymbols = lengthSymbols();

// Huffman's code lengths for `counts`, none longer than `longest` bits: where Huffman's are
// longer, those of the counts evened out by halves, until they fit. A code of one symbol is
// given a second of the same length, as inflaters want a whole code.
std::vector<int> codeLengths(std::vector<std::uint64_t> counts, int longest) {
    std::vector<int> used;
    for (std::size_t s = 0; s < counts.size(); ++s) {
        if (counts[s] > 0) {
            used.push_back(static_cast<int>(s));
        }
    }
    std::vector<int> lengths(counts.size(), 0);
    if (used.size() < 2) {
        const int other = used.empty() || used[0] != 0 ? 0 : 1;
        lengths[static_cast<std::size_t>(other)] = 1;
        if (!used.empty()) {
            lengths[static_cast<std::size_t>(used[0])] = 1;
        }
        return lengths;
    }
    const std::size_t leaves = used.size();
    for (;;) {
        // Huffman's two queues: the leaves sorted by their counts, and the nodes made from
        // them, which come in order of weight too; the two lightest of their heads are joined.
        std::sort(used.begin(), used.end(), [&](int a, int b) {
            const auto ca = counts[static_cast<std::size_t>(a)];
            const auto cb = counts[static_cast<std::size_t>(b)];
            return ca != cb ? ca < cb : a < b;
        });
        std::vector<std::uint64_t> weight(2 * leaves - 1);
        std::vector<std::size_t> parent(2 * leaves - 1, 0);
        for (std::size_t i = 0; i < leaves; ++i) {
            weight[i] = counts[static_cast<std::size_t>(used[i])];
        }
        std::size_t leaf = 0, node = leaves, next = leaves;
        const auto lightest = [&] {
            const bool takeLeaf = leaf < leaves && (node == next || weight[leaf] <= weight[node]);
            return takeLeaf ? leaf++ : node++;
        };
        for (; next < 2 * leaves - 1; ++next) {
            const std::size_t a = lightest();
            const std::size_t b = lightest();
            weight[next] = weight[a] + weight[b];
            parent[a] = parent[b] = next;
        }
        // Parents are made after their children: depths from the root down.
        std::vector<int> depth(next, 0);
        for (std::size_t n = next - 1; n-- > 0;) {
            depth[n] = depth[parent[n]] + 1;
        }
        int deepest = 0;
        for (std::size_t i = 0; i < leaves; ++i) {
            lengths[static_cast<std::size_t>(used[i])] = depth[i];
            deepest = std::max(deepest, depth[i]);
        }
        if (deepest <= longest) {
            return lengths;
        }
        for (const int s : used) {
            counts[static_cast<std::size_t>(s)] = (counts[static_cast<std::size_t>(s)] >> 1) | 1;
        }
    }
}

// The canonical codes of RFC 1951, 3.2.2, their bits reversed: deflate sends a code's first
// bit first, into the low end of each byte.
std::vector<std::uint32_t> codesOf(const std::vector<int>& lengths) {
    std::array<std::uint32_t, kLongestCode + 2> count{};
    for (const int length : lengths) {
        count[static_cast<std::size_t>(length)] += length > 0 ? 1 : 0;
    }
    std::array<std::uint32_t, kLongestCode + 2> next{};
    std::uint32_t code = 0;
    for (std::size_t bits = 1; bits <= kLongestCode; ++bits) {
        code = (code + (bits > 1 ? count[bits - 1] : 0)) << 1;
        next[bits] = code;
    }
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        const int length = lengths[s];
        if (length > 0) {
            std::uint32_t c = next[static_cast<std::size_t>(length)]++;
            std::uint32_t reversed = 0;
            for (int b = 0; b < length; ++b, c >>= 1) {
                reversed = (reversed << 1) | (c & 1);
            }
            codes[s] = reversed;
        }
    }
    return codes;
}

// Bits into bytes, the first bit into the low end, into room its user has made with eight
// bytes to spare: each put() stores a whole word and moves on by the bytes it filled, so
// that no branch waits on how many bits there are.
class BitWriter {
  public:
    explicit BitWriter(std::uint8_t* at) : at_(at) {}
    // At most 56 bits.
    void put(std::uint64_t value, int bits) {
        word_ |= value << held_;
        held_ += bits;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(at_, &word_, sizeof word_);
        } else {
            for (std::size_t b = 0; b < sizeof word_; ++b) {
                at_[b] = static_cast<std::uint8_t>(word_ >> (8 * b));
            }
        }
        at_ += held_ >> 3;
        word_ >>= held_ & ~7;
        held_ &= 7;
    }
    // The bits held out to a whole byte, padded with zeros.
    void toByte() {
        if (held_ > 0) {
            *at_++ = static_cast<std::uint8_t>(word_);
        }
        held_ = 0;
        word_ = 0;
    }
    const std::uint8_t* at() const { return at_; }

  private:
    std::uint8_t* at_;
    std::uint64_t word_ = 0;
    int held_ = 0;
};

// Four words of eight bytes, from `data` - 1, `data`, `data` + 1 and `data` + 2.
std::array<std::uint64_t, 4> wordsFrom(const std::uint8_t* data) {
    std::array<std::uint64_t, 4> words{};
    for (std::size_t k = 0; k < words.size(); ++k) {
        std::memcpy(&words[k], data - 1 + k, sizeof words[k]);
    }
    return words;
}

// Which of the eight bytes from `data` start a run, the high bit of the lowest such byte set
// (and perhaps of others above it): a byte that equals the one before it, as do the two after
// it. Little-endian words: the first byte is the lowest.
std::uint64_t runStarts(const std::uint8_t* data) {
    const std::array<std::uint64_t, 4> w = wordsFrom(data);
    const std::uint64_t differ = (w[1] ^ w[0]) | (w[2] ^ w[0]) | (w[3] ^ w[0]);
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    return (differ - kOnes) & ~differ & kHighs;
}

// The bytes from `begin` to `end` of `data` as tokens into `tokens` (room for a token a
// byte), each counted in `counts`; how many there are. The first byte of a run is a literal
// (but where the byte before it is in `data` too), the rest the run of it. Whether a run
// starts is asked of eight bytes at once where the words are little-endian, else of each
// byte's three: in a photo's grain short runs come and go at random, and a branch on each
// byte is missed at every one.
std::size_t tokensOf(const std::uint8_t* data, std::size_t begin, std::size_t end, Token* tokens,
                     std::array<std::uint32_t, kTokens>& counts) {
    std::size_t count = 0;
    std::size_t i = begin;
    const auto literal = [&] {
        ++counts[data[i]];
        tokens[count++] = data[i++];
    };
    if (i == 0 && i < end) {
        literal();
    }
    constexpr std::size_t kWord = 8;
    while (i + kShortestRun <= end) {
        const std::uint8_t before = data[i - 1];
        if (std::endian::native == std::endian::little && i + kWord + 2 <= end) {
            const std::uint64_t starts = runStarts(data + i);
            const auto literals = static_cast<std::size_t>(std::countr_zero(starts) / 8);
            for (std::size_t k = 0; k < std::min(literals, kWord); ++k) {
                literal();
            }
            if (literals >= kWord) {
                continue;
            }
        } else if (((data[i] == before) & (data[i + 1] == before) & (data[i + 2] == before)) == 0) {
            literal();
            continue;
        }
        const std::uint8_t repeated = data[i - 1];
        const std::size_t most = std::min(kLongestRun, end - i);
        std::size_t run = kShortestRun;
        while (run < most && data[i + run] == repeated) {
            ++run;
        }
        ++counts[256 + run];
        tokens[count++] = static_cast<Token>(256 + run);
        i += run;
    }
    while (i < end) {
        literal();
    }
    return count;
}

// At most, a block's header and its end; and a token: a 15-bit code, 5 extra bits and the
// distance's one bit.
constexpr std::size_t kHeaderBits = 17 + 3 * 19 + 7 * (kSymbols + 2) + 15;
constexpr std::size_t kTokenBits = 21;

// One block of dynamic codes: its header, its tokens, its end. Every run is one byte back:
// the distance alphabet is two codes of one bit, the first of them meaning one byte.
void writeBlock(BitWriter& writer, const Token* tokens, std::size_t count,
                const std::array<std::uint32_t, kTokens>& tokenCounts, bool final) {
    std::vector<std::uint64_t> counts(kSymbols, 0);
    for (std::size_t t = 0; t < kTokens; ++t) {
        counts[t < 256 ? t : static_cast<std::size_t>(kLengthSymbols[t - 256].symbol)] +=
            tokenCounts[t];
    }
    counts[kEndOfBlock] = 1;
    const std::vector<int> lengths = codeLengths(counts, kLongestCode);
    const std::vector<std::uint32_t> codes = codesOf(lengths);
    int symbols = kSymbols;
    while (lengths[static_cast<std::size_t>(symbols - 1)] == 0) {
        --symbols;
    }
    symbols = std::max(symbols, kEndOfBlock + 1);
    std::vector<std::uint64_t> lengthCounts(kLengthOrder.size(), 0);
    for (int s = 0; s < symbols; ++s) {
        ++lengthCounts[static_cast<std::size_t>(lengths[static_cast<std::size_t>(s)])];
    }
    lengthCounts[1] += 2;  // the two distance codes
    const std::vector<int> lengthLengths = codeLengths(lengthCounts, kLongestLengthCode);
    const std::vector<std::uint32_t> lengthCodes = codesOf(lengthLengths);
    std::size_t given = kLengthOrder.size();
    while (given > 4 && lengthLengths[static_cast<std::size_t>(kLengthOrder[given - 1])] == 0) {
        --given;
    }
    writer.put(final ? 1 : 0, 1);
    writer.put(2, 2);  // dynamic codes
    writer.put(static_cast<std::uint32_t>(symbols - 257), 5);
    writer.put(1, 5);  // two distance codes
    writer.put(static_cast<std::uint32_t>(given - 4), 4);
    for (std::size_t i = 0; i < given; ++i) {
        writer.put(
            static_cast<std::uint32_t>(lengthLengths[static_cast<std::size_t>(kLengthOrder[i])]),
            3);
    }
    const auto putLength = [&](int length) {
        const auto l = static_cast<std::size_t>(length);
        writer.put(lengthCodes[l], lengthLengths[l]);
    };
    for (int s = 0; s < symbols; ++s) {
        putLength(lengths[static_cast<std::size_t>(s)]);
    }
    putLength(1);
    putLength(1);
    // Each token's bits at once: a byte's code, or a run's length code, its extra bits and
    // the distance's code, a 0 bit.
    struct Bits {
        std::uint32_t value = 0;
        int count = 0;
    };
    std::array<Bits, kTokens> bits{};
    for (std::size_t t = 0; t < kTokens; ++t) {
        if (t < 256) {
            bits[t] = {codes[t], lengths[t]};
        } else if (t >= 256 + kShortestRun) {
            const LengthSymbol& run = kLengthSymbols[t - 256];
            const auto s = static_cast<std::size_t>(run.symbol);
            bits[t] = {codes[s] | (run.extra << lengths[s]), lengths[s] + run.extraBits + 1};
        }
    }
    for (std::size_t t = 0; t < count; ++t) {
        const Bits& b = bits[tokens[t]];
        writer.put(b.value, b.count);
    }
    writer.put(codes[kEndOfBlock], lengths[kEndOfBlock]);
}

}  // namespace

QByteArray deflateRuns(const std::uint8_t* data, std::size_t size, bool last) {
    const std::size_t blocks = (size + kBlockBytes - 1) / kBlockBytes;
    // The stored block's header and its four bytes, and the writer's eight to spare.
    const std::size_t room = ((blocks + 1) * kHeaderBits + size * kTokenBits + 3) / 8 + 4 + 8 + 1;
    QByteArray out(static_cast<qsizetype>(room), Qt::Uninitialized);
    auto* const start = reinterpret_cast<std::uint8_t*>(out.data());
    BitWriter writer(start);
    std::vector<Token> tokens(std::min(size, kBlockBytes));
    for (std::size_t begin = 0; begin < size || (begin == 0 && last); begin += kBlockBytes) {
        const std::size_t end = std::min(size, begin + kBlockBytes);
        std::array<std::uint32_t, kTokens> counts{};
        const std::size_t count = tokensOf(data, begin, end, tokens.data(), counts);
        writeBlock(writer, tokens.data(), count, counts, last && end == size);
    }
    if (!last) {
        writer.put(0, 3);  // an empty stored block, to end on a byte
        writer.toByte();
        for (const std::uint8_t b : {0x00, 0x00, 0xff, 0xff}) {
            writer.put(b, 8);
        }
    }
    writer.toByte();
    out.resize(static_cast<qsizetype>(writer.at() - start));
    return out;
}

}  // namespace tessara
