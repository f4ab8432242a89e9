#include "context/Boxes.h"

#include <string>

#include "context/App.h"

namespace sonavue::app {
namespace {

void Show(App& app, std::string_view text, platform::BoxIcon icon) {
  app.prompts.MessageBox(std::string(text), kCaption, icon, platform::BoxButtons::Ok);
}

}  // namespace

void Warn(App& app, std::string_view text) { Show(app, text, platform::BoxIcon::Warning); }
void Fail(App& app, std::string_view text) { Show(app, text, platform::BoxIcon::Error); }
void Notify(App& app, std::string_view text) { Show(app, text, platform::BoxIcon::None); }

}  // namespace sonavue::app
