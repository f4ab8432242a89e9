#include "audio/FileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace sonavue::audio {
namespace {

// Makes a new file beside path, fills it through fill (which returns 0 or
// an errno), puts it on disk and renames it over path.
WholeFileResult WriteWhole(const std::filesystem::path& path, const std::function<int(int)>& fill) {
  WholeFileResult result;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string hidden = ".";
  hidden += path.filename().string();
  hidden += ".XXXXXX";
  const std::string name = (folder / hidden).string();
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) {
    result.error = errno;
    result.createFailed = true;
    return result;
  }
  const std::string temporary(buffer.data());
  // mkostemp makes the file private; the saved file gets the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);

  int error = fill(fd);
  if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    result.createFailed = true;
  }
  if (error != 0) ::unlink(temporary.c_str());
  result.error = error;
  return result;
}

}  // namespace

std::string FileErrorText(int error) {
  switch (error) {
    case ENOSPC: return "disk full";
    case EFBIG: return "file too large";
    case EDQUOT: return "disk quota exceeded";
    case EACCES:
    case EPERM: return "permission denied";
    case ENOENT: return "no such folder";
    case ENOTDIR: return "a part of the path is not a folder";
    case EISDIR: return "the name is a folder";
    case EROFS: return "read-only file system";
    case EIO: return "input/output error";
    default: {
      std::string text = std::strerror(error);
      if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
      return text;
    }
  }
}

WriteOutcome WriteAll(int fd, std::span<const std::uint8_t> data, std::uint64_t fileBytes,
                      std::uint64_t byteLimit) {
  WriteOutcome outcome;
  const std::uint64_t room = byteLimit > fileBytes ? byteLimit - fileBytes : 0;
  const std::size_t allowed = static_cast<std::size_t>(std::min<std::uint64_t>(room, data.size()));
  while (outcome.written < allowed) {
    const ssize_t n = ::write(fd, data.data() + outcome.written, allowed - outcome.written);
    if (n < 0) {
      if (errno == EINTR) continue;
      outcome.error = errno;
      return outcome;
    }
    if (n == 0) {
      outcome.error = EIO;
      return outcome;
    }
    outcome.written += static_cast<std::size_t>(n);
  }
  if (allowed < data.size()) outcome.error = ENOSPC;
  return outcome;
}

int WriteAt(int fd, std::uint64_t offset, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

WholeFileResult WriteFileWhole(const std::filesystem::path& path,
                               std::initializer_list<std::span<const std::uint8_t>> parts) {
  return WriteWhole(path, [&parts](int fd) {
    for (const auto part : parts) {
      const WriteOutcome outcome = WriteAll(fd, part);
      if (outcome.error != 0) return outcome.error;
    }
    return 0;
  });
}

WholeFileResult CopyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to) {
  const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return {errno, false, true};
  bool readFailed = false;
  WholeFileResult result = WriteWhole(to, [source, &readFailed](int fd) {
    std::vector<std::uint8_t> chunk(1 << 20);
    for (;;) {
      const ssize_t n = ::read(source, chunk.data(), chunk.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        readFailed = true;
        return errno;
      }
      if (n == 0) return 0;
      const WriteOutcome outcome = WriteAll(fd, std::span<const std::uint8_t>(chunk.data(), static_cast<std::size_t>(n)));
      if (outcome.error != 0) return outcome.error;
    }
  });
  ::close(source);
  result.readFailed = readFailed;
  return result;
}

}  // namespace sonavue::audio
