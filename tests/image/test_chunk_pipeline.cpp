#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "image/chunk_pipeline.h"

using namespace tessara;

namespace {

// Chunk i is i + 1 bytes, each the letter 'a' + i.
qint64 letters(int index, char* buffer) {
    std::string(static_cast<size_t>(index) + 1, static_cast<char>('a' + index)).copy(buffer, 64);
    return index + 1;
}

}  // namespace

TEST(PipeChunks, HandsEveryChunkOverInOrderWhateverTheRing) {
    for (const int ring : {1, 2, 3, 8}) {
        std::string stream;
        const bool ok = pipeChunks(6, 64, ring, letters, [&](const char* bytes, qint64 size) {
            stream.append(bytes, static_cast<size_t>(size));
            return true;
        });
        EXPECT_TRUE(ok) << "ring " << ring;
        EXPECT_EQ(stream, "abbcccddddeeeeeffffff") << "ring " << ring;
    }
}

TEST(PipeChunks, NoChunksMakeNothingAndSucceed) {
    int calls = 0;
    EXPECT_TRUE(pipeChunks(
        0, 64, 3, [&](int, char*) { return ++calls, qint64{0}; },
        [&](const char*, qint64) { return ++calls, true; }));
    EXPECT_EQ(calls, 0);
}

// A failed write stops the stream: nothing more is taken, and the maker, which may be at
// most a ring ahead, stops too instead of waiting for ever.
TEST(PipeChunks, AFailureToTakeStopsTheMaker) {
    std::atomic<int> made = 0;
    int taken = 0;
    const bool ok = pipeChunks(
        100, 64, 3,
        [&](int index, char* buffer) {
            ++made;
            return letters(index % 26, buffer);
        },
        [&](const char*, qint64) { return ++taken < 4; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(taken, 4);
    EXPECT_LE(made.load(), 4 + 3);
}

TEST(PipeChunks, AnExceptionFromTheTakerReachesTheCallerAfterTheMakerStops) {
    std::atomic<int> made = 0;
    EXPECT_THROW(pipeChunks(
                     100, 64, 2,
                     [&](int index, char* buffer) {
                         ++made;
                         return letters(index % 26, buffer);
                     },
                     [](const char*, qint64) -> bool { throw std::runtime_error("disk"); }),
                 std::runtime_error);
    EXPECT_LE(made.load(), 1 + 2);
}

TEST(PipeChunks, AnExceptionFromTheMakerReachesTheCallerAfterTheChunksBeforeIt) {
    std::string taken;
    const auto failOnThird = [](int index, char* buffer) -> qint64 {
        if (index == 2) {
            throw std::runtime_error("no chunk 2");
        }
        return letters(index, buffer);
    };
    const auto take = [&taken](const char* bytes, qint64 size) {
        taken.append(bytes, static_cast<size_t>(size));
        return true;
    };
    for (const int ring : {1, 3}) {
        taken.clear();
        EXPECT_THROW(pipeChunks(5, 64, ring, failOnThird, take), std::runtime_error) << ring;
        EXPECT_EQ(taken, "abb") << ring;
    }
}
