#include "app/MainWindow.h"

#include <QApplication>

#include "context/Boxes.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "app/CommandLine.h"
#include "app/CommandTable.h"
#include "app/PointerInput.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "context/Settings.h"
#include "context/WorkingFiles.h"
#include "audio/Capture.h"
#include "audio/Playback.h"
#include "audio/StopAllAudio.h"
#include "calibration/CalibrationSound.h"
#include "engines/PointSpectrum.h"
#include "engines/PlayFollow.h"
#include "engines/ScanFile.h"
#include "render/Axes.h"
#include "render/FrequencyMarkers.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/Scope.h"
#include "render/SonogramGrid.h"
#include "platform/KeyCodes.h"

namespace sonavue::app {

using platform::NativeWindow;
using platform::Rect;
using platform::Rgb;

namespace {

constexpr const char* kRunningCaption = "Sonavue 16";
constexpr int kBackgroundIndex = 4;

// System colours of the panels.
constexpr Rgb kInactiveCaptionColor{191, 205, 219};
constexpr Rgb kButtonFaceColor{240, 240, 240};

bool AnalysisShown(const App& app);
void AnalyseAfterPendingResize(App& app);

// Forwards what the window reports to the handlers of this file and of the
// owning parts.
class WindowProcedure final : public platform::WindowEvents {
 public:
  explicit WindowProcedure(App& app) : app_(app) {}

  void OnSize(platform::SizeKind kind, platform::Size) override {
    if (kind == platform::SizeKind::Minimized) {
      app_.frame.wasMinimized = true;
      return;
    }
    HandleSize(app_);
  }
  void OnMove() override { HandleMove(app_); }
  void OnPaint() override { PaintWindow(app_); }
  void OnClose() override { HandleClose(app_); }
  void OnKeyDown(int virtualKey) override { HandleKeyDown(app_, virtualKey); }
  void OnCommand(int id) override { SendCommand(app_, id, kReasonUser); }
  void OnMouse(const platform::MouseEvent& event) override {
    switch (event.action) {
      case platform::MouseAction::Move:
        // The first move after a frame drag analyses the shown file again.
        if (app_.frame.resizePending && AnalysisShown(app_)) {
          AnalyseAfterPendingResize(app_);
          return;
        }
        HandleMouseMove(app_, event.position);
        break;
      case platform::MouseAction::LeftDown:
        // While the point log is open, a left click logs the point.
        if (app_.pointLog) app_.pointLog->LogPoint(event.position);
        HandleLeftButtonDown(app_, event.position);
        break;
      case platform::MouseAction::LeftUp: HandleLeftButtonUp(app_, event.position); break;
      case platform::MouseAction::RightDown: HandleRightButtonDown(app_, event.position); break;
      case platform::MouseAction::RightUp: HandleRightButtonUp(app_, event.position); break;
    }
  }
  void OnNonClientMouseMove() override { HandleNonClientMouseMove(app_); }
  void OnTimer(int timerId) override { HandleTimer(app_, timerId); }
  void OnScroll(platform::ScrollBarId bar, platform::ScrollAction action, int position) override {
    if (bar == platform::ScrollBarId::Horizontal) {
      HandleHorizontalScroll(app_, action, position);
    } else {
      HandleVerticalScroll(app_, action, position);
    }
  }

