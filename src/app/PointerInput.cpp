#include "app/PointerInput.h"

#include <algorithm>
#include <cstdlib>

#include "app/CommandTable.h"
#include "app/ParameterCommands.h"
#include "audio/SampleScaling.h"
#include "audio/StopAllAudio.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "context/Menu.h"
#include "dialogs/MarkerDialog.h"
#include "engines/PointSpectrum.h"
#include "engines/SegmentZoom.h"
#include "plans/Pens.h"
#include "plans/PointerRules.h"
#include "render/Axes.h"
#include "render/FrequencyMarkers.h"
#include "render/Panels.h"
#include "render/Scope.h"
#include "render/ViewQueries.h"

namespace sonavue::app {
namespace {

using platform::Point;
using platform::Rect;
using platform::ScrollAction;
using platform::ScrollBarId;

// Pan steps of the horizontal bar, in columns.
constexpr int kPanLine = 4;
constexpr int kPanPage = 100;
// The gain bar: position = gain + 30 in 0 … 60; lines 1, pages 5.
constexpr int kGainOffset = 30;
constexpr int kGainPositions = 60;
constexpr int kGainPage = 5;
// A zoom or a point spectrum needs a visible span of at most this much.
constexpr double kLongestZoomSpanMs = 60000.0;
// The scope marker: a cross 24 pixels wide and high around the click.
constexpr int kMarkerHalf = 12;

bool IsAnalysisWay(const App& app) { return app.params.wayOfWorking == 1 || app.params.wayOfWorking == 2; }

// A finished Analyze File display is on show.
bool StaticPictureShown(const App& app) {
  return !app.frame.engineLoop && !app.frame.displayIsScan && !app.frame.fileName.empty() &&
         !app.display.IsNull();
}

// A scope picture that no scan draws any more: the end of a scan or a
// point spectrum.
bool FrozenScopeShown(const App& app) {
  return app.params.IsScopeDisplay() && !app.display.IsNull() && app.render.scope.hasData &&
         !app.frame.IsScanning();
}

render::PointerArea AreaOf(const App& app) {
  const LayoutValues& v = app.layout;
  return {v.displayWidth, v.displayHeight, v.charHeight, v.leftMargin, app.render.view.horizontalOffset,
          render::IsDualView(app), app.params.IsScopeDisplay()};
}

int Fold(const App& app, int x) { return render::FoldStereoX(x, app.layout.displayWidth, render::IsDualView(app)); }

// Inverts the window's columns between two x over the display height, in
// both halves of a "Dual" view.
void InvertBand(App& app, int from, int to) {
  if (from == to || app.window == nullptr) return;
  const int x = std::min(from, to);
  const int width = std::abs(to - from);
  platform::DisplayBitmap& surface = app.window->Surface();
  surface.Invert({x, 0, width, app.layout.displayHeight});
  if (render::IsDualView(app)) surface.Invert({x + app.layout.displayWidth / 2, 0, width, app.layout.displayHeight});
}

void InvertBox(App& app, const Rect& box) {
  if (box.w <= 0 || box.h <= 0 || app.window == nullptr) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  surface.Invert(box);
  if (render::IsDualView(app)) surface.Invert({box.x + app.layout.displayWidth / 2, box.y, box.w, box.h});
}

// The display area of the window drawn again from the display image: the
// picture, its time strip as scrolled, the grid and the markers.
void RestoreDisplayArea(App& app) {
  render::BlitDisplay(app);
  if (app.params.IsScrollDisplay() && app.analysis.valid && !app.frame.displayIsScan &&
      app.analysis.horizontalScroll > 0) {
    render::DrawAxes(app, app.window->Surface(), {});
  }
  render::DrawWindowOverlays(app);
}

// Box mode: the rectangle from the press point to the pointer, x within the
// display width (one half in "Dual"), y within the display height and, on
// "Scroll 2", below the waveform strip.
Rect BoxTo(const App& app, Point raw) {
  const LayoutValues& v = app.layout;
  const int right = render::IsDualView(app) ? v.displayWidth / 2 : v.displayWidth;
  const int top = render::IsScroll2(app) ? render::WaveformStripHeight(v.displayHeight, v.charHeight) : 0;
  const auto limitY = [&](int y) { return std::clamp(y, top, v.displayHeight); };
  const int x0 = std::clamp(app.pointer.boxStart.x, 0, right);
  const int x1 = std::clamp(Fold(app, raw.x), 0, right);
  const int y0 = limitY(app.pointer.boxStart.y);
  const int y1 = limitY(raw.y);
  return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0)};
}

