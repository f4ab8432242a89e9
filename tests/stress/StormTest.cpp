// A storm of user input on the real main window (offscreen): keys, clicks,
// drags, resizes and menu commands in random order, with and without scans
// running, answered by prompts that say yes, no or cancel at random. Every
// event goes through the window system's queue, so the program meets it
// where a user's input meets it: when it next dispatches its events. The
// storm must end with no crash or sanitizer report, no loop left running,
// every device closed, and a window that works as a fresh one does.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "platform/Clock.h"
#include "platform/SimulatedWave.h"
#include "support/AppFixture.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavue {
namespace {

using testing::TempFolder;
using testing::WavBuilder;
using testing::PrivateEnvironment;
using testing::ServeEvents;
using testing::SettleResize;

// Prompts that answer at random, as a user clicking about would: boxes get
// any of their buttons, choosers cancel or pick one of the storm's files
// (or a name to save to), dialogs end with OK or Cancel.
class RandomPrompts final : public platform::Prompts {
 public:
  RandomPrompts(std::mt19937& random, std::vector<std::string> inputs, std::filesystem::path outFolder)
      : random_(random), inputs_(std::move(inputs)), out_(std::move(outFolder)) {}

  platform::BoxResult MessageBox(const std::string& text, const std::string&, platform::BoxIcon,
                                 platform::BoxButtons buttons) override {
    ++asked;
    if (calm) shown.push_back(text);
    if (calm) return buttons == platform::BoxButtons::YesNo ? platform::BoxResult::Yes : platform::BoxResult::Ok;
    switch (buttons) {
      case platform::BoxButtons::Ok: return platform::BoxResult::Ok;
      case platform::BoxButtons::OkCancel:
        return Coin() ? platform::BoxResult::Ok : platform::BoxResult::Cancel;
      case platform::BoxButtons::YesNo: return Coin() ? platform::BoxResult::Yes : platform::BoxResult::No;
    }
    return platform::BoxResult::Cancel;
  }

  std::optional<std::vector<std::string>> ChooseFile(const platform::FileChooserRequest& request) override {
    ++asked;
    if (calm) return std::vector<std::string>{calmFile};
    if (Pick(4) == 0) return std::nullopt;
    if (request.save) {
      static const char* const kNames[] = {"a", "b", "c"};
      std::string name = kNames[Pick(3)];
      if (!request.defaultExtension.empty()) name += "." + request.defaultExtension;
      return std::vector<std::string>{(out_ / name).string()};
    }
    if (request.multiSelect) {
      // The folder, then the names chosen in it.
      std::vector<std::string> chosen{std::filesystem::path(inputs_.front()).parent_path().string()};
      for (std::size_t n = 1 + Pick(3); n > 0; --n) {
        chosen.push_back(std::filesystem::path(inputs_[Pick(inputs_.size())]).filename().string());
      }
      return chosen;
    }
    return std::vector<std::string>{inputs_[Pick(inputs_.size())]};
  }

  bool OpenDocument(const std::filesystem::path&) override { return Coin(); }
  bool RunDialog(platform::ModalDialog&) override {
    ++asked;
    return calm || Pick(3) != 0;
  }
  void OpenModeless(platform::ModelessDialog& dialog) override {
    std::erase(modeless, &dialog);
    modeless.push_back(&dialog);
  }
  void CloseModeless(platform::ModelessDialog& dialog) override { std::erase(modeless, &dialog); }

  std::size_t asked = 0;
  // Every answer OK or Yes, and calmFile chosen; the boxes shown then.
  bool calm = false;
  std::string calmFile;
  std::vector<std::string> shown;
  std::vector<platform::ModelessDialog*> modeless;

 private:
  bool Coin() { return Pick(2) == 0; }
  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

