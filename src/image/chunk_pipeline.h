// Makes a stream of bytes in numbered chunks on a second thread while the calling thread
// consumes the chunks made before, through a ring of a few buffers: the making of one chunk
// overlaps the consuming of the one before it.
#pragma once

#include <QtGlobal>
#include <cstddef>
#include <functional>

namespace tessara {

// Fills the buffer with chunk `index` and returns how many bytes it filled.
using ChunkMaker = std::function<qint64(int index, char* buffer)>;
// Takes the bytes of one chunk; false stops the stream.
using ChunkTaker = std::function<bool(const char* bytes, qint64 size)>;

// Makes chunks 0 to count - 1, each in a buffer of `bufferBytes`, and hands them to `take`
// in order on the calling thread. `ring` buffers are in use at most. Returns false as soon
// as `take` does, after the maker has stopped; an exception from `take` is passed on after
// the maker has stopped too, and so is one from `make`, once the chunks made before it
// have been taken.
bool pipeChunks(int count, std::size_t bufferBytes, int ring, const ChunkMaker& make,
                const ChunkTaker& take);

}  // namespace tessara