void DrawScopeMarker(App& app, Point at, render::PenRole role) {
  if (app.window == nullptr) return;
  const render::Pen pen = render::PenFor(role);
  const platform::Rgb color = render::PenColor(pen, app.colors);
  platform::DisplayBitmap& surface = app.window->Surface();
  surface.Line({at.x - kMarkerHalf, at.y}, {at.x + kMarkerHalf - 1, at.y}, color, pen.width);
  surface.Line({at.x, at.y - kMarkerHalf}, {at.x, at.y + kMarkerHalf - 1}, color, pen.width);
}

void ScopeClick(App& app, Point raw) {
  PointerState& ps = app.pointer;
  const bool frozen = FrozenScopeShown(app);
  if (ps.scopeMarkerShown && !frozen) DrawScopeMarker(app, ps.scopeMarker, render::PenRole::WideBackground);
  const render::ScopeGeometry g = render::ComputeScopeGeometry(render::ScopeGeometryInputFor(app, 1.0F));
  ps.scopeMarkerShown = raw.y < g.baseline;
  if (ps.scopeMarkerShown) ps.scopeMarker = raw;
  if (frozen) render::DrawScope(app, &render::DrawScopeMarkers);
  if (ps.scopeMarkerShown) DrawScopeMarker(app, ps.scopeMarker, render::PenRole::WideFreqMark);
  app.window->Present();
}

// The sound the output plays follows a gain change at once: the samples
// already in its buffer are rescaled (a playback of the signal in memory).
void RescalePlayingSignal(App& app, int previousGainDb, int newGainDb) {
  if (app.output.user != OutputUser::Play || app.output.loopBuffer.empty()) return;
  audio::ScaleSamplesInPlace(app.output.loopBuffer, app.analysis.bitsPerSample / 8,
                             audio::GainChangeFactor(previousGainDb, newGainDb));
}

}  // namespace

void HandleMouseMove(App& app, Point raw) {
  app.lastCursorPoint = raw;
  if (app.window == nullptr) return;
  app.window->SetPointerShape(app.params.pointerShape);
  if (app.frame.analysisPending) return;
  const bool display = !app.display.IsNull() || app.frame.inputOpen || app.frame.scanFileRunning;
  if (!display) {
    app.lastCursorValid = false;
    return;
  }
  PointerState& ps = app.pointer;
  if (ps.overlaysStale) {
    render::DrawWindowOverlays(app);
    ps.overlaysStale = false;
  }
  const render::CursorPoint point = render::CursorPointFor(AreaOf(app), raw);
  app.lastCursorValid = point.valid;
  if (ps.mode == MouseMode::DragSelect) {
    InvertBand(app, ps.dragLastX, point.x);
    ps.dragLastX = point.x;
  } else if (ps.mode == MouseMode::Box) {
    RestoreDisplayArea(app);
    ps.boxShown = BoxTo(app, raw);
    InvertBox(app, ps.boxShown);
    render::DrawWindowOverlays(app);
  }
  render::UpdateReadouts(app, raw, point.valid);
  app.window->Present();
}

