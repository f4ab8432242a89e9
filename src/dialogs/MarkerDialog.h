#pragma once

#include <array>
#include <string>

#include "platform/Prompts.h"

namespace sonavue::app {
class App;
}

namespace sonavue::dialogs {

// Dialog 146 "Frequency Markers": two edits for the markers in hertz.
inline constexpr int kMarkerDialogId = 146;
inline constexpr const char* kMarkerDialogTitle = "Frequency Markers";
inline constexpr int IDC_MARKER1 = 1113;
inline constexpr int IDC_MARKER2 = 1115;
// How far above the screen's middle the dialog opens.
inline constexpr int kMarkerDialogRaise = 30;

// An edit's marker: the integer its first 7 characters start with (leading
// blanks and a sign allowed, reading stops at the first other character);
// text that is not a number reads as 0, and a negative value becomes 0.
int ParseMarkerText(const std::string& text);

// The dialog's rules: the edits as typed, and the markers OK gives.
class FrequencyMarkersModel {
 public:
  // The edits start with the markers as unsigned integers.
  FrequencyMarkersModel(int marker1Hz, int marker2Hz);
  void SetText(int editId, const std::string& text);
  const std::string& Text(int editId) const;
  std::array<int, 2> Markers() const;

 private:
  std::array<std::string, 2> texts_;
};

// The dialog as the prompts run it: the model, and on Exec its window.
class FrequencyMarkersDialog final : public platform::ModalDialog {
 public:
  FrequencyMarkersDialog(int marker1Hz, int marker2Hz) : model_(marker1Hz, marker2Hz) {}
  int ResourceId() const override { return kMarkerDialogId; }
  bool Exec(void* owner) override;
  FrequencyMarkersModel& Model() { return model_; }

 private:
  FrequencyMarkersModel model_;
};

// "Display Freq Mark" › "On": runs the dialog; OK stores both markers in the
// current parameters and returns true; Cancel changes nothing.
bool RunFrequencyMarkersDialog(app::App& app);

}  // namespace sonavue::dialogs
