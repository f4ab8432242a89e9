#include "context/WholeFile.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

namespace sonavue::app {

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  return std::filesystem::path(target).concat(".new");
}

WholeFileWriter::~WholeFileWriter() { Abandon(); }

bool WholeFileWriter::Open(const std::filesystem::path& target) {
  Abandon();
  std::error_code error;
  if (target.empty()) return false;
  // Only a plain file the user may write is replaced, as opening it for
  // writing would allow; a folder, a device or a pipe never is.
  const std::filesystem::file_status status = std::filesystem::status(target, error);
  if (std::filesystem::exists(status) &&
      (!std::filesystem::is_regular_file(status) || ::access(target.c_str(), W_OK) != 0)) {
    return false;
  }
  try {
    block_.resize(kBlockBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  target_ = target;
  temporary_ = TemporaryBeside(target);
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr) return false;
  // The block buffer does the buffering; the stream passes blocks straight on.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  used_ = 0;
  ok_ = true;
  return true;
}

bool WholeFileWriter::Flush() {
  if (used_ == 0) return ok_;
  if (ok_ && std::fwrite(block_.data(), 1, used_, file_) != used_) ok_ = false;
  used_ = 0;
  return ok_;
}

void WholeFileWriter::Write(std::span<const std::byte> bytes) {
  if (file_ == nullptr || !ok_) return;
  const char* from = reinterpret_cast<const char*>(bytes.data());
  std::size_t left = bytes.size();
  while (left > 0) {
    if (used_ == block_.size() && !Flush()) return;
    const std::size_t n = std::min(left, block_.size() - used_);
    std::memcpy(block_.data() + used_, from, n);
    used_ += n;
    from += n;
    left -= n;
  }
}

void WholeFileWriter::Write(std::string_view text) { Write(std::as_bytes(std::span(text.data(), text.size()))); }

bool WholeFileWriter::Commit() {
  if (file_ == nullptr) return false;
  Flush();
  if (std::fflush(file_) != 0) ok_ = false;
  if (std::fclose(file_) != 0) ok_ = false;
  file_ = nullptr;
  std::error_code error;
  if (ok_) {
    std::filesystem::rename(temporary_, target_, error);
    if (error) ok_ = false;
  }
  if (!ok_) std::filesystem::remove(temporary_, error);
  block_ = {};
  return ok_;
}

void WholeFileWriter::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
    std::error_code error;
    std::filesystem::remove(temporary_, error);
  }
  block_ = {};
  used_ = 0;
  ok_ = false;
}

}  // namespace sonavue::app
