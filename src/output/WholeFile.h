#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace sonavue::output {

// A file written whole or not at all: the bytes go to a new file beside the
// target, which replaces the target only when every byte was written. A
// target that was there before stays untouched when anything fails, and
// the new file is removed.
class WholeFile {
 public:
  WholeFile() = default;
  ~WholeFile();
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  // Creates the new file beside target. False when it cannot be made, or
  // when target exists and is not a regular file the user may write.
  bool Open(const std::filesystem::path& target);
  bool IsOpen() const { return descriptor_ >= 0; }
  // Appends bytes; false when fewer than all of them were written.
  bool Write(std::span<const std::uint8_t> bytes);
  // Closes the new file and puts it in place of the target; false (and the
  // new file removed) when the close or the rename fails.
  bool Commit();
  // Closes and removes the new file; the target stays as it was.
  void Discard();

  const std::filesystem::path& Target() const { return target_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int descriptor_ = -1;
};

}  // namespace sonavue::output
