#pragma once

#include <string_view>

namespace sonavue::app {

class App;

// The caption of the program's own message boxes: the window caption.
inline constexpr const char* kCaption = "Sonavue";

// A message box with the program's caption and an OK button: Warn with the
// warning icon (most refusals), Fail with the error icon (device and range
// failures), Notify with none.
void Warn(App& app, std::string_view text);
void Fail(App& app, std::string_view text);
void Notify(App& app, std::string_view text);

}  // namespace sonavue::app
