#include "output/ScreenImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "context/App.h"
#include "context/Boxes.h"
#include "context/FileChoosers.h"
#include "context/WholeFile.h"
#include "output/BmpFile.h"
#include "output/ImageResample.h"
#include "output/JpegEncoder.h"
#include "output/LevelLegend.h"
#include "output/SvgImage.h"
#include "platform/PngFile.h"
#include "plans/RenderMath.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Scope.h"
#include "render/SonogramGrid.h"
#include "render/ViewQueries.h"

namespace sonavue::output {
namespace {

using app::App;
using platform::DisplayBitmap;

constexpr const char* kBufferCaption = "KORV";
constexpr std::uint64_t kLargestBmpFile = 0xFFFFFFFFULL;  // its size field has 32 bits
// The BMP rows go to the file in blocks of about this many bytes.
constexpr std::size_t kBmpBlockBytes = std::size_t{4} << 20;

// A live scan's scrolling sonogram (not the analysis made of it afterwards).
bool IsScanSonogram(const App& app) { return app.frame.displayIsScan && app.params.IsScrollDisplay(); }

// The extension of a file name in lower case, with its dot.
std::string LowerExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

int AnalysedColumns(const App& app) { return std::max(0, app.render.view.columns); }

PixelView ViewOf(const DisplayBitmap& image) {
  return {image.Row(0), image.Stride(), image.Width(), image.Height()};
}

MutablePixelView MutableViewOf(DisplayBitmap& image) {
  return {image.Row(0), image.Stride(), image.Width(), image.Height()};
}

// One save once its source, size and file are settled.
struct SaveJob {
  ImageSource source;
  ImageSize output;
  bool jpeg = true;
  bool png = false;  // a PNG file, whatever the format chosen in the dialog
  bool svg = false;  // an SVG file, whatever the format chosen in the dialog
  bool timeOriginZero = false;
};

// The sonogram as the save starts from it: the Background, the plot area of
// the display image copied in (the window's view at its scroll offset, or
// every column), and the waveform strip lines of "Scroll 2". The margin and
// the time strip stay empty: the axes are drawn later at the output scale.
void ComposeSource(const App& app, const ImageSource& source, DisplayBitmap& picture) {
  const app::LayoutValues& v = app.layout;
  const render::DisplayView& view = app.render.view;
  const DisplayBitmap& image = app.display;
  picture.FillRect({0, 0, picture.Width(), picture.Height()}, app.colors[render::kBackgroundIndex]);
  const int mx = v.leftMargin;
  const int plotRows = std::min(source.height, image.Height()) - 2 * v.charHeight;
  const bool dual = render::IsDualView(app) && !source.whole;
  const int half = source.width / 2;
  if (IsScanSonogram(app)) {
    picture.Blit({0, 0}, image, {0, 0, source.width, source.height});
  } else if (plotRows > 0) {
    // A stereo picture holds the right channel in its upper half and the
    // left (shown for "Left", and on the left of "Dual") in its lower half.
    const int lower = view.stackedChannels ? image.Height() / 2 : 0;
    const int top = view.stackedChannels && app.params.channelsId == app::ID_CHANNELS_RIGHT ? 0 : lower;
    if (source.whole) {
      picture.Blit({mx, 0}, image, {mx, top, AnalysedColumns(app), plotRows});
    } else if (dual) {
      const int offset = view.horizontalOffset;
      picture.Blit({mx, 0}, image, {mx + offset, lower, half - mx, plotRows});
      picture.Blit({half + mx, 0}, image, {mx + offset, 0, source.width - half - mx, plotRows});
    } else {
      picture.Blit({mx, 0}, image, {mx + view.horizontalOffset, top, source.width - mx, plotRows});
    }
  }
  if (render::IsScroll2(app)) {
    const int strip = render::WaveformStripHeight(v.displayHeight, v.charHeight);
    std::vector<render::StripLine> lines;
    if (dual) {
      lines = render::WaveformStripLines(mx, half - 1, strip, {{0, 0}});
      const auto right = render::WaveformStripLines(mx, source.width - half - 1, strip, {{half, 0}});
      lines.insert(lines.end(), right.begin(), right.end());
    } else {
      lines = render::WaveformStripLines(mx, source.width - 1, strip, {{0, 0}});
    }
    for (const render::StripLine& line : lines) {
      picture.Line(line.from, line.to, app.colors[static_cast<std::size_t>(line.paletteIndex)]);
    }
  }
}

// The axes and the grid over the resampled sonogram, at scale k, with the
// chosen font and the frame closed.
void DrawSonogramOverlays(App& app, const SaveJob& job, DisplayBitmap& output, float k) {
  render::AxesOptions options;
  options.scale = k;
  options.wholeImage = job.source.whole;
  options.timeOriginZero = job.timeOriginZero;
  options.chosenFont = app::ImageFontFamily(app.image.fontId);
  options.closedFrame = true;
  render::AxesParams params = render::AxesParamsFor(app, options, output);
  // The output holds one channel picture (or the two halves of "Dual").
  params.channelBlocks = 1;
  // The whole sonogram starts at its first column, whatever the window shows.
  if (job.source.whole) params.horizontalScroll = 0;
  const platform::Rgb text = app.colors[render::kTextIndex];
  render::DrawAxes(output, params, text, app.colors[render::kBackgroundIndex]);
  if (app.frame.grid) render::DrawSonogramGrid(output, params, text);
}

// The JPEG file: compressed into memory, then written in one piece.
std::optional<ImageFailure> WriteJpeg(const App& app, const DisplayBitmap& output, app::WholeFileWriter& file,
                                      const ImageMemoryLimits& limits) {
  std::vector<std::uint8_t> jpeg;
  const JpegOptions options{app.image.quality, DensityOf(app.image)};
  const std::size_t limit = static_cast<std::size_t>(
      std::min<std::uint64_t>(limits.compressedImage, std::numeric_limits<std::size_t>::max()));
  switch (EncodeJpeg(ViewOf(output), options, jpeg, limit)) {
    case JpegStatus::Ok: break;
    case JpegStatus::NoMemory: return ImageFailure::NoBufferMemory;
    case JpegStatus::Failed: return ImageFailure::PixelsUnreadable;
  }
  file.Write(std::as_bytes(std::span(jpeg)));
  if (!file.Commit()) return ImageFailure::WriteFailed;
  return std::nullopt;
}

// The BMP file: the header, then the rows from the bottom up, written
// through a buffer of whole rows (the whole file when it is small).
std::optional<ImageFailure> WriteBmp(const DisplayBitmap& output, app::WholeFileWriter& file, const ImageMemoryLimits& limits) {
  const int w = output.Width();
  const int h = output.Height();
  if (BmpFileBytes(w, h) > kLargestBmpFile) return ImageFailure::NoBufferMemory;
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(w) + static_cast<std::size_t>(BmpRowPadding(w));
  const int rowsPerBlock = static_cast<int>(std::clamp<std::size_t>(kBmpBlockBytes / rowBytes, 1, static_cast<std::size_t>(h)));
  const std::size_t bufferBytes = kBmpHeaderBytes + rowBytes * static_cast<std::size_t>(rowsPerBlock);
  if (bufferBytes > limits.bitmapBuffer) return ImageFailure::NoBufferMemory;
  std::unique_ptr<std::uint8_t[]> buffer;
  try {
    buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bufferBytes);
  } catch (const std::bad_alloc&) {
    return ImageFailure::NoBufferMemory;
  }
  if (output.IsNull() || output.Stride() < 3 * static_cast<std::size_t>(w)) return ImageFailure::PixelsUnreadable;

