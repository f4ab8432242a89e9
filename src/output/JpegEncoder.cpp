#include "output/JpegEncoder.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <new>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace sonavue::output {
namespace {

static_assert(JPEG_LIB_VERSION == 62, "image export uses the version 62 interface of libjpeg");

constexpr std::size_t kWorkingBytes = 4096;

// The library reports errors through error_exit, which must not return:
// it jumps back to the compression, which then gives up.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void JumpBack(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(errors->jump, 1);
}

void Quiet(j_common_ptr) {}

// The memory destination: the library fills a working buffer from its image
// pool, and every full buffer (and the rest at the end) is appended to out.
struct Destination {
  jpeg_destination_mgr pub;
  JOCTET* work = nullptr;
  std::vector<std::uint8_t>* out = nullptr;
  std::size_t maxBytes = 0;
  bool noMemory = false;
};

Destination& DestinationOf(j_compress_ptr cinfo) { return *reinterpret_cast<Destination*>(cinfo->dest); }

// Appends bytes to out; false (nothing appended) when it would pass the
// limit or the memory cannot be had.
bool Append(Destination& d, const JOCTET* bytes, std::size_t count) {
  if (count > d.maxBytes - std::min(d.maxBytes, d.out->size())) return false;
  try {
    d.out->insert(d.out->end(), bytes, bytes + count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void OutOfMemory(j_compress_ptr cinfo) {
  DestinationOf(cinfo).noMemory = true;
  cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
  (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
}

void InitDestination(j_compress_ptr cinfo) {
  Destination& d = DestinationOf(cinfo);
  d.work = static_cast<JOCTET*>(
      (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kWorkingBytes));
  d.pub.next_output_byte = d.work;
  d.pub.free_in_buffer = kWorkingBytes;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  Destination& d = DestinationOf(cinfo);
  if (!Append(d, d.work, kWorkingBytes)) OutOfMemory(cinfo);
  d.pub.next_output_byte = d.work;
  d.pub.free_in_buffer = kWorkingBytes;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  Destination& d = DestinationOf(cinfo);
  if (!Append(d, d.work, kWorkingBytes - d.pub.free_in_buffer)) OutOfMemory(cinfo);
}

// The library calls, in the order the format needs them. Holds nothing
// that a jump back would have to destroy.
JpegStatus Compress(jpeg_compress_struct& cinfo, ErrorManager& errors, Destination& destination,
                    const PixelView& picture, const JpegOptions& options) {
  if (setjmp(errors.jump) != 0) {
    const bool memory = destination.noMemory || cinfo.err->msg_code == JERR_OUT_OF_MEMORY;
    jpeg_destroy_compress(&cinfo);
    return memory ? JpegStatus::NoMemory : JpegStatus::Failed;
  }
  jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof(jpeg_compress_struct));
  destination.pub.init_destination = InitDestination;
  destination.pub.empty_output_buffer = EmptyOutputBuffer;
  destination.pub.term_destination = TermDestination;
  cinfo.dest = &destination.pub;
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.density.unit == 1) {
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(options.density.dotsPerInch);
    cinfo.Y_density = static_cast<UINT16>(options.density.dotsPerInch);
  }
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    // The library reads the rows and never writes them.
    JSAMPROW row = const_cast<JSAMPROW>(picture.Row(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return JpegStatus::Ok;
}

}  // namespace

JpegDensity DensityOf(const app::ImageSettings& settings) {
  switch (settings.unitId) {
    case app::ID_UNIT_INCHES: return {1, settings.dotsPerInch};
    case app::ID_UNIT_CENTIMETERS:
      return {1, static_cast<int>(std::lround(settings.dotsPerCm * 2.54))};
    default: return {};
  }
}

JpegStatus EncodeJpeg(const PixelView& picture, const JpegOptions& options, std::vector<std::uint8_t>& out,
                      std::size_t maxBytes) {
  out.clear();
  if (picture.width < 1 || picture.height < 1 || picture.data == nullptr) return JpegStatus::Failed;
  // Room for a typical compressed picture at once; the rest grows as needed.
  const std::size_t expected = std::min(
      maxBytes, static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) / 2 + 4096);
  try {
    out.reserve(expected);
  } catch (const std::bad_alloc&) {
    return JpegStatus::NoMemory;
  }

  jpeg_compress_struct cinfo{};
  ErrorManager errors{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpBack;
  errors.pub.output_message = Quiet;
  Destination destination;
  destination.out = &out;
  destination.maxBytes = maxBytes;
  const JpegStatus status = Compress(cinfo, errors, destination, picture, options);
  if (status != JpegStatus::Ok) out.clear();
  return status;
}

}  // namespace sonavue::output
