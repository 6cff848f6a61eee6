// Deflate (RFC 1951) of a PNG's filtered rows as zlib's run-length strategy (Z_RLE) makes
// it: each byte a literal, and each run of the byte before a match one byte back, under
// Huffman codes fitted to each block's counts. After PNG's filters a scanned map's bytes are
// grain that repeats little further back, and its flat colours are runs; zlib's encoder
// spends most of its time in its general matching and its bit output. This makes a file as
// small (128 MB against zlib's 129 for a joined board of 83 megapixels) four times as fast.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace tessara {

// `size` bytes from `data` as deflate blocks. A piece that is not `last` ends on a byte
// boundary (an empty stored block, as zlib's sync flush), so that pieces made apart, on
// several threads, follow on in one stream; the `last` ends the stream. Matches reach no
// further back than the piece's own bytes.
QByteArray deflateRuns(const std::uint8_t* data, std::size_t size, bool last);

}  // namespace tessara