  std::mt19937& random_;
  std::vector<std::string> inputs_;
  std::filesystem::path out_;
};

// Every menu command a user can reach, less Exit (the storm ends with it).
constexpr int kMenuCommands[] = {
    app::IDM_SCAN_INPUT,         app::IDM_SCAN_FILE,           app::IDM_ANALYZE_FILE,
    app::IDM_ANALYZE_BATCH,      app::IDM_CHANGE_PARAMETERS,   app::IDM_RESTORE_PARAMETERS,
    app::IDM_COLOR_SCALE,        app::IDM_LOG_SPECTRUM,        app::IDM_LOG_POINTS,
    app::IDM_SAVE_WAVE,          app::IDM_SAVE_IMAGE_WINDOW,   app::IDM_SAVE_IMAGE_ENTIRE,
    app::IDM_PRINT_WINDOW,       app::IDM_SPL_CALIBRATE,       app::IDM_SPL_CLEAR,
    app::IDM_FR_CALIBRATE,       app::IDM_FR_CLEAR,            app::IDM_CAL_STATUS,
    app::IDM_CONTROLS_AUTOMATIC, app::IDM_CONTROLS_MANUAL,     app::IDM_CONTROLS_ULTRASOUND,
    app::IDM_POINTER_TARGET_BOX, app::IDM_POINTER_WHITE_CROSS, app::IDM_POINTER_BLACK_CROSS,
    app::IDM_FREQ_MARK_ON,       app::IDM_FREQ_MARK_OFF,       app::IDM_GAIN_LOCK_ON,
    app::IDM_GAIN_LOCK_OFF,      app::IDM_VARIABLES_ADJUST,    app::IDM_VARIABLES_FREEZE,
    app::IDM_QUICK_START_DISPLAY, app::IDM_QUICK_START_SOUNDCARD, app::IDM_HELP_TOPICS,
    app::IDM_ABOUT};
constexpr int kButtons[] = {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_STOP, app::IDC_GRID,
                            app::IDC_PEAK_HOLD};
constexpr int kKeys[] = {Qt::Key_F1,    Qt::Key_F2,     Qt::Key_F3,       Qt::Key_F4,       Qt::Key_F5,
                         Qt::Key_F6,    Qt::Key_F7,     Qt::Key_F8,       Qt::Key_F9,       Qt::Key_F10,
                         Qt::Key_F11,   Qt::Key_F12,    Qt::Key_A,        Qt::Key_C,        Qt::Key_G,
                         Qt::Key_H,     Qt::Key_L,      Qt::Key_P,        Qt::Key_S,        Qt::Key_T,
                         Qt::Key_W,     Qt::Key_Space,  Qt::Key_Escape,   Qt::Key_Left,     Qt::Key_Right,
                         Qt::Key_Up,    Qt::Key_Down,   Qt::Key_PageUp,   Qt::Key_PageDown, Qt::Key_Home,
                         Qt::Key_End,   Qt::Key_Return, Qt::Key_Plus,     Qt::Key_Minus,    Qt::Key_0};

// Events (SONAVUE_STORM_EVENTS, default 1000) and seed (SONAVUE_STORM_SEED,
// default 1) of the storm.
unsigned EnvNumber(const char* name, unsigned fallback) {
  if (const char* text = std::getenv(name)) {
    const unsigned long value = std::strtoul(text, nullptr, 10);
    if (value > 0 && value < 10000000UL) return static_cast<unsigned>(value);
  }
  return fallback;
}

// One App on the virtual clock and the simulated devices, as the tests'
// usual fixture makes it, but with the given prompts.
struct StormApp {
  StormApp(platform::Prompts& prompts, const std::filesystem::path& root) : environment(PrivateEnvironment(root)) {
    app = std::make_unique<app::App>(app::AppServices{clock, prompts, &devices}, environment);
    app::StartApplication(*app, {});
    Events();
    const platform::Rect r = app->window->WindowRect();
    app->window->SetWindowRect({r.x, r.y, 900, 600});
    Settle();
  }
  ~StormApp() {
    if (app && !app->window->IsDestroyed()) app->window->RequestClose();
    Events();
    app.reset();
    QApplication::processEvents();
  }
  void Events() { ServeEvents(app.get()); }
  // Lets a re-analysis that waits for the size to stay still run.
  void Settle() {
    SettleResize(*app);
    Events();
  }

