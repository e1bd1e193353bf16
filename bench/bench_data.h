#pragma once

// Test data for the benchmarks, made on the spot so that nothing big lives in the repository.

#include <cstdint>
#include <filesystem>

namespace veltharn::bench {

// A file of `size` bytes of pseudo-random (incompressible) content, different for each `seed`.
void WriteRandomFile(const std::filesystem::path& path, uint64_t size, uint64_t seed);

// A zlib stream (level 6) of `plainSize` bytes of word-like text that compresses about as well as
// game data does (roughly 3:1). Returns the size of the stream.
uint64_t WriteCompressedStream(const std::filesystem::path& path, uint64_t plainSize);

}  // namespace veltharn::bench
