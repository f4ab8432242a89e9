#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/DisplayBitmap.h"
#include "platform/Geometry.h"

namespace sonavue::platform {

// One entry of a menu: a command (id > 0), a popup (children), or a
// separator (neither).
struct MenuItemSpec {
  int id = 0;
  std::string text;
  std::vector<MenuItemSpec> children;
  bool IsSeparator() const { return id == 0 && children.empty(); }
};

// The menu bar: one popup per entry.
using MenuBarSpec = std::vector<MenuItemSpec>;

enum class SizeKind { Restored, Minimized, Maximized };
enum class ScrollBarId { Horizontal, Vertical };
enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom };
enum class MouseAction { Move, LeftDown, LeftUp, RightDown, RightUp };

struct MouseEvent {
  MouseAction action = MouseAction::Move;
  Point position;  // client coordinates
  bool leftDown = false;
  bool rightDown = false;
};

// What the window reports to the program, in the order it happens.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void OnSize(SizeKind kind, Size client) = 0;
  virtual void OnMove() = 0;
  // Draw the client area into the backing image.
  virtual void OnPaint() = 0;
  // The user asked to close the window; nothing closes unless the program
  // calls Destroy().
  virtual void OnClose() = 0;
  // virtualKey uses the Windows virtual-key numbering (see KeyCodes.h).
  virtual void OnKeyDown(int virtualKey) = 0;
  // A menu command or a child button.
  virtual void OnCommand(int id) = 0;
  virtual void OnMouse(const MouseEvent& event) = 0;
  // The pointer moved over the menu bar or the frame, or left the client
  // area.
  virtual void OnNonClientMouseMove() = 0;
  virtual void OnScroll(ScrollBarId bar, ScrollAction action, int position) = 0;
  // A single-shot timer started with NativeWindow::StartTimer has run out.
  virtual void OnTimer(int timerId) = 0;
};

// The main window: a top-level window with a menu bar, a client area shown
// from a backing image, child push buttons and two scroll bars placed by the
// program. Every method runs on the GUI thread.
class NativeWindow {
 public:
  explicit NativeWindow(WindowEvents& events);
  ~NativeWindow();
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // Screen and frame metrics.
  Size ScreenSize() const;
  int CaptionHeight() const;

  void SetCaption(const std::string& caption);
  std::string Caption() const;
  // Outer rectangle of the window in screen pixels.
  Rect WindowRect() const;
  void SetWindowRect(const Rect& rect);
  Size ClientSize() const;
  void Show();
  // Minimizes the window, or shows it restored from minimized or maximized,
  // as the window's own buttons do.
  void ShowMinimized();
  void ShowNormal();
  bool IsVisible() const;
  bool IsMinimized() const;
  bool IsMaximized() const;
  void SetFocus();
  // Hides and releases the window; no event is reported afterwards.
  void Destroy();
  bool IsDestroyed() const;

  // Menu.
  void SetMenu(const MenuBarSpec& menu);
  void EnableMenuItem(int id, bool enabled);
  bool IsMenuItemEnabled(int id) const;
  void CheckMenuItem(int id, bool checked);
  bool IsMenuItemChecked(int id) const;
  // Items by position inside top-level popup `popup`, separators counted.
  void EnableMenuItemAt(int popup, int position, bool enabled);
  bool IsMenuItemAtEnabled(int popup, int position) const;
  std::string MenuItemTextAt(int popup, int position) const;
  int MenuItemCountAt(int popup) const;
  // Every command identifier in the menu, in menu order.
  std::vector<int> MenuCommandIds() const;
  // Runs the menu item as a click would (no-op when it is disabled).
  void TriggerMenuItem(int id);

  // Child buttons, known by identifier.
  void CreateButton(int id, const std::string& caption, bool checkable, int width, int height);
  void SetButtonCaption(int id, const std::string& caption);
  std::string ButtonCaption(int id) const;
  void EnableButton(int id, bool enabled);
  bool IsButtonEnabled(int id) const;
  void SetButtonChecked(int id, bool checked);
  bool IsButtonChecked(int id) const;
  void MoveButton(int id, const Rect& rect);
  Rect ButtonRect(int id) const;
  void SetButtonFont(int id, const FontSpec& font);
  // Clicks the button as the mouse would (no-op when disabled).
  void ClickButton(int id);

  // The two scroll bars.
  void MoveScrollBar(ScrollBarId bar, const Rect& rect);
  Rect ScrollBarRect(ScrollBarId bar) const;
  void SetScrollRange(ScrollBarId bar, int minimum, int maximum);
  void SetScrollPosition(ScrollBarId bar, int position);
  int ScrollPosition(ScrollBarId bar) const;
  void EnableScrollBar(ScrollBarId bar, bool enabled);
  bool IsScrollBarEnabled(ScrollBarId bar) const;

  // The client area's backing image. Drawing into it shows on the next
  // repaint: call Present() after drawing outside OnPaint().
  DisplayBitmap& Surface();
  // Asks for OnPaint() to redraw the client area (coalesced, at most once
  // per display refresh).
  void Invalidate();
  // Shows what was drawn into the backing image (coalesced).
  void Present();
  // Runs a pending OnPaint() now.
  void UpdateNow();

  // The mouse pointer.
  // Shows the pointer of shape 1 Target Box, 2 White Cross or 3 Black Cross
  // (PointerShapes.h) over the client area.
  void SetPointerShape(int shape);
  int PointerShape() const;
  Point CursorPosition() const;  // screen coordinates
  void SetCursorPosition(Point screen);
  Point ClientToScreen(Point client) const;
  bool IsLeftButtonDown() const;
  // True where the window system moves and sizes the frame itself and keeps
  // the mouse button from the program while it does (X11, Wayland, macOS):
  // there the end of a frame drag shows only as a size that stays still.
  bool FrameDragHidesMouseButton() const;

  // Single-shot timers, known by a number the program chooses: OnTimer(id)
  // runs once, delayMs after the latest start; starting a running timer
  // starts it again from zero.
  void StartTimer(int timerId, int delayMs);
  void StopTimer(int timerId);
  bool IsTimerActive(int timerId) const;

  // For tests and the platform layer: deliver input as the window system would.
  void SendKey(int qtKey);
  void SendMouse(MouseAction action, Point client);
  // Works a scroll bar as a click on its arrows or its track would (line and
  // page actions; the program's handler then sets the position).
  void TriggerScrollAction(ScrollBarId bar, ScrollAction action);
  void RequestClose();

  // The QWidget behind the window, for dialogs that need an owner.
  void* NativeHandle() const;

  struct Impl;  // the Qt side, defined in the source file

 private:
  std::unique_ptr<Impl> impl_;
};

// Ends the application's event loop with the given exit code.
void QuitMessageLoop(int exitCode);
// Runs pending window-system events once.
void ProcessWindowEvents();

}  // namespace sonavue::platform
