#include "context/CaptureRing.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sonavue::app {

bool CaptureRing::Allocate(std::size_t bytes) {
  Release();
  const std::size_t rounded = (bytes + kGroupBytes - 1) / kGroupBytes * kGroupBytes;
  try {
    ring_.assign(rounded, 0);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  return true;
}

void CaptureRing::Release() {
  ring_.clear();
  ring_.shrink_to_fit();
  total_ = 0;
}

void CaptureRing::Write(std::span<const std::uint8_t> bytes) {
  const std::size_t size = ring_.size();
  if (size == 0) {
    total_ += bytes.size();
    return;
  }
  // Bytes that would be overwritten within this same write are skipped.
  if (bytes.size() > size) {
    const std::size_t skipped = bytes.size() - size;
    total_ += skipped;
    bytes = bytes.subspan(skipped);
  }
  const auto at = static_cast<std::size_t>(total_ % size);
  const std::size_t first = std::min(bytes.size(), size - at);
  std::memcpy(ring_.data() + at, bytes.data(), first);
  std::memcpy(ring_.data(), bytes.data() + first, bytes.size() - first);
  total_ += bytes.size();
}

StreamSpan CaptureRing::Held(std::uint64_t startByte, std::uint64_t endByte) const {
  const std::uint64_t end = std::min(endByte, total_);
  const std::uint64_t endAligned = end - end % kGroupBytes;
  if (startByte >= end) return {endAligned, endAligned};
  const std::uint64_t wanted = end - startByte;
  const std::uint64_t length = std::min(wanted - wanted % kGroupBytes, endAligned);
  // Older bytes have been overwritten by newer ones at the same offsets.
  std::uint64_t oldest = total_ > ring_.size() ? total_ - ring_.size() : 0;
  oldest = (oldest + kGroupBytes - 1) / kGroupBytes * kGroupBytes;
  const std::uint64_t start = std::min(std::max(endAligned - length, oldest), endAligned);
  return {start, endAligned};
}

StreamSpan CaptureRing::Extract(std::uint64_t startByte, std::uint64_t endByte,
                                std::vector<std::uint8_t>& out) const {
  const StreamSpan span = Held(startByte, endByte);
  const auto length = static_cast<std::size_t>(span.Length());
  try {
    out.resize(length);
  } catch (const std::bad_alloc&) {
    out.clear();
    return {span.end, span.end};
  }
  if (length == 0) return span;
  const std::size_t size = ring_.size();
  const auto at = static_cast<std::size_t>(span.start % size);
  const std::size_t first = std::min(length, size - at);
  std::memcpy(out.data(), ring_.data() + at, first);
  std::memcpy(out.data() + first, ring_.data(), length - first);
  return span;
}

std::array<std::span<const std::uint8_t>, 2> CaptureRing::Pieces(std::uint64_t startByte,
                                                                std::uint64_t endByte) const {
  const std::size_t size = ring_.size();
  const std::uint64_t oldest = total_ > size ? total_ - size : 0;
  if (size == 0 || startByte >= endByte || startByte < oldest || endByte > total_) return {};
  const auto length = static_cast<std::size_t>(endByte - startByte);
  const auto at = static_cast<std::size_t>(startByte % size);
  const std::size_t first = std::min(length, size - at);
  return {std::span<const std::uint8_t>(ring_.data() + at, first),
          std::span<const std::uint8_t>(ring_.data(), length - first)};
}

}  // namespace sonavue::app
