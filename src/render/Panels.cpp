#include "render/Panels.h"

#include <algorithm>
#include <array>

#include "context/App.h"
#include "plans/Pens.h"
#include "plans/ReadoutText.h"
#include "plans/RenderMath.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/ViewQueries.h"

namespace sonavue::render {

using platform::Point;
using platform::Rect;
using platform::Rgb;

namespace {

// Relative level (dB) = internal level − 90 without SPL calibration.
constexpr int kRelativeOffsetDb = 90;
// The "L-R Signal Delta" scope shows ±30 dB about its middle.
constexpr int kDeltaOffsetDb = 30;

// Text drawn opaque on the button face: the cell under it is filled first.
void DrawOpaqueText(platform::DisplayBitmap& surface, Point origin, const std::string& text,
                    const platform::FontSpec& font, int textHeight, Rgb color) {
  surface.FillRect({origin.x, origin.y, platform::TextWidth(font, text), textHeight}, kButtonFace);
  surface.Text(origin, text, font, color);
}

// A box filled with the button face, lit from the lower right: white right
// and bottom edges, black left and top edges.
void DrawSunkenBox(platform::DisplayBitmap& surface, const Rect& box) {
  if (box.w <= 0 || box.h <= 0) return;
  surface.FillRect(box, kButtonFace);
  const int right = box.x + box.w - 1;
  const int bottom = box.y + box.h - 1;
  surface.Line({right, box.y}, {right, bottom}, kWhite);
  surface.Line({box.x, bottom}, {right, bottom}, kWhite);
  surface.Line({box.x, box.y}, {box.x, bottom}, kBlack);
  surface.Line({box.x, box.y}, {right, box.y}, kBlack);
}

// The pointer on a sonogram: the display column after the stereo fold,
// whether it lies in the right half of a "Dual" view, and the channel shown
// there.
struct SonogramPoint {
  int x = 0;
  bool rightHalf = false;
  bool rightChannel = false;
};

SonogramPoint FoldPointer(const app::App& app, Point pointer) {
  SonogramPoint s;
  s.x = std::max(0, pointer.x);
  const int width = app.layout.displayWidth;
  if (IsDualView(app)) {
    if (s.x >= width) {
      s.x = 0;
    } else if (s.x >= width / 2) {
      s.x -= width / 2;
      s.rightHalf = true;
    }
    s.rightChannel = s.rightHalf;
  } else {
    s.rightChannel = app.render.view.channelCount == 2 && app.params.channelsId == app::ID_CHANNELS_RIGHT;
  }
  return s;
}

double ColumnMs(const app::App& app) {
  const float measured = app.render.view.measuredColumnMs;
  return measured > 0.0F ? measured : app.params.timePerColumnMs;
}

DisplayChannels ChannelsOf(const app::App& app) {
  switch (app.params.channelsId) {
    case app::ID_CHANNELS_LEFT: return DisplayChannels::Left;
    case app::ID_CHANNELS_RIGHT: return DisplayChannels::Right;
    default: return DisplayChannels::Dual;
  }
}

ReadoutScale ScaleOf(const app::App& app) {
  if (app.params.frequencyScaleId == app::ID_SCALE_LOG) return ReadoutScale::Log;
  if (app.params.frequencyScaleId == app::ID_SCALE_OCT3) return ReadoutScale::ThirdOctave;
  return ReadoutScale::Linear;
}

void SonogramReadouts(const app::App& app, Point pointer, bool scanning, ReadoutTexts& r) {
  const app::LayoutValues& v = app.layout;
  const DisplayView& view = app.render.view;
  const app::CurrentParameters& params = app.params;
  const SonogramPoint s = FoldPointer(app, pointer);
  const int column = s.x + view.horizontalOffset;

  const double columnMs = ColumnMs(app);
  const double divisor = TimeDivisor(app);
  r.timeMs = PointerTimeMs(column, v.leftMargin, columnMs, view.segmentStartMs, view.timeOriginMs,
                           divisor);
  r.time = scanning ? ElapsedText(view.elapsedMs)
                    : TimeReadoutText(r.timeMs, columnMs, divisor, view.dragSelect);

  const int plotBottom = v.displayHeight - 2 * v.charHeight;
  const int strip = IsScroll2(app) ? WaveformStripHeight(v.displayHeight, v.charHeight) : 0;
  const FrequencyReadout f = FrequencyAtRow(
      {params.lowBandHz, params.highBandHz, Multiplier(app), ScaleOf(app), plotBottom,
       plotBottom - strip, params.resolutionHz, view.dragSelect, params.cursorFrequencyOffsetHz},
      pointer.y);
  r.frequency = f.text;
  r.frequencyHz = f.frequencyHz;

  const platform::DisplayBitmap& image = app.display;
  double level = params.sonogramLevelMin;
  if (!image.IsNull()) {
    int imageX = std::max(0, pointer.x) + view.horizontalOffset;
    int imageY = pointer.y;
    if (view.stackedChannels) {
      imageX = column;
      if (!s.rightChannel) imageY += image.Height() / 2;
    }
    const int index = NearestPaletteIndex(app.colors, image.Pixel(imageX, imageY));
    level = LevelForPaletteIndex(index, params.sonogramLevelMin, params.sonogramLevelMax);
  }
  r.level = LevelText(level - (params.splCalibrated ? 0 : kRelativeOffsetDb));

  if (params.splCalibrated) {
    const bool right = s.rightChannel && view.channelCount == 2;
    const std::vector<float>& trace = right ? view.levelTraceRight : view.levelTraceLeft;
    const int index = column - v.leftMargin;
    const double total = index >= 0 && index < static_cast<int>(trace.size())
                             ? trace[static_cast<std::size_t>(index)]
                             : params.sonogramLevelMin;
    r.totalSpl = TotalSplText(total);
  }
}

void ScopeReadouts(const app::App& app, Point pointer, bool scanning, ReadoutTexts& r) {
  const app::LayoutValues& v = app.layout;
  const DisplayView& view = app.render.view;
  const app::CurrentParameters& params = app.params;
  r.timeMs = view.scopeTimeMs;
  r.time = scanning ? ElapsedText(view.elapsedMs) : Format("%-4.0f", view.scopeTimeMs);

  const ScopeFrequencyInput frequency{.width = v.displayWidth,
                                      .points = v.scopePoints,
                                      .charWidth = v.charWidth,
                                      .lowHz = params.lowBandHz,
                                      .highHz = params.highBandHz,
                                      .multiplier = Multiplier(app),
                                      .logarithmic = ScaleOf(app) != ReadoutScale::Linear};
  r.frequencyHz = ScopeFrequencyAt(frequency, pointer.x) + params.cursorFrequencyOffsetHz;
  r.frequency = Format("%-4i", r.frequencyHz);

  const double pixelsPerUnit = (v.displayHeight - 4 * v.charHeight) / 240.0;
  const double level = ScopeLevelAt(pointer.y, v.displayHeight, v.charHeight, pixelsPerUnit,
                                    params.scopeLevelMin, params.scopeLevelMax);
  int offset = params.splCalibrated ? 0 : kRelativeOffsetDb;
  if (params.plotTypeId == app::ID_PLOT_DELTA) offset = kDeltaOffsetDb;
  r.level = LevelText(level - offset);
  if (params.splCalibrated) r.totalSpl = TotalSplText(view.frameTotalLevelDb);
}

}  // namespace

PanelLayoutInput PanelLayoutInputFor(const app::LayoutValues& v) {
  return {.clientHeight = v.clientHeight,
          .displayHeight = v.displayHeight,
          .scrollThickness = v.scrollThickness,
          .charHeight = v.charHeight,
          .charWidth = v.charWidth,
          .columnGap = v.columnGap,
          .bandTextWidth = v.bandTextWidth,
          .frequencyTextWidth = v.frequencyTextWidth,
          .bandLabelWidth = v.bandLabelWidth,
          .frequencyLabelWidth = v.frequencyLabelWidth};
}

PanelLayout ComputePanelLayout(const app::LayoutValues& layout) {
  return ComputePanelLayout(PanelLayoutInputFor(layout));
}

ReadoutTexts ComputeReadouts(const app::App& app, Point pointer, bool valid) {
  ReadoutTexts r;
  const bool scanning = app.frame.IsScanning();
  const bool spl = app.params.splCalibrated;
  if (!valid) {
    r.time = scanning ? ElapsedText(app.render.view.elapsedMs) : kLongPlaceholder;
    r.frequency = kLongPlaceholder;
    r.level = kShortPlaceholder;
    if (spl) r.totalSpl = kShortPlaceholder;
    return r;
  }
  if (app.params.IsScopeDisplay()) {
    ScopeReadouts(app, pointer, scanning, r);
  } else {
    SonogramReadouts(app, pointer, scanning, r);
  }
  r.store = pointer.x != 0 && pointer.y != 0;
  return r;
}

void DrawInfoPanel(app::App& app, int analysisRateHz) {
  if (app.window == nullptr) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  const PanelLayout panel = ComputePanelLayout(app.layout);
  const platform::FontSpec& font = app.layout.font;
  const int m = Multiplier(app);
  DrawSunkenBox(surface, panel.info);
  const std::array<const char*, 4> labels{kBandLabel, kChannelsLabel, kRateLabel, kSizeLabel};
  const std::array<std::string, 4> values{
      BandText(app.params.lowBandHz, app.params.highBandHz, m),
      ChannelsText(app.render.view.channelCount, ChannelsOf(app)),
      SampleRateText(analysisRateHz, m), SampleSizeText(app.render.view.sourceBits)};
  const std::vector<Point> rows = InfoRowOrigins(panel);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    DrawOpaqueText(surface, rows[i], labels[i], font, panel.textHeight, kBlack);
    DrawOpaqueText(surface, {rows[i].x + panel.infoValueOffset, rows[i].y}, values[i], font,
                   panel.textHeight, kBlack);
  }
  app.window->Present();
}

