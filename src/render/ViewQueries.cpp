#include "render/ViewQueries.h"

#include <algorithm>

#include "context/App.h"

namespace sonavue::render {

bool IsDualView(const app::App& app) {
  return app.params.IsScrollDisplay() && app.render.view.channelCount == 2 &&
         app.params.channelsId == app::ID_CHANNELS_DUAL;
}

bool IsScroll2(const app::App& app) { return app.params.displayId == app::ID_DISPLAY_SCROLL2; }

bool IsLogScale(const app::App& app) {
  return app.params.frequencyScaleId == app::ID_SCALE_LOG ||
         app.params.frequencyScaleId == app::ID_SCALE_OCT3;
}

int Multiplier(const app::App& app) { return std::max(1, app.params.frequencyMultiplier); }

double TimeDivisor(const app::App& app) {
  return app.params.ultrasoundId == app::ID_ULTRASOUND_TIME_EXP ? Multiplier(app) : 1.0;
}


}  // namespace sonavue::render
