#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "context/AnalysisRecord.h"
#include "context/BatchState.h"
#include "context/CalibrationRun.h"
#include "context/CurrentParameters.h"
#include "context/ImageSettings.h"
#include "context/LiveInput.h"
#include "context/ParameterSnapshot.h"
#include "context/PointLogSession.h"
#include "context/PointerState.h"
#include "context/WaveOut.h"
#include "context/RecordingState.h"
#include "context/SettingsRecord.h"
#include "platform/Clock.h"
#include "platform/DisplayBitmap.h"
#include "platform/GuiWaker.h"
#include "platform/MessagePump.h"
#include "platform/NativeWindow.h"
#include "platform/Printer.h"
#include "platform/Prompts.h"
#include "platform/WaveIo.h"
#include "context/RenderState.h"

namespace sonavue::app {

// Where the program finds and keeps its files.
struct AppEnvironment {
  std::filesystem::path executableFolder;  // help documents, settings, cal.wav
  // The places of the working folder, in order (WorkingFolderCandidates);
  // an empty one is passed over.
  std::filesystem::path runtimeFolder;  // the user's runtime folder
  std::filesystem::path cacheFolder;    // the user's cache folder
  std::filesystem::path tempFolder;     // the system temporary folder (a unique folder inside)
  std::filesystem::path configFolder;   // settings when the executable's folder is read-only
  // Every candidate gives a fresh folder for this run alone, removed at the
  // end: for the command-line companion, of which several may run at once
  // and must not share their conversion files.
  bool workingFolderPerRun = false;

  // The environment of this process: the running binary's folder,
  // XDG_RUNTIME_DIR, the XDG cache folder, TMPDIR or the system temporary
  // folder, and the XDG configuration folder.
  static AppEnvironment FromSystem();
};

// The platform services an App runs on: real ones in the program, virtual
// ones in tests.
struct AppServices {
  platform::Clock& clock;
  platform::Prompts& prompts;
  platform::WaveDevices* devices = nullptr;
  platform::Printer* printer = nullptr;
};

enum class CalibrationState { None, Spl, Response };

// The size a recording file stays within, less one input buffer.
inline constexpr std::int64_t kRecordingLimitBytes = 2147483600;

// A live scan stops and starts again after this long (4 hours), so that
// its 32-bit millisecond clock differences never wrap.
inline constexpr std::uint32_t kLiveScanLimitMs = 4U * 60U * 60U * 1000U;

// Flags of the main window and its operations.
struct FrameState {
  bool created = false;
  bool fatalStart = false;
  bool running = false;              // an audio operation runs
  bool functionKeysEnabled = false;  // F1 … F6 honoured
  CalibrationState calibration = CalibrationState::None;
  bool stopRequest = false;
  bool restartRequest = false;  // a live scan wants to restart after a layout change
  bool grid = false;
  bool peakHold = false;
  bool resizePending = false;
  bool engineLoop = false;
  bool layoutPending = false;
  bool analysisPending = false;
  bool wasMinimized = false;
  bool spaceLatch = false;
  bool snapshotPushed = false;
  int snapshotIndex = -1;
  bool colorsDialogOpen = false;
  // What the display shows.
  bool displayIsScan = false;  // the display came from Scan Input or Scan File
  bool inputOpen = false;      // the sound-card input is open (Scan Input)
  bool scanFileRunning = false;
  bool playbackActive = false;  // PLAY or PLAY WDW holds the controls
  // The static picture on show was left by a Scan File: PLAY scans its file
  // again. Set by that engine after its picture; every other picture clears it.
  bool scanFilePicture = false;
  bool segmentSpectrumShown = false;
  bool capturedSignal = false;  // a captured signal is held (Save Wave)
  // The last live sonogram's columns came at an uneven pace (or it ran very
  // long): the next Analyze File from the menu clears the display first.
  bool irregularColumns = false;
  // A stopped Scan File's live sonogram, drawn at an even pace, stays as the
  // picture of its capture: the analysis that follows keeps it (once).
  bool keepScanImage = false;
  std::string fileName;         // the file of the current analysis; empty when none
  std::uint32_t scanTimeLimitMs = kLiveScanLimitMs;

