#include "context/CaptureRing.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonavue::app {
namespace {

// Stream byte q: differs between nearby positions and does not repeat with
// the ring or write sizes used here.
std::uint8_t Pattern(std::uint64_t q) { return static_cast<std::uint8_t>((q * 131) ^ (q >> 8) ^ (q >> 16)); }

// Writes stream bytes [from, from + count) in pieces of `piece` bytes.
void WriteStream(CaptureRing& ring, std::uint64_t from, std::uint64_t count, std::size_t piece) {
  std::vector<std::uint8_t> bytes;
  for (std::uint64_t done = 0; done < count;) {
    const std::uint64_t n = std::min<std::uint64_t>(piece, count - done);
    bytes.resize(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = Pattern(from + done + i);
    ring.Write(bytes);
    done += n;
  }
}

::testing::AssertionResult IsStream(const std::vector<std::uint8_t>& data, std::uint64_t start) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] != Pattern(start + i)) {
      return ::testing::AssertionFailure() << "byte " << i << " is not stream byte " << start + i;
    }
  }
  return ::testing::AssertionSuccess();
}

// A ring of "60 s" at 1200 bytes a second: 72000 bytes, filled by "4-s"
// buffers of 4800 bytes.
constexpr std::uint64_t kSecond = 1200;
constexpr std::size_t kRing = 60 * kSecond;
constexpr std::size_t kBuffer = 4 * kSecond;

TEST(CaptureRingTest, ASpanAcrossTheRingsEndComesOutInStreamOrder) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(kRing));
  WriteStream(ring, 0, 64 * kSecond, kBuffer);
  std::vector<std::uint8_t> out;
  const StreamSpan span = ring.Extract(58 * kSecond, 62 * kSecond, out);
  EXPECT_EQ(span.start, 58 * kSecond);
  EXPECT_EQ(span.end, 62 * kSecond);
  ASSERT_EQ(out.size(), 4 * kSecond);
  EXPECT_TRUE(IsStream(out, 58 * kSecond));
}

TEST(CaptureRingTest, ASpanOfTheRingsWholeSizeIsTheLastSixtySeconds) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(kRing));
  WriteStream(ring, 0, 64 * kSecond, kBuffer);
  std::vector<std::uint8_t> out;
  const StreamSpan span = ring.Extract(4 * kSecond, 64 * kSecond, out);
  EXPECT_EQ(span.start, 4 * kSecond);
  EXPECT_EQ(span.end, 64 * kSecond);
  ASSERT_EQ(out.size(), kRing);
  EXPECT_TRUE(IsStream(out, 4 * kSecond));
  // Exactly full, not yet wrapped.
  CaptureRing full;
  ASSERT_TRUE(full.Allocate(kRing));
  WriteStream(full, 0, kRing, kBuffer);
  EXPECT_EQ(full.Extract(0, kRing, out).Length(), kRing);
  EXPECT_TRUE(IsStream(out, 0));
}

TEST(CaptureRingTest, ASixtySecondSpanEndingBeforeTheNewestByteStartsAtTheOldestHeld) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(kRing));
  WriteStream(ring, 0, 64 * kSecond, kBuffer);
  std::vector<std::uint8_t> out;
  // 3 … 63 s: the ring's offsets of 3 … 4 s now hold 63 … 64 s.
  const StreamSpan span = ring.Extract(3 * kSecond, 63 * kSecond, out);
  EXPECT_EQ(span.start, 4 * kSecond);
  EXPECT_EQ(span.end, 63 * kSecond);
  ASSERT_EQ(out.size(), 59 * kSecond);
  EXPECT_TRUE(IsStream(out, 4 * kSecond));
}

TEST(CaptureRingTest, ASpanOlderThanTheRingHoldsIsCutToWhatItHolds) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(kRing));
  WriteStream(ring, 0, 100 * kSecond, kBuffer);
  std::vector<std::uint8_t> out;
  StreamSpan span = ring.Extract(10 * kSecond, 50 * kSecond, out);
  EXPECT_EQ(span.start, 40 * kSecond);
  EXPECT_EQ(span.end, 50 * kSecond);
  EXPECT_TRUE(IsStream(out, 40 * kSecond));
  span = ring.Extract(0, 30 * kSecond, out);
  EXPECT_EQ(span.Length(), 0U);
  EXPECT_TRUE(out.empty());
}