  WriteBmpHeader(std::span<std::uint8_t, kBmpHeaderBytes>(buffer.get(), kBmpHeaderBytes), w, h);
  std::size_t filled = kBmpHeaderBytes;
  // Blocks of rows from the bottom of the picture up; each block is written
  // bottom row first.
  for (int bottom = h; bottom > 0; bottom -= rowsPerBlock) {
    const int rows = std::min(rowsPerBlock, bottom);
    const PixelView block{output.Row(bottom - rows), output.Stride(), w, rows};
    const std::size_t bytes = rowBytes * static_cast<std::size_t>(rows);
    WriteBmpPixels(block, std::span<std::uint8_t>(buffer.get() + filled, bytes));
    file.Write(std::as_bytes(std::span<const std::uint8_t>(buffer.get(), filled + bytes)));
    if (!file.Ok()) return ImageFailure::WriteFailed;
    filled = 0;
  }
  if (!file.Commit()) return ImageFailure::WriteFailed;
  return std::nullopt;
}

// The PNG file: a sonogram with the level legend at its right (when the
// settings ask for it), encoded into memory and written in one piece.
std::optional<ImageFailure> WritePng(const App& app, const DisplayBitmap& output, float k,
                                     app::WholeFileWriter& file) {
  DisplayBitmap legend;
  const bool withLegend = app.image.pngLegend && !app.params.IsScopeDisplay();
  if (withLegend && !AddLevelLegend(app, output, k, legend)) return ImageFailure::NoOutputMemory;
  std::vector<std::uint8_t> png;
  if (!platform::EncodePng(withLegend ? legend : output, png)) return ImageFailure::PixelsUnreadable;
  file.Write(std::as_bytes(std::span(png)));
  if (!file.Commit()) return ImageFailure::WriteFailed;
  return std::nullopt;
}

// The SVG file: the picture's pixels as one embedded PNG image, the
// recorded lines and text of its overlays and of the level legend (when the
// settings ask for it) as SVG elements; built in memory, written in one
// piece.
std::optional<ImageFailure> WriteSvg(const App& app, const DisplayBitmap& output, float k, SvgDrawing& drawing,
                                     app::WholeFileWriter& file) {
  DisplayBitmap legend;
  const bool withLegend = app.image.pngLegend && !app.params.IsScopeDisplay();
  if (withLegend && !AddLevelLegend(app, output, k, legend, &drawing)) return ImageFailure::NoOutputMemory;
  const DisplayBitmap& picture = withLegend ? legend : output;
  std::vector<std::uint8_t> png;
  if (!platform::EncodePng(picture, png)) return ImageFailure::PixelsUnreadable;
  const std::string document = drawing.Document(picture.Width(), picture.Height(), png);
  png = {};
  file.Write(std::as_bytes(std::span(document)));
  if (!file.Commit()) return ImageFailure::WriteFailed;
  return std::nullopt;
}

// Draws the picture at the output size and writes it into file.
std::optional<ImageFailure> RenderAndWrite(App& app, const SaveJob& job, app::WholeFileWriter& file,
                                           const ImageMemoryLimits& limits) {
  const int w = job.output.width;
  const int h = job.output.height;
  DisplayBitmap output;
  if (3ULL * static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > limits.outputImage ||
      !output.Allocate(w, h)) {
    return ImageFailure::NoOutputMemory;
  }
  output.BindColors(&app.colors);
  const float k = static_cast<float>(w) / static_cast<float>(job.source.width);
  // An SVG file keeps what is drawn over the pixels as vectors and text.
  SvgDrawing drawing;
  if (app.params.IsScopeDisplay()) {
    // The scope has no source picture: it is drawn whole at the new scale.
    output.FillRect({0, 0, w, h}, app.colors[render::kBackgroundIndex]);
    if (job.svg) output.BindRecorder(&drawing);
    render::DrawScopeImage(app, output, {k, app::ImageFontFamily(app.image.fontId), false});
  } else {
    DisplayBitmap picture;
    const int sw = job.source.width;
    const int sh = job.source.height;
    if (3ULL * static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh) > limits.sourceImage ||
        !picture.Allocate(sw, sh)) {
      return ImageFailure::NoSourceMemory;
    }
    ComposeSource(app, job.source, picture);
    ResampleBilinear(ViewOf(picture), MutableViewOf(output));
    picture.Release();
    if (job.svg) output.BindRecorder(&drawing);
    DrawSonogramOverlays(app, job, output, k);
  }
  output.BindRecorder(nullptr);

