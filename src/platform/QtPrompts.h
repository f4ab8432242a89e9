#pragma once

#include <functional>
#include <memory>

#include "platform/Prompts.h"

namespace sonavue::platform {

class NativeWindow;

// Prompts shown with Qt's message boxes, file dialogs and desktop services,
// owned by the window that owner() returns (none when it returns nullptr).
std::unique_ptr<Prompts> MakeQtPrompts(std::function<NativeWindow*()> owner);

// Converts a stored filter ("Text (*.txt)|*.txt|All Files (*.*)|*.*||") to
// the form of Qt's file dialogs ("Text (*.txt);;All Files (*)").
std::string QtFilterFromStored(const std::string& stored);

}  // namespace sonavue::platform
