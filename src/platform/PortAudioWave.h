#pragma once

#include <memory>

#include "platform/WaveIo.h"

namespace sonavue::platform {

// The real sound card through PortAudio's default devices.
std::unique_ptr<WaveDevices> MakePortAudioDevices();

}  // namespace sonavue::platform