  platform::VirtualClock clock;
  platform::SimulatedDevices devices{clock, &clock};
  app::AppEnvironment environment;
  std::unique_ptr<app::App> app;
};

// What a user sees of the window's state: the menu commands and buttons
// enabled, and the buttons' captions.
std::string VisibleState(app::App& app) {
  std::string state;
  for (int id : kMenuCommands) state += std::to_string(id) + (app.window->IsMenuItemEnabled(id) ? "+ " : "- ");
  state += "| ";
  for (int id : kButtons) {
    state += std::to_string(id) + (app.window->IsButtonEnabled(id) ? "+" : "-") + app.window->ButtonCaption(id) + " ";
  }
  return state;
}

class StormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folders_ = std::make_unique<TempFolder>();
    inputs_ = *folders_ / "in";
    std::filesystem::create_directories(inputs_);
    std::filesystem::create_directories(*folders_ / "out");
    Tone("tone.wav", 48000, 3.0, 1, 16);
    Tone("stereo.wav", 44100, 2.0, 2, 16);
    Tone("short.wav", 22050, 0.05, 1, 16);
    Tone("bytes.wav", 8000, 1.0, 1, 8);
    // A file that is no sound at all, and one cut off in its header.
    WavBuilder().Raw({'n', 'o', 't', ' ', 's', 'o', 'u', 'n', 'd'}).Write(inputs_ / "junk.wav");
    WavBuilder().Format(1, 1, 48000, 16).DataHeader(1000000).Write(inputs_ / "cut.wav");
    for (const auto& entry : std::filesystem::directory_iterator(inputs_)) files_.push_back(entry.path().string());
    std::sort(files_.begin(), files_.end());
  }

  void Tone(const std::string& name, int rate, double seconds, int channels, int bits) {
    const int frames = static_cast<int>(rate * seconds);
    std::vector<std::uint8_t> data;
    for (int i = 0; i < frames; ++i) {
      const double v = std::sin(2 * M_PI * 1500.0 * i / rate) * (1.0 + std::sin(2 * M_PI * 3.0 * i / rate));
      for (int c = 0; c < channels; ++c) {
        if (bits == 8) {
          data.push_back(static_cast<std::uint8_t>(128 + std::lround(60.0 * v)));
        } else {
          const auto s = static_cast<std::int16_t>(std::lround(8000.0 * v));
          data.push_back(static_cast<std::uint8_t>(s));
          data.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
        }
      }
    }
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate),
                static_cast<std::uint16_t>(bits))
        .Data(data)
        .Write(inputs_ / name);
  }

  std::unique_ptr<TempFolder> folders_;
  std::filesystem::path inputs_;
  std::vector<std::string> files_;
};

