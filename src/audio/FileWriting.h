#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>

namespace sonavue::audio {

// The reason of a failed file operation in the program's words ("disk
// full", "file too large", "permission denied", …) for an errno value.
std::string FileErrorText(int error);

struct WriteOutcome {
  std::size_t written = 0;  // bytes that reached the file
  int error = 0;            // 0, or the errno of the write that failed
};

// Writes all of data at the descriptor's position, going on after short
// writes and interruptions, until done or the first failure. The file may
// not grow beyond byteLimit bytes (fileBytes is its length before): what
// would pass it fails as on a full disk (ENOSPC), as tests require.
WriteOutcome WriteAll(int fd, std::span<const std::uint8_t> data, std::uint64_t fileBytes = 0,
                      std::uint64_t byteLimit = UINT64_MAX);

// Writes data whole at offset, leaving the position alone. Returns 0 or
// the errno.
int WriteAt(int fd, std::uint64_t offset, std::span<const std::uint8_t> data);

// What writing a whole file came to: error 0 on success; createFailed when
// the file could not be made at its place at all (the caller's "Cannot
// Open File"), otherwise a write failed on the way.
struct WholeFileResult {
  int error = 0;
  bool createFailed = false;
  bool readFailed = false;  // the file to copy could not be read
};

// Writes the parts in order into a new file beside path and, once all of it
// is on disk, renames it over path: path holds either its old content or
// the whole new file, never a part of it. Nothing is left behind on failure.
WholeFileResult WriteFileWhole(const std::filesystem::path& path,
                               std::initializer_list<std::span<const std::uint8_t>> parts);

// The same with the bytes of the file at from.
WholeFileResult CopyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace sonavue::audio
