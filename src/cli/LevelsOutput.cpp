#include "cli/LevelsOutput.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace sonavue::cli {
namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
// The longest text of one number: a 64-bit integer, or a time or level with
// three decimals.
constexpr std::size_t kNumberChars = 48;

// Little-endian bytes of a value, whatever the host's byte order.
template <typename T>
char* PutLittleEndian(char* at, T value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof(T));
  for (std::size_t i = 0; i < sizeof(T); ++i) *at++ = static_cast<char>((bits >> (8 * i)) & 0xFFU);
  return at;
}

char* PutFixed3(char* at, char* end, double value) {
  return std::to_chars(at, end, value, std::chars_format::fixed, 3).ptr;
}

}  // namespace

std::string NpyHeader(std::int64_t columns, int rows) {
  std::string dict = "{'descr': [('time_ms', '<f8'), ('total_db', '<f4'), ('codes', '<i2', (" +
                     std::to_string(rows) + ",))], 'fortran_order': False, 'shape': (" + std::to_string(columns) +
                     ",), }";
  // Magic, version 1.0, the header length, then the dictionary padded with
  // spaces and ended by a newline so that the data starts 64-byte aligned.
  const std::size_t prefix = 10;
  std::size_t total = prefix + dict.size() + 1;
  total = (total + 63) / 64 * 64;
  dict.append(total - prefix - dict.size() - 1, ' ');
  dict += '\n';
  std::string header("\x93NUMPY\x01\x00", 8);
  const auto length = static_cast<std::uint16_t>(dict.size());
  header += static_cast<char>(length & 0xFFU);
  header += static_cast<char>(length >> 8);
  return header + dict;
}

LevelsWriter::LevelsWriter(std::FILE* out, LevelsFormat format, std::int64_t columns, int rows)
    : out_(out), format_(format), columns_(columns), rows_(rows), buffer_(kBufferBytes) {}

void LevelsWriter::Begin() {
  if (format_ == LevelsFormat::Npy) {
    const std::string header = NpyHeader(columns_, rows_);
    Put(header.data(), header.size());
    return;
  }
  std::string heading = "column,time_ms,total_db";
  for (int r = 0; r < rows_; ++r) heading += ",r" + std::to_string(r);
  heading += '\n';
  Put(heading.data(), heading.size());
}

void LevelsWriter::Column(std::int64_t index, double timeMs, std::optional<float> totalDb,
                          std::span<const std::int16_t> codes) {
  const std::size_t rows = codes.size();
  if (format_ == LevelsFormat::Npy) {
    Reserve(12 + 2 * rows);
    char* at = buffer_.data() + used_;
    at = PutLittleEndian(at, timeMs);
    at = PutLittleEndian(at, totalDb ? *totalDb : std::numeric_limits<float>::quiet_NaN());
    for (const std::int16_t code : codes) at = PutLittleEndian(at, code);
    used_ = static_cast<std::size_t>(at - buffer_.data());
    return;
  }
  // Each code takes at most 7 characters (",-32768").
  Reserve(3 * kNumberChars + 7 * rows + 1);
  char* at = buffer_.data() + used_;
  char* const end = buffer_.data() + buffer_.size();
  at = std::to_chars(at, end, index).ptr;
  *at++ = ',';
  at = PutFixed3(at, end, timeMs);
  *at++ = ',';
  if (totalDb) at = PutFixed3(at, end, static_cast<double>(*totalDb));
  for (const std::int16_t code : codes) {
    *at++ = ',';
    at = std::to_chars(at, end, code).ptr;
  }
  *at++ = '\n';
  used_ = static_cast<std::size_t>(at - buffer_.data());
}

bool LevelsWriter::Finish() {
  Flush();
  if (std::fflush(out_) != 0) failed_ = true;
  return !failed_ && std::ferror(out_) == 0;
}

void LevelsWriter::Reserve(std::size_t bytes) {
  if (buffer_.size() - used_ >= bytes) return;
  Flush();
  // A column larger than the buffer (a great many rows) gets room of its own.
  if (buffer_.size() < bytes) buffer_.resize(bytes);
}

void LevelsWriter::Put(const char* text, std::size_t length) {
  Reserve(length);
  std::memcpy(buffer_.data() + used_, text, length);
  used_ += length;
}

void LevelsWriter::Flush() {
  if (used_ == 0) return;
  if (!failed_ && std::fwrite(buffer_.data(), 1, used_, out_) != used_) failed_ = true;
  used_ = 0;
}

}  // namespace sonavue::cli
