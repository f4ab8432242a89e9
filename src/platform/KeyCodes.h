#pragma once

namespace sonavue::platform {

// Key numbers as the program's key map uses them (the Windows virtual-key
// numbering, since stored records and older documents refer to it).
inline constexpr int VK_NONE = 0;
inline constexpr int VK_ESCAPE_KEY = 0x1B;
inline constexpr int VK_SPACE_KEY = 0x20;
inline constexpr int VK_LEFT_KEY = 0x25;
inline constexpr int VK_UP_KEY = 0x26;
inline constexpr int VK_RIGHT_KEY = 0x27;
inline constexpr int VK_DOWN_KEY = 0x28;
inline constexpr int VK_F1_KEY = 0x70;  // F2 … F12 follow
// Letters are their upper-case character codes: 'A' … 'Z'.

// Maps a Qt key code to the key number above; VK_NONE for keys the program
// does not use.
int VirtualKeyFromQtKey(int qtKey);

}  // namespace sonavue::platform
