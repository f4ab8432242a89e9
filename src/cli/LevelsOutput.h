#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sonavue::cli {

// How `sonavue-cli levels` writes its columns.
//   Csv: a heading "column,time_ms,total_db,r0,r1,…" and one line per column:
//        index, time in ms (3 decimals), total level in dB (3 decimals, empty
//        for an all-zero frame), then one level code per row.
//   Npy: one NumPy structured array of one record per column, fields
//        time_ms (float64), total_db (float32, NaN for an all-zero frame) and
//        codes (int16, one per row). np.load(path)["codes"] is the matrix of
//        columns × rows; np.load(path, mmap_mode="r") reads it lazily.
enum class LevelsFormat { Csv, Npy };

// The NumPy header (format 1.0, padded to a multiple of 64 bytes) of the Npy
// layout for this many columns and rows.
std::string NpyHeader(std::int64_t columns, int rows);

// Writes the columns in order as they come, through one large buffer, so
// that the output never holds more than a buffer's worth.
class LevelsWriter {
 public:
  LevelsWriter(std::FILE* out, LevelsFormat format, std::int64_t columns, int rows);

  // The heading (Csv) or header (Npy).
  void Begin();
  // One column: its index, time in ms, total level (nullopt: no level) and
  // its codes (rows of them).
  void Column(std::int64_t index, double timeMs, std::optional<float> totalDb, std::span<const std::int16_t> codes);
  // Writes out what is buffered and flushes; false when any write failed.
  bool Finish();

 private:
  void Reserve(std::size_t bytes);
  void Put(const char* text, std::size_t length);
  void Flush();

  std::FILE* out_;
  LevelsFormat format_;
  std::int64_t columns_;
  int rows_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace sonavue::cli
