#include "engines/PlayFollow.h"

#include <algorithm>
#include <cmath>

#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "context/Layout.h"
#include "engines/AnalyzeFile.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/ViewQueries.h"

namespace sonavue::engines {
namespace {

using app::App;
using audio::PlayKind;

// The follow loop sleeps this long when no message waits: PLAY reveals a
// column at a time, PLAY WDW moves a cursor of one pixel.
constexpr std::uint32_t kPlaySleepMs = 10;
constexpr std::uint32_t kPlayWindowSleepMs = 20;
// Columns of the cursor strip: the cursor line, and the window columns saved
// under the cursor of the left (or only) half and of the right half.
constexpr int kCursorLineColumn = 0;
constexpr int kSaveUnderColumns[2] = {4, 5};

// Where the picture's columns go on the window: one half, or two for
// "Dual", each with its own source rows in the display image.
struct PlayGeometry {
  int margin = 0;     // Mx
  int plotRows = 0;   // rows above the time strip
  int visible = 0;    // columns shown in each half
  int columns = 0;    // analysed columns
  int halves = 1;
  int halfX[2] = {0, 0};      // window x where each half begins
  int sourceTop[2] = {0, 0};  // image row where each half's channel picture begins
};

PlayGeometry GeometryFor(const App& app) {
  const app::LayoutValues& v = app.layout;
  const render::DisplayView& view = app.render.view;
  const platform::DisplayBitmap& image = app.display;
  PlayGeometry g;
  const bool dual = render::IsDualView(app);
  const int halfWidth = dual ? v.displayWidth / 2 : v.displayWidth;
  g.margin = v.leftMargin;
  g.visible = std::max(0, halfWidth - g.margin);
  const int channelHeight = view.stackedChannels ? image.Height() / 2 : image.Height();
  g.plotRows = std::max(0, std::min(v.displayHeight, channelHeight) - 2 * v.charHeight);
  g.columns = static_cast<int>(std::clamp<std::int64_t>(app.analysis.columns, 0, image.Width()));
  if (view.stackedChannels) {
    // Stacked pictures hold the left channel in the lower half.
    const int lower = image.Height() / 2;
    if (dual) {
      g.halves = 2;
      g.halfX[1] = halfWidth;
      g.sourceTop[0] = lower;
      g.sourceTop[1] = 0;
    } else {
      g.sourceTop[0] = app.params.channelsId == app::ID_CHANNELS_RIGHT ? 0 : lower;
    }
  }
  return g;
}

// PLAY WDW: saves the window's columns at the cursor into the cursor
// strip, then draws the cursor line over them (in both halves of "Dual").
void SaveAndDrawCursorColumns(App& app, const PlayGeometry& g) {
  const int x = app.render.play.cursorX;
  if (x < 0) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  platform::DisplayBitmap& strip = app.render.cursorStrip;
  const int rows = std::min(g.plotRows, strip.Height());
  for (int h = 0; h < g.halves; ++h) {
    strip.Blit({kSaveUnderColumns[h], 0}, surface, {g.halfX[h] + x, 0, 1, rows});
    surface.Blit({g.halfX[h] + x, 0}, strip, {kCursorLineColumn, 0, 1, rows});
  }
}

// The follow loop's picture: the reveal and the scrolled view of PLAY, the
// cursor of PLAY WDW.
class PictureFollower {
 public:
  PictureFollower(App& app, PlayKind kind)
      : app_(app),
        kind_(kind),
        geometry_(GeometryFor(app)),
        follows_(app.params.IsScrollDisplay() && !app.display.IsNull()) {
    render::PlayMarks& marks = app_.render.play;
    marks = render::PlayMarks{};
    marks.active = follows_;
    marks.cursor = kind == PlayKind::Window;
  }

  // PLAY: the display area cleared, the time axis from 0, the view and its
  // scroll bar back at the start.
  void Begin() {
    if (!follows_ || kind_ != PlayKind::Whole) return;
    SetOffset(0);
    render::ClearDisplay(app_);
    render::DrawAxes(app_, app_.window->Surface(), {});
    app_.window->Present();
  }

  // Brings the picture to the sound elapsedMs after the start.
  void Show(std::uint32_t elapsedMs) {
    if (!follows_ || geometry_.columns <= 0) return;
    const double columnMs = std::max(0.001, static_cast<double>(app_.analysis.columnMs));
    const auto step = static_cast<std::int64_t>(elapsedMs / columnMs);
    bool changed = false;
    if (kind_ == PlayKind::Whole) {
      const int column = static_cast<int>(std::min<std::int64_t>(step, geometry_.columns - 1));
      changed = ShowColumn(column);
    } else {
      changed = MoveCursor(geometry_.margin + static_cast<int>(std::min<std::int64_t>(step, geometry_.visible)));
    }
    if (!changed) return;
    render::UpdateReadouts(app_, app_.lastCursorPoint, app_.lastCursorValid);
    app_.window->Present();
  }

  // PLAY WDW: the pixels under the cursor go back.
  void End() {
    if (follows_ && kind_ == PlayKind::Window) RestoreUnderCursor();
    app_.render.play = render::PlayMarks{};
  }

 private:
  void SetOffset(int offset) {
    app_.analysis.horizontalScroll = offset;
    app_.render.view.horizontalOffset = offset;
    app_.window->SetScrollPosition(platform::ScrollBarId::Horizontal, offset);
  }