void HandleLeftButtonDown(App& app, Point raw) {
  if (app.window == nullptr) return;
  if (app.params.IsScopeDisplay()) {
    if (!app.display.IsNull()) ScopeClick(app, raw);
    return;
  }
  const FrameState& f = app.frame;
  if (f.analysisPending || f.engineLoop || app.display.IsNull() || f.playbackActive || f.inputOpen ||
      !IsAnalysisWay(app) || raw.y > app.layout.displayHeight) {
    return;
  }
  PointerState& ps = app.pointer;
  ps.mode = MouseMode::DragSelect;
  ps.dragStartX = Fold(app, raw.x);
  ps.dragLastX = ps.dragStartX;
  app.render.view.dragSelect = true;
  app.window->Invalidate();
}

void HandleLeftButtonUp(App& app, Point raw) {
  PointerState& ps = app.pointer;
  if (ps.mode != MouseMode::DragSelect || app.window == nullptr) return;
  ps.mode = MouseMode::None;
  app.render.view.dragSelect = false;
  app.window->Invalidate();

  const AnalysisRecord& a = app.analysis;
  const FrameState& f = app.frame;
  const LayoutValues& v = app.layout;
  const bool dual = render::IsDualView(app);
  if (!a.valid || app.display.IsNull() || f.analysisPending || f.engineLoop || f.playbackActive ||
      app.pointLog != nullptr) {
    return;
  }
  const int plotWidth = dual ? (v.displayWidth - 2 * v.leftMargin) / 2 : v.displayWidth - v.leftMargin;
  if (static_cast<double>(a.columnMs) * plotWidth > kLongestZoomSpanMs) return;
  const int release = Fold(app, raw.x);
  if (release != ps.dragStartX) {
    // A drag over the frequency labels starts at the first column shown.
    const int from = std::max(ps.dragStartX, v.leftMargin);
    const int to = std::max(release, v.leftMargin);
    if (from != to) engines::ZoomToSegment(app, from, to);
  } else if (!dual) {
    engines::ShowPointSpectrum(app, release);
  }
}

void HandleRightButtonDown(App& app, Point raw) {
  FrameState& f = app.frame;
  if (app.window == nullptr || f.calibration != CalibrationState::None) return;
  if (app.display.IsNull() || f.analysisPending || f.playbackActive || !app.params.IsScrollDisplay()) return;
  if (f.inputOpen && app.params.recordingId == ID_RECORDING_OFF && !f.spaceLatch) {
    // As the Space key: the live sonogram stops and shows what it captured.
    audio::StopAllAudio(app, false);
    f.spaceLatch = true;
  } else if (!f.inputOpen && IsAnalysisWay(app) && f.spaceLatch && !f.engineLoop) {
    SendCommand(app, IDM_SCAN_INPUT, kReasonSpaceResume);
  } else if (IsAnalysisWay(app) && !f.engineLoop && !f.IsScanning()) {
    PointerState& ps = app.pointer;
    ps.boxStart = {Fold(app, raw.x), std::max(0, raw.y)};
    ps.boxShown = {};
    ps.mode = MouseMode::Box;
    app.window->Invalidate();
  }
}

void HandleRightButtonUp(App& app, Point) {
  PointerState& ps = app.pointer;
  if (ps.mode != MouseMode::Box) return;
  ps.mode = MouseMode::None;
  ps.boxShown = {};
  if (app.window != nullptr) app.window->Invalidate();
}