void DrawReadoutLabels(app::App& app) {
  if (app.window == nullptr) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  const PanelLayout panel = ComputePanelLayout(app.layout);
  const platform::FontSpec& font = app.layout.font;
  const bool spl = app.params.splCalibrated;
  const bool recording = app.render.view.recording;
  DrawSunkenBox(surface, panel.readout);
  const std::vector<Point> rows = ReadoutRowOrigins(panel, spl);
  const std::array<const char*, 4> labels{TimeRowLabel(recording, app.frame.IsScanning()), kFrequencyLabel,
                                          kLevelLabel, kTotalSplLabel};
  const std::array<const char*, 4> placeholders{kLongPlaceholder, kLongPlaceholder,
                                                kShortPlaceholder, kShortPlaceholder};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    DrawOpaqueText(surface, rows[i], labels[i], font, panel.textHeight,
                   i == 0 && recording ? kRecordingRed : kBlack);
    DrawOpaqueText(surface, {rows[i].x + panel.readoutValueOffset, rows[i].y}, placeholders[i],
                   font, panel.textHeight, kBlack);
  }
  app.window->Present();
}

void UpdateReadouts(app::App& app, Point pointer, bool valid) {
  const ReadoutTexts texts = ComputeReadouts(app, pointer, valid);
  if (texts.store) app.render.readout = {true, texts.timeMs, texts.frequencyHz};
  if (app.window == nullptr) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  const PanelLayout panel = ComputePanelLayout(app.layout);
  const std::vector<Point> rows = ReadoutRowOrigins(panel, app.params.splCalibrated);
  const std::array<const std::string*, 4> values{&texts.time, &texts.frequency, &texts.level,
                                                 &texts.totalSpl};
  // Each value cell is cleared up to the box's inner right edge, so a shorter
  // value leaves nothing of a longer one behind.
  const int right = panel.readout.x + panel.readout.w - 2;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Point at{rows[i].x + panel.readoutValueOffset, rows[i].y};
    surface.FillRect({at.x, at.y, std::max(0, right - at.x), panel.textHeight}, kButtonFace);
    surface.Text(at, *values[i], app.layout.font, kBlack);
  }
  app.window->Present();
}