  // A scan engine has the sound card: Scan Input's input or Scan File's output.
  bool IsScanning() const { return inputOpen || scanFileRunning; }
};

// What a numeric command line asked for; the engine that starts reads it
// once (and clears started) instead of showing its dialog.
struct CommandLineRequest {
  bool started = false;
  std::int32_t lowHz = 0;
  std::int32_t highHz = 0;
  float spanS = 0.0F;
  bool limitsInRange = true;  // false: a limit was beyond 32 bits ("Improper Frequency Limits")
  bool spanInRange = true;    // false: the span was beyond 32 bits ("Improper Time Span")
  // A bare file name: Scan File plays the whole file over the whole band.
  bool fileForm = false;
};

// Sizes derived from the client area by the layout step, in pixels.
struct LayoutValues {
  int clientWidth = 0;   // W
  int clientHeight = 0;  // H
  platform::FontSpec font;
  int charWidth = 0;   // cw
  int charHeight = 0;  // ch
  int buttonHeight = 0;
  int scrollThickness = 0;  // t
  int readoutHeight = 0;
  int displayWidth = 0;   // DW
  int displayHeight = 0;  // DH
  int leftMargin = 0;
  int bandTextWidth = 0;       // "Display Band (Hz)_:_999.9k to 999.9k" + 2 cw
  int frequencyTextWidth = 0;  // "Frequency (Hz)__:__9999999 +/- 9999" + 2 cw
  int bandLabelWidth = 0;
  int frequencyLabelWidth = 0;
  int columnGap = 0;
  int scopePlotHeight = 0;
  int scopeTopMargin = 0;
  int scopePoints = 0;
};

// The process-wide state of the program: every record, the platform services
// and the main window. Operations are free functions taking App&.
class App {
 public:
  App(AppServices services, AppEnvironment environment);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  platform::Clock& clock;
  platform::Prompts& prompts;
  platform::WaveDevices* devices;
  platform::Printer* printer;
  AppEnvironment environment;
  platform::MessagePump pump;

  std::unique_ptr<platform::WindowEvents> procedure;
  std::unique_ptr<platform::NativeWindow> window;

  CurrentParameters params;
  FrameState frame;
  LayoutValues layout;
  platform::Size screen;
  int captionHeight = 0;
  // The settings record as read at start-up (or its first-start image); the
  // window rectangle is written into it as the window moves and is sized.
  SettingsRecord settingsRecord = SettingsRecord::FirstStart();
  std::filesystem::path workingFolder;
  bool workingFolderIsUnique = false;  // made for this run alone: removed with the App
  std::filesystem::path calibrationSoundPath;
  std::vector<std::int16_t> peakHold;  // one value per scope point
  CommandLineRequest commandLine;
  platform::Point lastCursorPoint;  // client coordinates of the last pointer move
  bool lastCursorValid = false;     // the pointer is over the client area, not the frame
  PointerState pointer;
  ReplacedDisplay beforeSpectrum;
  // The colours dialog; made at its first opening and kept (closed or open)
  // until the program ends.
  std::unique_ptr<platform::ModelessDialog> colorsDialog;

  render::RenderState render;
  platform::ColorTable colors{};
  platform::DisplayBitmap display;  // the sonogram or scope image; null when none
  AnalysisRecord analysis;
  ImageSettings image;  // how screen images are saved
  BatchState batch;     // the Analyze File batch
  SnapshotStack snapshots;                   // F5/F6; the index is frame.snapshotIndex
  std::unique_ptr<PointLogSession> pointLog;  // the open point log, if any
  LiveInput live;
  CaptureBuffer capture;
  WaveOut output;
  CalibrationRun calibrationRun;
  RecordingState recording;
  // A device that failed while in use: the message, shown once the engine
  // that used it has ended (or at once when none runs); empty otherwise.
  std::string deviceFailure;
  // A recording stops once its file holds more than this many bytes less
  // one input buffer (so that it stays below 2 GB).
  std::int64_t recordingLimitBytes = kRecordingLimitBytes;
  // For tests: writes that would make a recording file longer than this
  // fail as on a full disk.
  std::uint64_t recordingWriteFailureBytes = UINT64_MAX;
  // For tests: false writes a recording only as whole input buffers come
  // back, the reference the early writing must match byte for byte.
  bool recordingWritesAsItFills = true;
  float scanColumnMs = 10.0F;
  // The file the last Scan File played and its segment, for a repeat.
  struct ScanFileRecord {
    std::filesystem::path path;
    float beginS = 0.0F;
    float endS = 0.0F;
  } scanFile;
  // The parameters of the last live scan, for its resume with Space.
  std::optional<CurrentParameters> pausedScan;  // column step of the last live sonogram (for its static picture)
  // How the last live run kept pace: frames drawn, columns analysed and
  // repeated without analysis, and its length.
  struct ScanStats {
    std::int64_t frames = 0;
    std::int64_t analysed = 0;
    std::int64_t repeated = 0;
    std::int64_t columnsShown = 0;
    std::uint32_t lastMs = 0;
    float measuredColumnMs = 0.0F;
    std::int64_t drawnColumn = 0;  // the column clock's position at the end
    bool irregular = false;        // the columns were drawn at an uneven pace
  } scanStats;

  int exitCode = 0;
  bool quitPosted = false;

 private:
  // Drains the message queue on the GUI thread when another thread posts.
  std::unique_ptr<platform::GuiWaker> wake_;
};

}  // namespace sonavue::app
