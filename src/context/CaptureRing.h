#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sonavue::app {

// A stretch of the input stream in absolute byte positions: byte 0 is the
// first byte recorded after the input started. [start, end).
struct StreamSpan {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::uint64_t Length() const { return end > start ? end - start : 0; }
};

// The last bytes of a live input stream in a ring of fixed size: ring offset
// k holds the latest stream byte whose position is k modulo the size.
// Spans come out in whole groups of 12 bytes, which are whole sample frames
// of every input format (mono or stereo, 16 or 24 bits).
class CaptureRing {
 public:
  static constexpr std::uint64_t kGroupBytes = 12;

  // A zero-filled ring of `bytes`, rounded up to a whole number of groups;
  // the stream starts again at byte 0. Returns false (and holds nothing)
  // when the memory cannot be had.
  bool Allocate(std::size_t bytes);
  void Release();

  std::size_t Size() const { return ring_.size(); }
  // Stream bytes written since Allocate.
  std::uint64_t Total() const { return total_; }

  // Appends bytes to the stream; beyond the ring's size only the newest
  // Size() bytes are kept.
  void Write(std::span<const std::uint8_t> bytes);

  // The part of [startByte, endByte) the ring still holds: the end is cut to
  // the bytes written and moved down to a whole group; the length is the
  // whole groups of endByte − startByte counted back from that end; the
  // start is cut to the oldest byte not yet overwritten.
  StreamSpan Held(std::uint64_t startByte, std::uint64_t endByte) const;

  // Copies Held(startByte, endByte) into out (resized to its length) and
  // returns that span. Returns an empty span when out cannot be allocated.
  StreamSpan Extract(std::uint64_t startByte, std::uint64_t endByte, std::vector<std::uint8_t>& out) const;

  // The stream bytes [startByte, endByte) where they lie in the ring, byte
  // for byte (no groups), as one or two pieces in stream order; both empty
  // unless the ring holds every one of them. Valid until the next Write.
  std::array<std::span<const std::uint8_t>, 2> Pieces(std::uint64_t startByte, std::uint64_t endByte) const;

 private:
  std::vector<std::uint8_t> ring_;
  std::uint64_t total_ = 0;
};

}  // namespace sonavue::app
