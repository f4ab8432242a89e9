#include "output/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace sonavue::output {

WholeFile::~WholeFile() { Discard(); }

bool WholeFile::Open(const std::filesystem::path& target) {
  Discard();
  std::error_code error;
  const auto status = std::filesystem::symlink_status(target, error);
  if (!error && std::filesystem::exists(status)) {
    // Only a file the user may write is replaced, as opening it for
    // writing would allow.
    if (std::filesystem::is_directory(std::filesystem::status(target, error))) return false;
    if (::access(target.c_str(), W_OK) != 0) return false;
  }
  target_ = target;
  temporary_ = target.parent_path() / ("." + target.filename().string() + ".new");
  descriptor_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  return descriptor_ >= 0;
}

bool WholeFile::Write(std::span<const std::uint8_t> bytes) {
  if (descriptor_ < 0) return false;
  const std::uint8_t* at = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(descriptor_, at, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    at += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

bool WholeFile::Commit() {
  if (descriptor_ < 0) return false;
  const int closed = ::close(descriptor_);
  descriptor_ = -1;
  std::error_code error;
  if (closed != 0) {
    std::filesystem::remove(temporary_, error);
    return false;
  }
  std::filesystem::rename(temporary_, target_, error);
  if (error) {
    std::filesystem::remove(temporary_, error);
    return false;
  }
  return true;
}

void WholeFile::Discard() {
  if (descriptor_ < 0) return;
  ::close(descriptor_);
  descriptor_ = -1;
  std::error_code error;
  std::filesystem::remove(temporary_, error);
}

}  // namespace sonavue::output