TEST(CaptureRingTest, AStopInTheMiddleOfABufferEndsTheStreamThere) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(kRing));
  WriteStream(ring, 0, 16 * kBuffer, kBuffer);
  // The last buffer is cut 1.5 s in, at the stop.
  WriteStream(ring, 16 * kBuffer, 1800, 1800);
  EXPECT_EQ(ring.Total(), 16 * kBuffer + 1800);
  std::vector<std::uint8_t> out;
  // The span asked for runs past the stop: it ends at the last byte written.
  const StreamSpan span = ring.Extract(16 * kBuffer - 10 * kSecond, 16 * kBuffer + 10 * kSecond, out);
  EXPECT_EQ(span.start, 16 * kBuffer - 10 * kSecond);
  EXPECT_EQ(span.end, 16 * kBuffer + 1800);
  EXPECT_TRUE(IsStream(out, span.start));
}

TEST(CaptureRingTest, TwentyFourBitStereoSpansAreWholeTwelveByteGroups) {
  // 6 bytes a frame; 12 bytes are two whole frames. A ring of 1000 groups.
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(12000));
  WriteStream(ring, 0, 30000, 6 * 700);
  std::vector<std::uint8_t> out;
  // End 25007 moves down to 24996; 25007 − 19003 = 6004 bytes hold 500
  // whole groups (6000 bytes), counted back from that end.
  StreamSpan span = ring.Extract(19003, 25007, out);
  EXPECT_EQ(span.end, 24996U);
  EXPECT_EQ(span.start, 18996U);
  EXPECT_EQ(out.size(), 6000U);
  EXPECT_TRUE(IsStream(out, 18996));
  // Whatever is asked for, the span starts and ends on group boundaries.
  for (std::uint64_t start : {17999U, 18001U, 18005U, 20011U}) {
    for (std::uint64_t end : {20013U, 25000U, 29999U, 31000U}) {
      span = ring.Extract(start, end, out);
      EXPECT_EQ(span.start % 12, 0U) << start << " … " << end;
      EXPECT_EQ(span.end % 12, 0U) << start << " … " << end;
      EXPECT_LE(span.end, std::min<std::uint64_t>(end, 30000));
      EXPECT_GE(span.start, 18000U);
      EXPECT_TRUE(IsStream(out, span.start));
    }
  }
}

TEST(CaptureRingTest, TheSizeIsAWholeNumberOfGroups) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(100));
  EXPECT_EQ(ring.Size(), 108U);
  EXPECT_EQ(ring.Total(), 0U);
}

TEST(CaptureRingTest, AWriteLongerThanTheRingKeepsItsNewestBytes) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(120));
  WriteStream(ring, 0, 50, 50);
  WriteStream(ring, 50, 300, 300);
  EXPECT_EQ(ring.Total(), 350U);
  std::vector<std::uint8_t> out;
  const StreamSpan span = ring.Extract(0, 350, out);
  EXPECT_EQ(span.start, 240U);  // the oldest byte held (230) moved up to a group
  EXPECT_EQ(span.end, 348U);
  EXPECT_TRUE(IsStream(out, 240));
}

TEST(CaptureRingTest, AReleasedRingHoldsNothing) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(1200));
  WriteStream(ring, 0, 600, 600);
  ring.Release();
  std::vector<std::uint8_t> out{1, 2, 3};
  EXPECT_EQ(ring.Extract(0, 600, out).Length(), 0U);
  EXPECT_TRUE(out.empty());
}


TEST(CaptureRingTest, PiecesGiveAnyHeldBytesExactlyAcrossTheWrap) {
  CaptureRing ring;
  ASSERT_TRUE(ring.Allocate(120));
  WriteStream(ring, 0, 1000, 37);  // the ring holds stream bytes 880 … 999
  for (const auto& [start, end] : {std::pair<std::uint64_t, std::uint64_t>{880, 1000}, {881, 999}, {950, 963},
                                   {959, 961}}) {
    const auto pieces = ring.Pieces(start, end);
    std::vector<std::uint8_t> joined(pieces[0].begin(), pieces[0].end());
    joined.insert(joined.end(), pieces[1].begin(), pieces[1].end());
    EXPECT_EQ(joined.size(), end - start) << start;
    EXPECT_TRUE(IsStream(joined, start)) << start;
  }
  // 960 is ring offset 0: [950, 970) wraps into a second piece.
  EXPECT_EQ(ring.Pieces(950, 970)[1].size(), 10U);
  // Bytes overwritten, not yet written, or no bytes at all: nothing.
  for (const auto& [start, end] : {std::pair<std::uint64_t, std::uint64_t>{879, 900}, {990, 1001}, {500, 500}}) {
    const auto pieces = ring.Pieces(start, end);
    EXPECT_TRUE(pieces[0].empty() && pieces[1].empty()) << start;
  }
  CaptureRing none;
  EXPECT_TRUE(none.Pieces(0, 0)[0].empty());
}

}  // namespace
}  // namespace sonavue::app
