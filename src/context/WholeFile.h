#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace sonavue::app {

// Writes a file whole: the bytes go to a temporary file beside the target,
// which replaces the target only when every byte was written, so a full
// disk or a crash never leaves half a file under the target's name. Writes
// pass through a block buffer allocated at Open, so a long run of small
// writes touches the file only once per block.
class WholeFileWriter {
 public:
  // Bytes collected before they go to the file.
  static constexpr std::size_t kBlockBytes = 1U << 20;

  WholeFileWriter() = default;
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // Creates the temporary file "<target>.new" (replacing one left by an
  // earlier run). False when it cannot be created, or the target names a
  // folder or a file the user may not write.
  bool Open(const std::filesystem::path& target);
  bool IsOpen() const { return file_ != nullptr; }

  // Appends bytes; a failure is remembered and reported by Commit. Does not
  // allocate.
  void Write(std::span<const std::byte> bytes);
  void Write(std::string_view text);

  // Writes what is left, closes the temporary file and renames it over the
  // target. False (and the temporary file removed, the target untouched)
  // when any write, the close or the rename failed.
  bool Commit();
  // Closes and removes the temporary file; the target is untouched.
  void Abandon();

  // Whether every write so far succeeded.
  bool Ok() const { return ok_; }
  const std::filesystem::path& Target() const { return target_; }

 private:
  bool Flush();

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  std::vector<char> block_;
  std::size_t used_ = 0;
  bool ok_ = false;
};

// The temporary name WholeFileWriter writes beside a target.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target);

}  // namespace sonavue::app