void HandleHorizontalScroll(App& app, ScrollAction action, int position) {
  if (app.window == nullptr) return;
  AnalysisRecord& a = app.analysis;
  const FrameState& f = app.frame;
  const bool pannable = !app.display.IsNull() && a.valid && !f.engineLoop && !f.analysisPending &&
                        !f.playbackActive && !f.IsScanning() && !f.displayIsScan && app.params.IsScrollDisplay();
  const int width = a.dual ? app.layout.displayWidth / 2 : app.layout.displayWidth;
  const int range = std::max(0, a.leftMargin + static_cast<int>(a.columns) - width);
  if (!pannable || range <= 0) {
    // The bar's own step is undone: the picture did not move.
    app.window->SetScrollPosition(ScrollBarId::Horizontal, pannable ? 0 : a.horizontalScroll);
    return;
  }
  int offset = a.horizontalScroll;
  switch (action) {
    case ScrollAction::LineUp: offset -= kPanLine; break;
    case ScrollAction::LineDown: offset += kPanLine; break;
    case ScrollAction::PageUp: offset -= kPanPage; break;
    case ScrollAction::PageDown: offset += kPanPage; break;
    case ScrollAction::ThumbTrack:
    case ScrollAction::ThumbPosition:
      if (position == offset) return;
      offset = position;
      break;
    case ScrollAction::Top: offset = 0; break;
    case ScrollAction::Bottom: offset = range; break;
  }
  offset = std::clamp(offset, 0, range);
  app.window->SetScrollPosition(ScrollBarId::Horizontal, offset);
  a.horizontalScroll = offset;
  app.render.view.horizontalOffset = offset;
  render::BlitDisplay(app);
  render::DrawAxes(app, app.window->Surface(), {});
  // The grid and the markers follow at the next pointer move.
  app.pointer.overlaysStale = true;
  app.window->Present();
}

void HandleVerticalScroll(App& app, ScrollAction action, int position) {
  if (app.window == nullptr) return;
  CurrentParameters& p = app.params;
  const int current = p.gainDb + kGainOffset;
  int wanted = current;
  switch (action) {
    case ScrollAction::LineUp: wanted -= 1; break;
    case ScrollAction::LineDown: wanted += 1; break;
    case ScrollAction::PageUp: wanted -= kGainPage; break;
    case ScrollAction::PageDown: wanted += kGainPage; break;
    case ScrollAction::ThumbPosition: wanted = position; break;
    case ScrollAction::ThumbTrack: return;  // the gain follows the thumb once it is released
    case ScrollAction::Top:
    case ScrollAction::Bottom:
      app.window->SetScrollPosition(ScrollBarId::Vertical, current);
      return;
  }
  wanted = std::clamp(wanted, 0, kGainPositions);
  if (!ConfirmGainMove(app)) return;
  app.window->SetScrollPosition(ScrollBarId::Vertical, wanted);
  if (wanted == current) return;
  const int previous = p.gainDb;
  p.gainDb = wanted - kGainOffset;
  if (action == ScrollAction::ThumbPosition) RescalePlayingSignal(app, previous, p.gainDb);

  if (app.frame.playbackActive) return;
  if (app.frame.segmentSpectrumShown || FrozenScopeShown(app)) {
    render::DrawScope(app, &render::DrawScopeMarkers);
  } else if (IsAnalysisWay(app) && StaticPictureShown(app) && app.params.IsScrollDisplay()) {
    SendCommand(app, IDM_ANALYZE_FILE, kReasonReanalysis);
  }
}

void BlankReadouts(App& app) {
  app.lastCursorValid = false;
  if (app.window == nullptr || app.frame.analysisPending || app.pointer.mode == MouseMode::Box) return;
  const bool display = !app.display.IsNull() || app.frame.inputOpen || app.frame.scanFileRunning;
  if (!display) return;
  render::UpdateReadouts(app, app.lastCursorPoint, false);
}

void DrawPointerMarks(App& app) {
  const PointerState& ps = app.pointer;
  if (ps.mode == MouseMode::DragSelect) InvertBand(app, ps.dragStartX, ps.dragLastX);
  if (ps.mode == MouseMode::Box) InvertBox(app, ps.boxShown);
  if (ps.scopeMarkerShown && app.params.IsScopeDisplay() && !app.display.IsNull()) {
    DrawScopeMarker(app, ps.scopeMarker, render::PenRole::WideFreqMark);
  }
}

void FrequencyMarkersCommand(App& app) {
  if (!dialogs::RunFrequencyMarkersDialog(app)) return;
  SetMenuCheckMarks(app);
  // The window draws the picture again with the markers over it.
  app.window->Invalidate();
}

}  // namespace sonavue::app
