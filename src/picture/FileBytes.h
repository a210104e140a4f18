#pragma once

#include "picture/DisplayColorDepth.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

// Whole-file reading and writing for the picture component, in standard C++
// so that the component builds wherever the tool runs.

// No picture the component can hold comes from a larger file (the largest grid
// plus room for headers and tables); the cap also ends reading from an
// endless source such as a device or a pipe.
inline constexpr std::uint64_t kMaxPictureFileBytes = kMaxGridBytes + (std::uint64_t{1} << 20);

// Replaces the contents of `bytes` with the whole file at `path`, from its
// first byte to its last. The vector's capacity is kept and reused, so a
// caller that reads many files into one vector allocates only for the largest.
// EFOpenError when the file cannot be opened (or is a folder), with the full
// path and the platform's reason; EOutOfResources when it is larger than
// kMaxPictureFileBytes, refused before reading when its size is known;
// EReadError when reading fails part way. On failure `bytes` holds no
// meaningful contents.
void ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes);

// Creates (or replaces) the file at `path` and writes `bytes` into it.
// EFCreateError when it cannot be created, EWriteError when the bytes do not
// all reach it.
void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