  // Copies columns [first, last] of the picture (from the view's offset)
  // to where the window shows them, in each half.
  void CopyColumns(int first, int last) {
    if (last < first) return;
    platform::DisplayBitmap& surface = app_.window->Surface();
    const int offset = app_.render.view.horizontalOffset;
    for (int h = 0; h < geometry_.halves; ++h) {
      surface.Blit({geometry_.halfX[h] + geometry_.margin + first - offset, 0}, app_.display,
                   {geometry_.margin + first, geometry_.sourceTop[h], last - first + 1, geometry_.plotRows});
    }
  }

  // PLAY: the window fills with the columns heard so far; past the right
  // edge the view scrolls so that the newest column is the last one shown.
  bool ShowColumn(int column) {
    render::PlayMarks& marks = app_.render.play;
    if (column < geometry_.visible) {
      if (column <= marks.revealed) return false;
      CopyColumns(marks.revealed + 1, column);
      marks.revealed = column;
      return true;
    }
    const int offset = column - geometry_.visible + 1;
    if (offset == app_.render.view.horizontalOffset && marks.revealed >= geometry_.visible - 1) return false;
    marks.revealed = geometry_.visible - 1;
    SetOffset(offset);
    CopyColumns(offset, column);
    render::DrawAxes(app_, app_.window->Surface(), {});
    return true;
  }

  // PLAY WDW: the cursor column moves to x while it lies inside the
  // (left half of the) display area.
  bool MoveCursor(int x) {
    render::PlayMarks& marks = app_.render.play;
    if (x == marks.cursorX || x >= geometry_.margin + geometry_.visible) return false;
    RestoreUnderCursor();
    marks.cursorX = x;
    SaveAndDrawCursor();
    return true;
  }

  void SaveAndDrawCursor() { SaveAndDrawCursorColumns(app_, geometry_); }

  void RestoreUnderCursor() {
    const int x = app_.render.play.cursorX;
    if (x < 0) return;
    platform::DisplayBitmap& surface = app_.window->Surface();
    const platform::DisplayBitmap& strip = app_.render.cursorStrip;
    const int rows = std::min(geometry_.plotRows, strip.Height());
    for (int h = 0; h < geometry_.halves; ++h) {
      surface.Blit({geometry_.halfX[h] + x, 0}, strip, {kSaveUnderColumns[h], 0, 1, rows});
    }
    app_.render.play.cursorX = -1;
  }

  App& app_;
  PlayKind kind_;
  PlayGeometry geometry_;
  bool follows_;
};

// After the sound: the window repainted whole (panels, picture, axes, grid,
// markers, readouts); a layout change asked for meanwhile analyses the
// file again in the new size.
void FinishPlay(App& app) {
  app.window->Invalidate();
  app.window->UpdateNow();
  if (app.frame.layoutPending) {
    app.frame.layoutPending = false;
    app::RunLayout(app, false);
    AnalyzeFileRequest(app, kAnalyzeAgain, nullptr);
  }
}

}  // namespace

void PlayCommand(App& app, PlayKind kind) {
  if (app.window == nullptr || app.frame.engineLoop || app.frame.running || app.frame.IsScanning() ||
      app.frame.playbackActive || app.output.device) {
    return;
  }
  // Only the static picture of an analysis holds the signal it shows.
  const app::AnalysisRecord& a = app.analysis;
  if (!a.valid || app.frame.displayIsScan || app.display.IsNull() ||
      a.signal.size() <= audio::kWorkingHeaderBytes || a.dataLength == 0) {
    return;
  }

  audio::Player player;
  if (!audio::OpenPlayback(app, kind, player)) return;
  audio::MarkPlayerBusy(app, kind);
  PictureFollower follower(app, kind);
  follower.Begin();
  if (!audio::WritePlayback(app, player)) {
    follower.End();
    audio::EndPlayback(app);
    FinishPlay(app);
    return;
  }

  const std::uint32_t sleepMs = kind == PlayKind::Whole ? kPlaySleepMs : kPlayWindowSleepMs;
  app.frame.engineLoop = true;
  while (audio::PlaybackPlaying(app)) {
    if (app.pump.DispatchOne()) continue;
    app.clock.SleepMs(sleepMs);
    const std::uint32_t elapsedMs = audio::ServicePlayback(app, player);
    if (!audio::PlaybackPlaying(app)) break;
    follower.Show(elapsedMs);
  }
  app.frame.engineLoop = false;
  follower.End();
  audio::EndPlayback(app);
  FinishPlay(app);
  audio::ReportDeviceFailure(app);
}

void RepaintPlayback(App& app) {
  const render::PlayMarks& marks = app.render.play;
  if (!marks.active || app.window == nullptr || app.display.IsNull()) return;
  const PlayGeometry g = GeometryFor(app);
  if (marks.cursor) {
    SaveAndDrawCursorColumns(app, g);
    return;
  }
  if (app.render.view.horizontalOffset > 0) return;  // the scrolled view shows whole columns
  platform::DisplayBitmap& surface = app.window->Surface();
  const platform::Rgb background = app.colors[render::kBackgroundIndex];
  const int first = marks.revealed + 1;
  for (int h = 0; h < g.halves; ++h) {
    surface.FillRect({g.halfX[h] + g.margin + first, 0, g.visible - first, g.plotRows}, background);
  }
  render::DrawAxes(app, surface, {});
}

}  // namespace sonavue::engines