TEST_F(StormTest, RandomInputLeavesAWindowThatWorksAsAFreshOneDoes) {
  const unsigned events = EnvNumber("SONAVUE_STORM_EVENTS", 1000);
  const unsigned seed = EnvNumber("SONAVUE_STORM_SEED", 1);
  std::mt19937 random(seed);
  RandomPrompts prompts(random, files_, *folders_ / "out");
  StormApp storm(prompts, *folders_ / "storm");
  app::App& app = *storm.app;
  const auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };

  // A watchdog: the storm makes progress (events sent, the clock moving)
  // or the test ends with what it was doing.
  std::atomic<unsigned> progress{0};
  std::atomic<bool> finished{false};
  std::atomic<int> lastEvent{0};
  std::thread watchdog([&] {
    unsigned seen = progress.load();
    int still = 0;
    while (!finished.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      const unsigned now = progress.load();
      still = now == seen ? still + 1 : 0;
      seen = now;
      if (still > 4 * 120) {
        std::fprintf(stderr, "storm: no progress for 2 minutes after event kind %d (seed %u)\n", lastEvent.load(),
                     seed);
        std::abort();
      }
    }
  });

  unsigned sent = 0;
  unsigned scans = 0;
  std::size_t window = 0;  // the window's size before the latest resize
  // One random event, queued for the window to meet when it next
  // dispatches its events (a menu command runs only if its item is
  // enabled then, as a click on it would).
  const auto queueEvent = [&] {
    ++sent;
    ++progress;
    const std::size_t kind = pick(100);
    lastEvent = static_cast<int>(kind);
    platform::NativeWindow& w = *app.window;
    if (kind < 30) {
      const int id = kMenuCommands[pick(std::size(kMenuCommands))];
      QMetaObject::invokeMethod(qApp, [&app, id] {
        if (!app.window->IsDestroyed() && app.window->IsMenuItemEnabled(id)) app::SendCommand(app, id);
      }, Qt::QueuedConnection);
    } else if (kind < 40) {
      const int id = kButtons[pick(std::size(kButtons))];
      QMetaObject::invokeMethod(qApp, [&app, id] {
        if (!app.window->IsDestroyed() && app.window->IsButtonEnabled(id)) app::SendCommand(app, id);
      }, Qt::QueuedConnection);
    } else if (kind < 65) {
      const int key = kKeys[pick(std::size(kKeys))];
      QMetaObject::invokeMethod(qApp, [&w, key] { if (!w.IsDestroyed()) w.SendKey(key); }, Qt::QueuedConnection);
    } else if (kind < 92) {
      // A move, a click, a right click or a drag anywhere in the client area.
      const platform::Size r = w.ClientSize();
      const auto at = [&] {
        return platform::Point{static_cast<int>(pick(static_cast<std::size_t>(std::max(1, r.w)))),
                               static_cast<int>(pick(static_cast<std::size_t>(std::max(1, r.h))))};
      };
      const platform::Point from = at();
      const platform::Point to = at();
      const std::size_t gesture = pick(4);
      QMetaObject::invokeMethod(qApp, [&w, from, to, gesture] {
        if (w.IsDestroyed()) return;
        switch (gesture) {
          case 0: w.SendMouse(platform::MouseAction::Move, from); break;
          case 1:
            w.SendMouse(platform::MouseAction::LeftDown, from);
            w.SendMouse(platform::MouseAction::LeftUp, from);
            break;
          case 2:
            w.SendMouse(platform::MouseAction::RightDown, from);
            w.SendMouse(platform::MouseAction::RightUp, from);
            break;
          default:
            w.SendMouse(platform::MouseAction::LeftDown, from);
            w.SendMouse(platform::MouseAction::Move, {(from.x + to.x) / 2, (from.y + to.y) / 2});
            w.SendMouse(platform::MouseAction::Move, to);
            w.SendMouse(platform::MouseAction::LeftUp, to);
            break;
        }
      }, Qt::QueuedConnection);
    } else if (kind < 97) {
      static const platform::Rect kSizes[] = {{0, 0, 900, 600}, {0, 0, 640, 420}, {0, 0, 1200, 800},
                                              {0, 0, 320, 240}, {0, 0, 1000, 500}};
      window = pick(std::size(kSizes));
      const platform::Rect size = kSizes[window];
      QMetaObject::invokeMethod(qApp, [&w, size] {
        if (w.IsDestroyed()) return;
        const platform::Rect r = w.WindowRect();
        w.SetWindowRect({r.x, r.y, size.w, size.h});
      }, Qt::QueuedConnection);
    } else {
      // A modeless dialog (colours, SPL calibration) closed with OK.
      QMetaObject::invokeMethod(qApp, [&prompts] {
        if (!prompts.modeless.empty()) prompts.modeless.back()->Accept();
      }, Qt::QueuedConnection);
    }
  };

  // While a scan or a playback runs, its loop moves the clock: events come
  // every 10 ms of it or so.
  std::uint32_t loopStartMs = 0;
  std::uint32_t stormOverMs = 0;
  bool inLoop = false;
  storm.devices.SetTickHook([&](std::uint32_t now) {
    ++progress;
    if (!inLoop) {
      inLoop = true;
      loopStartMs = now;
      ++scans;
    }
    if (sent < events && pick(10) == 0) queueEvent();
    if (sent < events) {
      stormOverMs = now;
    } else if (now - stormOverMs > 60000) {
      // A loop that neither STOP nor the dialog's OK ends for a minute
      // would hold the user in it for good.
      std::fprintf(stderr, "storm: a loop ignores STOP and OK (seed %u)\n", seed);
      std::abort();
    }
    // A loop that has run 1.5 s, or one still running when the storm is
    // over, is ended as the user ends it: STOP, or OK in the calibration
    // dialog.
    if (now - loopStartMs > (sent < events ? 1500U : 100U)) {
      loopStartMs = now;
      if (app.frame.engineLoop) app::PostCommand(app, app::IDC_STOP);
      QMetaObject::invokeMethod(qApp, [&prompts] {
        if (!prompts.modeless.empty()) prompts.modeless.back()->Accept();
      }, Qt::QueuedConnection);
    }
  });

  while (sent < events && !app.window->IsDestroyed()) {
    inLoop = false;
    queueEvent();
    storm.Events();
    ASSERT_FALSE(app.frame.engineLoop) << "a loop runs with no command in progress";
  }
  storm.devices.SetTickHook({});
  // The storm is over: stop what runs, close the modeless dialogs, let a
  // pending re-analysis run.
  for (platform::ModelessDialog* dialog : std::vector(prompts.modeless)) dialog->Accept();
  storm.Settle();
  ASSERT_FALSE(app.window->IsDestroyed());
  EXPECT_FALSE(app.frame.engineLoop);
  EXPECT_FALSE(app.frame.inputOpen);
  EXPECT_FALSE(app.output.playing);
  EXPECT_TRUE(prompts.modeless.empty());
  std::printf("storm: seed %u, %u events, %u loops, %zu prompts answered\n", seed, sent, scans, prompts.asked);

  // The same file analysed with the same parameters in the storm's window
  // and in a fresh one shows the same menus and buttons.
  const std::string tone = (inputs_ / "tone.wav").string();
  const auto analyze = [&tone](StormApp& a, RandomPrompts& answers) {
    answers.calm = true;
    answers.calmFile = tone;
    a.app->params.variables = app::IDM_VARIABLES_FREEZE;
    a.app->params.displayId = app::ID_DISPLAY_SCROLL1;
    a.app->params.displayWidthS = 3.0F;
    a.app->params.lowBandHz = 0;
    a.app->params.highBandHz = 8000;
    app::SendCommand(*a.app, app::IDM_ANALYZE_FILE);
    a.Settle();
  };
  analyze(storm, prompts);
  RandomPrompts freshPrompts(random, files_, *folders_ / "out");
  StormApp fresh(freshPrompts, *folders_ / "fresh");
  const platform::Rect r = app.window->WindowRect();
  fresh.app->window->SetWindowRect({r.x, r.y, r.w, r.h});
  fresh.Settle();
  fresh.app->params = app.params;
  analyze(fresh, freshPrompts);
  EXPECT_EQ(VisibleState(app), VisibleState(*fresh.app));
  EXPECT_EQ(prompts.shown, freshPrompts.shown);
  EXPECT_NE(app.window->Caption().find("tone.wav"), std::string::npos)
      << app.window->Caption();

  // Exit closes the window.
  app::SendCommand(app, app::IDM_EXIT);
  storm.Events();
  EXPECT_TRUE(app.window->IsDestroyed());
  finished = true;
  watchdog.join();
}

}  // namespace
}  // namespace sonavue
