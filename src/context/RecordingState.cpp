#include "context/RecordingState.h"

#include <unistd.h>

#include <cerrno>

namespace sonavue::app {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int FileDescriptor::Close() {
  if (fd_ < 0) return 0;
  const int result = ::close(fd_);
  fd_ = -1;
  return result == 0 ? 0 : errno;
}

}  // namespace sonavue::app