  if (job.svg) return WriteSvg(app, output, k, drawing, file);
  if (job.png) return WritePng(app, output, k, file);
  return job.jpeg ? WriteJpeg(app, output, file, limits) : WriteBmp(output, file, limits);
}

SaveResult Finish(App& app, std::optional<ImageFailure> failure) {
  if (!failure) return SaveResult::Saved;
  ReportImageFailure(app, *failure);
  return SaveResult::Failed;
}

}  // namespace

ImageSource SourceOf(const App& app, ImageCommand command) {
  const app::LayoutValues& v = app.layout;
  const ImageSource window{v.displayWidth, v.displayHeight, false};
  if (command == ImageCommand::CurrentWindow || app.params.IsScopeDisplay() || IsScanSonogram(app)) {
    return window;
  }
  return {AnalysedColumns(app) + v.leftMargin, v.displayHeight, true};
}

ImageSource BatchSourceOf(const App& app) {
  const app::LayoutValues& v = app.layout;
  if (app.params.IsScopeDisplay() || v.displayWidth - v.leftMargin >= AnalysedColumns(app)) {
    return {v.displayWidth, v.displayHeight, false};
  }
  return {AnalysedColumns(app) + v.leftMargin, v.displayHeight, true};
}

ImageSize BatchOutputSize(const ImageSource& source, double scale) {
  const auto side = [scale](int length) {
    return std::max(1, render::RoundHalfAway(static_cast<double>(length) * scale));
  };
  return {side(source.width), side(source.height)};
}

