#include "context/Layout.h"

#include <algorithm>

#include "context/CommandIds.h"

namespace sonavue::app {

using platform::Rect;

Rect InitialWindowRect(platform::Size screen) {
  const int width = screen.w * 96 / 100;
  const int height = screen.w > screen.h ? screen.h * 9 / 10 : width * 3 / 4;
  const int left = (screen.w - width) / 2;
  const int top = std::max(0, (screen.h - height) / 2);
  return {left, top, width, height};
}

TextMeasure SystemTextMeasure() { return {platform::MeasureFont, platform::TextWidth}; }

int LayoutFontPixelHeight(int clientWidth) {
  // The font height the layout asks for is (W × 3) / −4 / 54 with truncating
  // division; its magnitude is the character height.
  const int requested = (clientWidth * 3) / -4 / 54;
  return std::max(1, -requested);
}

LayoutValues ComputeLayout(int clientWidth, int clientHeight, int captionHeight,
                           const TextMeasure& measure) {
  LayoutValues v;
  v.clientWidth = clientWidth;
  v.clientHeight = clientHeight;
  v.font = platform::FontSpec{"Arial", LayoutFontPixelHeight(clientWidth), 400};
  const platform::FontMetrics metrics = measure.font(v.font);
  v.charWidth = metrics.averageCharWidth;
  v.charHeight = metrics.height;

  v.buttonHeight = v.charHeight * 8 / 6;
  v.scrollThickness = captionHeight * 3 / 4;
  v.readoutHeight = 7 * v.charHeight;
  v.displayHeight = clientHeight - 7 * v.charHeight;
  v.displayWidth = clientWidth - v.scrollThickness;
  v.leftMargin = 10 * v.charWidth;

  v.bandTextWidth = measure.width(v.font, "Display Band (Hz)_:_999.9k to 999.9k") + 2 * v.charWidth;
  v.frequencyTextWidth =
      measure.width(v.font, "Frequency (Hz)__:__9999999 +/- 9999") + 2 * v.charWidth;
  v.bandLabelWidth = measure.width(v.font, "Display Band (Hz)_:_");
  v.frequencyLabelWidth = measure.width(v.font, "Frequency (Hz)___:__");
  v.columnGap = (clientWidth - v.bandTextWidth - v.frequencyTextWidth - 30 * v.charWidth) / 4;

  v.scopePlotHeight = v.displayHeight - 2 * v.charHeight;
  v.scopeTopMargin = v.scopePlotHeight / 8;
  v.scopePoints = std::max(0, (clientWidth - 22 * v.charWidth) / 2);
  return v;
}

ButtonPlacement PlaceButtons(const LayoutValues& v, bool scopeDisplay) {
  const int cw = v.charWidth;
  const int bh = v.buttonHeight;
  const int x = v.bandTextWidth + v.frequencyTextWidth + 3 * v.columnGap;
  const int y = v.displayHeight + v.scrollThickness +
                (v.clientHeight - v.displayHeight - v.scrollThickness) / 2 - bh * 3 / 2 + 1;
  const int playWidth = scopeDisplay ? 15 * cw : 10 * cw;
  const int playWindowWidth = scopeDisplay ? 15 * cw : 20 * cw;
  ButtonPlacement p;
  p.play = {x, y, playWidth, bh};
  p.playWindow = {x + playWidth, y, playWindowWidth, bh};
  p.grid = {x, y + bh, 10 * cw, bh};
  p.peakHold = {x + 10 * cw, y + bh, 20 * cw, bh};
  p.stop = {x, y + 2 * bh, 30 * cw, bh};
  return p;
}

PlayCaptions PlayButtonCaptions(const CurrentParameters& params) {
  if (params.recordingId == ID_RECORDING_ON) return {"S&AVE", "S&TOP SAVE"};
  if (params.IsScopeDisplay()) return {"&CAPTURE", "C&LEAR"};
  return {"&PLAY", "PLAY &WDW"};
}

void RunLayout(App& app, bool keepBuffers) {
  if (app.frame.engineLoop) {
    app.frame.layoutPending = true;
    return;
  }
  platform::NativeWindow& w = *app.window;
  const platform::Size client = w.ClientSize();
  app.layout = ComputeLayout(client.w, client.h, app.captionHeight, SystemTextMeasure());
  const LayoutValues& v = app.layout;

  const ButtonPlacement place = PlaceButtons(v, app.params.IsScopeDisplay());
  w.MoveButton(IDC_PLAY, place.play);
  w.MoveButton(IDC_PLAY_WINDOW, place.playWindow);
  w.MoveButton(IDC_GRID, place.grid);
  w.MoveButton(IDC_PEAK_HOLD, place.peakHold);
  w.MoveButton(IDC_STOP, place.stop);
  for (int id : {IDC_PLAY, IDC_PLAY_WINDOW, IDC_GRID, IDC_PEAK_HOLD, IDC_STOP}) {
    w.SetButtonFont(id, v.font);
  }
  const PlayCaptions captions = PlayButtonCaptions(app.params);
  w.SetButtonCaption(IDC_PLAY, captions.play);
  w.SetButtonCaption(IDC_PLAY_WINDOW, captions.playWindow);

  if (!keepBuffers) {
    app.peakHold.assign(static_cast<std::size_t>(v.scopePoints), 0);
    w.MoveScrollBar(platform::ScrollBarId::Horizontal,
                    {0, v.displayHeight, v.displayWidth, v.scrollThickness});
    w.MoveScrollBar(platform::ScrollBarId::Vertical,
                    {v.displayWidth, 0, v.scrollThickness, v.displayHeight});
  }
}

}  // namespace sonavue::app