 private:
  App& app_;
};

// A finished Analyze File display is on screen.
bool AnalysisShown(const App& app) {
  return !app.frame.engineLoop && !app.frame.displayIsScan && !app.frame.fileName.empty();
}

// The resize that waited for the end of a frame drag analyses the shown
// file again, once.
void AnalyseAfterPendingResize(App& app) {
  if (app.frame.resizePending && AnalysisShown(app)) {
    app.frame.resizePending = false;
    app.window->StopTimer(kResizeSettleTimerId);
    SendCommand(app, IDM_ANALYZE_FILE, kReasonReanalysis);
  }
}

// The creation step of the main window.
void CreateWindowContents(App& app) {
  NativeWindow& w = *app.window;
  if (app.frame.created) return;
  w.SetCaption(kCaption);
  app.calibrationSoundPath = app.environment.executableFolder / "cal.wav";

  const WorkingFolderChoice working = ChooseWorkingFolder(WorkingFolderCandidates(app.environment));
  app.workingFolder = working.folder;
  app.workingFolderIsUnique = working.madeUnique;
  if (!working.accepted) {
    app.prompts.MessageBox(kNoWorkingFolderText, kCaption, platform::BoxIcon::Warning,
                           platform::BoxButtons::Ok);
    app.frame.fatalStart = true;
  }

  app.screen = w.ScreenSize();
  app.captionHeight = w.CaptionHeight();
  w.SetMenu(BuildMainMenu());

  const platform::FontMetrics defaultFont = platform::MeasureFont({"Arial", 13, 400});
  const int cw = defaultFont.averageCharWidth;
  const int buttonHeight = defaultFont.height * 4 / 3;
  w.SetWindowRect(InitialWindowRect(app.screen));

  w.EnableScrollBar(platform::ScrollBarId::Horizontal, true);
  w.EnableScrollBar(platform::ScrollBarId::Vertical, true);
  w.MoveScrollBar(platform::ScrollBarId::Horizontal, {0, 0, 0, 2 * cw});
  w.MoveScrollBar(platform::ScrollBarId::Vertical, {0, 0, 2 * cw, 0});
  w.CreateButton(IDC_PLAY, "&PLAY", false, 10 * cw, buttonHeight);
  w.CreateButton(IDC_PLAY_WINDOW, "PLAY &WDW", false, 20 * cw, buttonHeight);
  w.CreateButton(IDC_STOP, "&STOP", false, 10 * cw, buttonHeight);
  w.CreateButton(IDC_GRID, "&GRID", true, 20 * cw, buttonHeight);
  w.CreateButton(IDC_PEAK_HOLD, "PEAK &HOLD", true, 30 * cw, buttonHeight);
  for (int id : {IDC_PLAY, IDC_PLAY_WINDOW, IDC_STOP, IDC_GRID, IDC_PEAK_HOLD}) {
    w.EnableButton(id, false);
  }

  render::ApplyPalette(app);

  for (int id : {IDM_ANALYZE_FILE, IDM_ANALYZE_BATCH, IDM_COLOR_SCALE, IDM_SCAN_FILE,
                 IDM_SCAN_INPUT, IDM_EXIT}) {
    w.EnableMenuItem(id, true);
  }
  w.EnableMenuItemAt(kPopupFunction, kFunctionSplCalPos, true);
  w.EnableMenuItemAt(kPopupFunction, kFunctionResponseCalPos, true);
  for (int id : {IDM_CHANGE_PARAMETERS, IDM_RESTORE_PARAMETERS, IDM_LOG_SPECTRUM, IDM_LOG_POINTS,
                 IDM_SAVE_WAVE, IDM_PRINT_WINDOW}) {
    w.EnableMenuItem(id, false);
  }
  w.EnableMenuItemAt(kPopupFunction, kFunctionSaveImagePos, false);
  app.frame.running = false;
  app.frame.created = true;
  app.frame.functionKeysEnabled = true;
}

}  // namespace

void CreateMainWindow(App& app) {
  app.procedure = std::make_unique<WindowProcedure>(app);
  app.window = std::make_unique<NativeWindow>(*app.procedure);
  app.pump.SetHandler([&app](const platform::Message& message) {
    switch (message.kind) {
      case platform::MessageKind::Command:
        SendCommand(app, message.id, static_cast<int>(message.param));
        break;
      case platform::MessageKind::WaveInData:
        audio::HandleWaveInData(app, static_cast<int>(message.param));
        break;
      case platform::MessageKind::WaveInClose:
        audio::HandleWaveInClose(app);
        break;
      case platform::MessageKind::WaveOutDone:
        if (app.output.user == OutputUser::CalibrationSound) {
          calibration::HandleCalibrationSoundDone(app, static_cast<int>(message.param));
        } else if (app.output.user == OutputUser::ScanFile) {
          engines::HandleScanFileDone(app);
        } else {
          audio::HandleWaveOutDone(app, static_cast<int>(message.param));
        }
        break;
      case platform::MessageKind::DeviceFailed:
        audio::HandleDeviceFailure(app, message.id);
        break;
    }
  });
  CreateWindowContents(app);
  app.window->Show();
  if (app.layout.clientWidth == 0) RunLayout(app, false);
}

bool StartApplication(App& app, const std::vector<std::string>& arguments) {
  CreateMainWindow(app);
  if (LoadSettings(app)) {
    const Rect stored = ReadWindowRect(app.settingsRecord);
    if (stored.w > 0 && stored.h > 0) app.window->SetWindowRect(stored);
  }
  render::SelectPaletteColors(app, app.params.paletteId);
  // The vertical scroll bar shows the gain setting, −30 … +30 dB, as 0 … 60.
  app.window->SetScrollRange(platform::ScrollBarId::Vertical, 0, 60);
  app.window->SetScrollPosition(platform::ScrollBarId::Vertical, app.params.gainDb + 30);
  app.params.gainDb = app.window->ScrollPosition(platform::ScrollBarId::Vertical) - 30;
  SetMenuCheckMarks(app);
  app.window->SetPointerShape(app.params.pointerShape);

  if (app.frame.fatalStart) {
    HandleClose(app);
    return false;
  }
  app.window->SetCaption(kRunningCaption);
  InterpretCommandLine(app, arguments);
  return true;
}

int RunMessageLoop(App& app) {
  if (app.window == nullptr || app.window->IsDestroyed()) return app.exitCode;
  return QApplication::exec();
}

void HandleMove(App& app) {
  const Rect r = app.window->WindowRect();
  if (r.w > 200 && r.h > 150 && r.w < app.screen.w && r.h < app.screen.h) {
    WriteWindowRect(app.settingsRecord, r);
  }
}

void HandleSize(App& app) {
  NativeWindow& w = *app.window;
  if (app.frame.wasMinimized) {
    app.frame.wasMinimized = false;
    RunLayout(app, false);
    w.Invalidate();
    return;
  }
  // A live scan restarts in the new size once it has stopped.
  if (app.frame.engineLoop && app.frame.IsScanning()) app.frame.restartRequest = true;
  audio::StopAllAudio(app, true);
  engines::ForgetPointSpectrum(app);
  app.frame.snapshotIndex = -1;
  app.frame.snapshotPushed = false;
  const Rect r = w.WindowRect();
  if (!w.IsMinimized() && !w.IsMaximized() && r.w < app.screen.w && r.h < app.screen.h) {
    WriteWindowRect(app.settingsRecord, r);
  }
  RunLayout(app, false);
  if (!app.frame.engineLoop) {
    w.Surface().FillRect({0, 0, std::max(app.screen.w, w.Surface().Width()),
                          std::max(app.screen.h, w.Surface().Height())},
                         app.colors[kBackgroundIndex]);
    app.display.FillRectIndex({0, 0, app.display.Width(), app.display.Height()}, kBackgroundIndex);
  }

  if (AnalysisShown(app)) {
    // While the user drags the frame, the file is analysed again once, at
    // the end of the drag: when the button comes up and the pointer moves
    // over the frame, or, where the window system hides the button, when
    // the size has been still for a moment.
    const bool buttonDown = w.IsLeftButtonDown();
    if (buttonDown || w.FrameDragHidesMouseButton()) {
      app.display.FillRectIndex({0, 0, app.display.Width(), app.display.Height()},
                                kBackgroundIndex);
      app.frame.resizePending = true;
      if (!buttonDown) w.StartTimer(kResizeSettleTimerId, kResizeSettleMs);
    } else {
      SendCommand(app, IDM_ANALYZE_FILE, kReasonReanalysis);
    }
  }
  if (app.frame.displayIsScan && !app.frame.engineLoop) {
    app.display.Release();
    EnterScanIdleMenuState(app);
  }
  w.Invalidate();
  w.SetFocus();
}

void HandleNonClientMouseMove(App& app) {
  app.lastCursorValid = false;
  if (app.frame.resizePending && AnalysisShown(app)) {
    AnalyseAfterPendingResize(app);
    return;
  }
  BlankReadouts(app);
}

void HandleTimer(App& app, int timerId) {
  if (timerId == kResizeSettleTimerId) AnalyseAfterPendingResize(app);
}

void PaintWindow(App& app) {
  NativeWindow& w = *app.window;
  platform::DisplayBitmap& surface = w.Surface();
  const LayoutValues& v = app.layout;

  const int panelTop = v.displayHeight + v.scrollThickness;
  surface.FillRect({0, panelTop, v.clientWidth, v.clientHeight - panelTop}, kInactiveCaptionColor);
  render::DrawReadoutLabels(app);
  render::UpdateReadouts(app, app.lastCursorPoint, false);
  render::DrawInfoPanel(app, app.render.view.analysisRateHz);
  surface.FillRect({v.displayWidth, v.displayHeight, v.scrollThickness, v.scrollThickness},
                   kButtonFaceColor);
  render::BlitDisplay(app);
  // A scrolled sonogram gets the time strip and margin of what it shows.
  if (!app.display.IsNull() && app.analysis.valid && !app.frame.displayIsScan &&
      app.analysis.horizontalScroll > 0) {
    render::DrawAxes(app, surface, {});
  }
  render::DrawWindowOverlays(app);
  app.pointer.overlaysStale = false;
  DrawPointerMarks(app);
  // A playback keeps the columns not yet heard hidden, or its cursor shown.
  if (app.frame.playbackActive) engines::RepaintPlayback(app);
}

void HandleClose(App& app) {
  if (app.frame.calibration != CalibrationState::None) return;
  if (app.frame.running) {
    audio::StopAllAudio(app, false);
    return;
  }
  app.frame.stopRequest = true;
  app.pump.DispatchAll();
  SaveSettings(app);

  app.display.Release();
  app.peakHold.clear();
  app.window->Destroy();
  // The window is gone: end the event loop.
  app.quitPosted = true;
  app.exitCode = 0;
  platform::QuitMessageLoop(0);
}

void PauseOrResumeScan(App& app) {
  FrameState& f = app.frame;
  if (f.inputOpen && app.params.recordingId == ID_RECORDING_OFF && !f.spaceLatch) {
    audio::StopAllAudio(app, false);
    f.spaceLatch = true;
  }
  if (!f.inputOpen && (app.params.wayOfWorking == 1 || app.params.wayOfWorking == 2) &&
      !f.engineLoop && f.spaceLatch) {
    SendCommand(app, IDM_SCAN_INPUT, kReasonSpaceResume);
  }
}

void HandleKeyDown(App& app, int key) {
  using namespace platform;
  if (app.frame.calibration != CalibrationState::None) return;
  FrameState& f = app.frame;
  const bool scanning = app.frame.IsScanning();

  if (key == VK_ESCAPE_KEY || key == 'S') audio::StopAllAudio(app, false);
  if (key == 'P' && !scanning) SendCommand(app, IDC_PLAY);
  if (key == 'W' && !scanning) SendCommand(app, IDC_PLAY_WINDOW);
  if (key == 'C' && scanning) SendCommand(app, IDC_PLAY);
  if (key == 'L' && scanning) SendCommand(app, IDC_PLAY_WINDOW);
  if (key == 'H' && scanning) SendCommand(app, IDC_PEAK_HOLD);
  if (key == 'A' && f.inputOpen) SendCommand(app, IDC_PLAY);
  if (key == 'T' && f.inputOpen) SendCommand(app, IDC_PLAY_WINDOW);
  if (key == 'G') SendCommand(app, IDC_GRID);
  if (key == VK_SPACE_KEY) PauseOrResumeScan(app);
  if (key >= VK_F1_KEY && key <= VK_F1_KEY + 5 && f.functionKeysEnabled) {
    static constexpr int kFunctionCommands[] = {IDM_SCAN_INPUT,        IDM_SCAN_FILE,
                                                IDM_ANALYZE_FILE,      IDM_ANALYZE_BATCH,
                                                IDM_CHANGE_PARAMETERS, IDM_RESTORE_PARAMETERS};
    SendCommand(app, kFunctionCommands[key - VK_F1_KEY]);
  }
  if (key == VK_F1_KEY + 6) SendCommand(app, IDM_COLOR_SCALE);

  int dx = 0;
  int dy = 0;
  if (key == VK_LEFT_KEY) dx = -1;
  if (key == VK_RIGHT_KEY) dx = 1;
  if (key == VK_UP_KEY) dy = -1;
  if (key == VK_DOWN_KEY) dy = 1;
  if (dx != 0 || dy != 0) {
    const Point p = app.window->CursorPosition();
    app.window->SetCursorPosition({p.x + dx, p.y + dy});
  }
}

}  // namespace sonavue::app