SaveResult SaveScreenImage(App& app, ImageCommand command, const AskImageSettings& ask,
                           const ImageMemoryLimits& limits) {
  if (app.display.IsNull() || app.frame.engineLoop || app.window == nullptr) return SaveResult::NothingToSave;
  SaveJob job;
  job.source = SourceOf(app, command);
  if (job.source.width < 1 || job.source.height < 1) return SaveResult::NothingToSave;
  if (!ask || !ask(app, job.source)) return SaveResult::Cancelled;

  job.jpeg = app.image.Jpeg();
  job.timeOriginZero = app.image.TimeOriginZero() && !app.params.IsScopeDisplay();
  const auto chosen = app::ChooseFile(app, job.jpeg ? app::FileChooser::SaveJpeg : app::FileChooser::SaveBitmap);
  if (!chosen) {
    app.window->Invalidate();
    return SaveResult::Cancelled;
  }
  job.png = LowerExtension(chosen->front()) == ".png";
  job.svg = LowerExtension(chosen->front()) == ".svg";
  app::WholeFileWriter file;
  if (!file.Open(chosen->front())) return Finish(app, ImageFailure::CannotOpen);

  // Never smaller than the source; the height keeps the source's shape.
  job.output.width = std::max(app.image.outputWidth, job.source.width);
  job.output.height = std::max<int>(
      1, static_cast<int>(static_cast<std::int64_t>(job.output.width) * job.source.height / job.source.width));
  return Finish(app, RenderAndWrite(app, job, file, limits));
}

SaveResult SaveBatchImage(App& app, const ImageMemoryLimits& limits) {
  if (app.display.IsNull() || app.window == nullptr) return SaveResult::NothingToSave;
  SaveJob job;
  job.source = BatchSourceOf(app);
  if (job.source.width < 1 || job.source.height < 1) return SaveResult::NothingToSave;
  job.output = BatchOutputSize(job.source, app.batch.scale > 0.0 ? app.batch.scale : 1.0);
  job.jpeg = app.image.Jpeg();
  job.png = app.batch.pngImages;
  // A batch's pictures all count their time from their own start.
  job.timeOriginZero = true;

  const std::string name =
      app.batch.current.stem().string() + (job.png ? ".png" : job.jpeg ? ".jpg" : ".bmp");
  app::WholeFileWriter file;
  if (!file.Open(app.batch.imageFolder / name)) return Finish(app, ImageFailure::CannotOpen);
  return Finish(app, RenderAndWrite(app, job, file, limits));
}

void ReportImageFailure(App& app, ImageFailure failure) {
  switch (failure) {
    case ImageFailure::CannotOpen: app::Warn(app, "Cannot Open File"); return;
    case ImageFailure::NoOutputMemory: app::Fail(app, "Not Enough Memory To Save Image"); return;
    case ImageFailure::NoSourceMemory: app::Fail(app, "Not Enough Memory For Bitmap"); return;
    case ImageFailure::NoBufferMemory:
      app.prompts.MessageBox("Not Enough Memory", kBufferCaption, platform::BoxIcon::Warning,
                             platform::BoxButtons::Ok);
      return;
    case ImageFailure::PixelsUnreadable: app::Fail(app, "Bitmap Error"); return;
    case ImageFailure::WriteFailed: app::Fail(app, "Error Writing File"); return;
  }
}

}  // namespace sonavue::output