void BlitDisplay(app::App& app) {
  if (app.window == nullptr) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  const app::LayoutValues& v = app.layout;
  const Rect area{0, 0, v.displayWidth, v.displayHeight};
  const Rgb background = app.colors[kBackgroundIndex];
  const platform::DisplayBitmap& image = app.display;
  if (image.IsNull()) {
    surface.FillRect(area, background);
    app.window->Present();
    return;
  }
  if (app.params.IsScopeDisplay()) {
    surface.Blit({0, 0}, image, area);
    app.window->Present();
    return;
  }

  const DisplayView& view = app.render.view;
  const int mx = v.leftMargin;
  const int offset = view.horizontalOffset;
  const int channelHeight = view.stackedChannels ? image.Height() / 2 : image.Height();
  // Parts of the area that the picture does not reach show the Background.
  if (image.Width() - offset < v.displayWidth || channelHeight < v.displayHeight) {
    surface.FillRect(area, background);
  }
  const bool dual = IsDualView(app);
  const int half = v.displayWidth / 2;
  if (dual) surface.FillRect({half, 0, 1, v.displayHeight}, background);

  // One channel's picture into [x, x + width): margin unscrolled, the plot
  // and its time strip from the scroll offset on.
  const auto copyChannel = [&](int x, int width, int sourceTop) {
    const int height = std::min(v.displayHeight, channelHeight);
    surface.Blit({x, 0}, image, {0, sourceTop, std::min(mx, width), height});
    if (width > mx) surface.Blit({x + mx, 0}, image, {mx + offset, sourceTop, width - mx, height});
  };
  if (view.stackedChannels) {
    const int lower = image.Height() / 2;
    if (dual) {
      copyChannel(0, half, lower);
      copyChannel(half, v.displayWidth - half, 0);
    } else {
      const bool right = app.params.channelsId == app::ID_CHANNELS_RIGHT;
      copyChannel(0, v.displayWidth, right ? 0 : lower);
    }
  } else {
    copyChannel(0, v.displayWidth, 0);
  }
  if (IsScroll2(app) && app.frame.IsScanning()) DrawWaveformStripLines(app, surface, false);
  app.window->Present();
}

void RedrawWindow(app::App& app) { BlitDisplay(app); }

void RedrawWithOverlays(app::App& app, const std::function<void(app::App&)>& overlays) {
  BlitDisplay(app);
  const bool markers = app.params.frequencyMarker1Hz > 0 || app.params.frequencyMarker2Hz > 0;
  if (overlays && !app.display.IsNull() && !app.frame.analysisPending &&
      (app.frame.grid || markers)) {
    overlays(app);
  }
}

void ClearDisplay(app::App& app) {
  if (app.window == nullptr) return;
  app.window->Surface().FillRect({0, 0, app.layout.displayWidth, app.layout.displayHeight},
                                 app.colors[kBackgroundIndex]);
  app.window->Present();
}

}  // namespace sonavue::render
