#include "platform/NativeWindow.h"

#include <QAction>
#include <QPixmap>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <map>

#include "platform/KeyCodes.h"
#include "platform/PointerShapes.h"
#include "platform/QtFont.h"

namespace sonavue::platform {
// The client area: shows the backing image and reports input.
class ClientArea final : public QWidget {
 public:
  ClientArea(NativeWindow::Impl& impl, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override { Mouse(MouseAction::Move, event); }
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void Mouse(MouseAction action, QMouseEvent* event);
  NativeWindow::Impl& impl_;
};

// The top-level window: close requests, moves and minimising.
class FrameWindow final : public QMainWindow {
 public:
  explicit FrameWindow(NativeWindow::Impl& impl) : impl_(impl) {}

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent*) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  NativeWindow::Impl& impl_;
};

struct NativeWindow::Impl {
  explicit Impl(WindowEvents& e) : events(e) {}

  bool Live() const { return !destroyed; }
  SizeKind CurrentSizeKind() const {
    if (frame->isMinimized()) return SizeKind::Minimized;
    if (frame->isMaximized()) return SizeKind::Maximized;
    return SizeKind::Restored;
  }
  QScrollBar* Bar(ScrollBarId bar) const {
    return bar == ScrollBarId::Horizontal ? horizontal : vertical;
  }
  QAction* ActionAt(int popup, int position) const {
    if (popup < 0 || popup >= static_cast<int>(popupItems.size())) return nullptr;
    const auto& items = popupItems[static_cast<std::size_t>(popup)];
    if (position < 0 || position >= static_cast<int>(items.size())) return nullptr;
    return items[static_cast<std::size_t>(position)];
  }
  void AddItems(QMenu* menu, const std::vector<MenuItemSpec>& items);

  WindowEvents& events;
  std::unique_ptr<FrameWindow> frame;
  ClientArea* client = nullptr;
  QScrollBar* horizontal = nullptr;
  QScrollBar* vertical = nullptr;
  std::map<int, QAction*> actions;
  std::map<int, bool> checked;
  std::vector<std::vector<QAction*>> popupItems;
  std::vector<int> commandOrder;
  std::map<int, QPushButton*> buttons;
  std::map<int, QTimer*> timers;  // owned by the frame
  DisplayBitmap surface;
  int pointerShape = 0;
  bool needsPaint = true;
  bool destroyed = false;
  bool allowClose = false;
};

ClientArea::ClientArea(NativeWindow::Impl& impl, QWidget* parent) : QWidget(parent), impl_(impl) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::paintEvent(QPaintEvent*) {
  if (!impl_.Live()) return;
  if (impl_.needsPaint) {
    impl_.needsPaint = false;
    impl_.events.OnPaint();
  }
  // A window moved to a finer screen starts keeping its texts sharp; the
  // program draws everything again for it.
  if (devicePixelRatioF() > 1.0 && !KeepsSharpText()) {
    KeepSharpText(true);
    impl_.needsPaint = true;
    update();
  }
  QPainter painter(this);
  PaintBitmap(painter, impl_.surface);
}

void ClientArea::resizeEvent(QResizeEvent*) {
  if (!impl_.Live()) return;
  // Keep what the backing image showed; the program repaints the rest.
  DisplayBitmap resized;
  if (resized.Allocate(std::max(1, width()), std::max(1, height())) && !impl_.surface.IsNull()) {
    resized.Blit({0, 0}, impl_.surface, {0, 0, impl_.surface.Width(), impl_.surface.Height()});
  }
  impl_.surface = std::move(resized);
  impl_.needsPaint = true;
  impl_.events.OnSize(impl_.CurrentSizeKind(), {width(), height()});
}

void ClientArea::keyPressEvent(QKeyEvent* event) {
  const int key = VirtualKeyFromQtKey(event->key());
  if (key == VK_NONE || !impl_.Live()) {
    QWidget::keyPressEvent(event);
    return;
  }
  impl_.events.OnKeyDown(key);
}

void ClientArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Mouse(MouseAction::LeftDown, event);
  if (event->button() == Qt::RightButton) Mouse(MouseAction::RightDown, event);
}

void ClientArea::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Mouse(MouseAction::LeftUp, event);
  if (event->button() == Qt::RightButton) Mouse(MouseAction::RightUp, event);
}

void ClientArea::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  // Leaving the client area (for the frame, a child control or another
  // window) is a move outside it.
  if (impl_.Live()) impl_.events.OnNonClientMouseMove();
}

void ClientArea::Mouse(MouseAction action, QMouseEvent* event) {
  if (!impl_.Live()) return;
  const QPoint p = event->position().toPoint();
  impl_.events.OnMouse({action, {p.x(), p.y()}, (event->buttons() & Qt::LeftButton) != 0,
                        (event->buttons() & Qt::RightButton) != 0});
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  if (impl_.allowClose) {
    event->accept();
    return;
  }
  event->ignore();
  if (impl_.Live()) impl_.events.OnClose();
}

void FrameWindow::moveEvent(QMoveEvent*) {
  if (impl_.Live()) impl_.events.OnMove();
}

void FrameWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !impl_.Live()) return;
  if (isMinimized()) {
    impl_.events.OnSize(SizeKind::Minimized, {0, 0});
    return;
  }
  // A restore from minimized leaves the client area as it was, so no resize
  // follows; report it as a size change of its own, as the window system
  // does, so that the program lays the window out again.
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if ((change->oldState() & Qt::WindowMinimized) != 0) {
    impl_.events.OnSize(impl_.CurrentSizeKind(), {impl_.client->width(), impl_.client->height()});
  }
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
  if (impl_.Live() && watched == menuBar() &&
      (event->type() == QEvent::MouseMove || event->type() == QEvent::HoverMove)) {
    impl_.events.OnNonClientMouseMove();
  }
  return QMainWindow::eventFilter(watched, event);
}

void NativeWindow::Impl::AddItems(QMenu* menu, const std::vector<MenuItemSpec>& items) {
  for (const MenuItemSpec& item : items) {
    if (item.IsSeparator()) {
      menu->addSeparator();
    } else if (!item.children.empty()) {
      QMenu* sub = menu->addMenu(QString::fromStdString(item.text));
      AddItems(sub, item.children);
    } else {
      QAction* action = menu->addAction(QString::fromStdString(item.text));
      const int id = item.id;
      actions[id] = action;
      commandOrder.push_back(id);
      QObject::connect(action, &QAction::triggered, frame.get(), [this, action, id] {
        // Menu items never check themselves; the program sets the marks.
        if (action->isCheckable()) action->setChecked(checked[id]);
        if (Live()) events.OnCommand(id);
      });
    }
  }
}

NativeWindow::NativeWindow(WindowEvents& events) : impl_(std::make_unique<Impl>(events)) {
  impl_->frame = std::make_unique<FrameWindow>(*impl_);
  impl_->frame->setAttribute(Qt::WA_DeleteOnClose, false);
  impl_->frame->resize(800, 600);
  impl_->client = new ClientArea(*impl_, impl_->frame.get());
  impl_->frame->setCentralWidget(impl_->client);
  impl_->frame->menuBar()->setMouseTracking(true);
  impl_->frame->menuBar()->installEventFilter(impl_->frame.get());

  impl_->horizontal = new QScrollBar(Qt::Horizontal, impl_->client);
  impl_->vertical = new QScrollBar(Qt::Vertical, impl_->client);
  for (ScrollBarId id : {ScrollBarId::Horizontal, ScrollBarId::Vertical}) {
    QScrollBar* bar = impl_->Bar(id);
    bar->setFocusPolicy(Qt::NoFocus);
    QObject::connect(bar, &QScrollBar::actionTriggered, bar, [this, id, bar](int action) {
      if (!impl_->Live()) return;
      ScrollAction kind;
      switch (action) {
        case QAbstractSlider::SliderSingleStepSub: kind = ScrollAction::LineUp; break;
        case QAbstractSlider::SliderSingleStepAdd: kind = ScrollAction::LineDown; break;
        case QAbstractSlider::SliderPageStepSub: kind = ScrollAction::PageUp; break;
        case QAbstractSlider::SliderPageStepAdd: kind = ScrollAction::PageDown; break;
        case QAbstractSlider::SliderToMinimum: kind = ScrollAction::Top; break;
        case QAbstractSlider::SliderToMaximum: kind = ScrollAction::Bottom; break;
        case QAbstractSlider::SliderMove: kind = ScrollAction::ThumbTrack; break;
        default: return;
      }
      impl_->events.OnScroll(id, kind, bar->sliderPosition());
    });
    QObject::connect(bar, &QScrollBar::sliderReleased, bar, [this, id, bar] {
      if (impl_->Live()) impl_->events.OnScroll(id, ScrollAction::ThumbPosition, bar->sliderPosition());
    });
  }
  // On a screen with more device pixels than pixels, texts are kept for
  // drawing sharp from the first one on.
  if (qGuiApp->devicePixelRatio() > 1.0) KeepSharpText(true);
  impl_->surface.Allocate(800, 600);
}

NativeWindow::~NativeWindow() {
  impl_->destroyed = true;
  impl_->allowClose = true;
}

Size NativeWindow::ScreenSize() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {1024, 768};
  const QRect r = screen->geometry();
  return {r.width(), r.height()};
}

int NativeWindow::CaptionHeight() const {
  const int height = impl_->frame->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  return height > 0 ? height : 23;
}

void NativeWindow::SetCaption(const std::string& caption) {
  impl_->frame->setWindowTitle(QString::fromStdString(caption));
}
std::string NativeWindow::Caption() const { return impl_->frame->windowTitle().toStdString(); }

Rect NativeWindow::WindowRect() const {
  const QRect r = impl_->frame->frameGeometry();
  return {r.x(), r.y(), r.width(), r.height()};
}

void NativeWindow::SetWindowRect(const Rect& rect) {
  FrameWindow& frame = *impl_->frame;
  const QSize extra = frame.frameGeometry().size() - frame.geometry().size();
  frame.move(rect.x, rect.y);
  frame.resize(std::max(1, rect.w - extra.width()), std::max(1, rect.h - extra.height()));
}

Size NativeWindow::ClientSize() const { return {impl_->client->width(), impl_->client->height()}; }
void NativeWindow::Show() { impl_->frame->show(); }
void NativeWindow::ShowMinimized() { impl_->frame->showMinimized(); }
void NativeWindow::ShowNormal() { impl_->frame->showNormal(); }
bool NativeWindow::IsVisible() const { return impl_->frame->isVisible(); }
bool NativeWindow::IsMinimized() const { return impl_->frame->isMinimized(); }
bool NativeWindow::IsMaximized() const { return impl_->frame->isMaximized(); }
void NativeWindow::SetFocus() {
  if (impl_->Live()) impl_->client->setFocus(Qt::OtherFocusReason);
}

void NativeWindow::Destroy() {
  if (impl_->destroyed) return;
  impl_->destroyed = true;
  impl_->allowClose = true;
  for (auto& [id, timer] : impl_->timers) timer->stop();
  impl_->frame->hide();
}
bool NativeWindow::IsDestroyed() const { return impl_->destroyed; }

void NativeWindow::SetMenu(const MenuBarSpec& menu) {
  QMenuBar* bar = impl_->frame->menuBar();
  bar->clear();
  impl_->actions.clear();
  impl_->checked.clear();
  impl_->popupItems.clear();
  impl_->commandOrder.clear();
  for (const MenuItemSpec& popup : menu) {
    QMenu* popupMenu = bar->addMenu(QString::fromStdString(popup.text));
    impl_->AddItems(popupMenu, popup.children);
    const QList<QAction*> items = popupMenu->actions();
    impl_->popupItems.emplace_back(items.begin(), items.end());
  }
}

void NativeWindow::EnableMenuItem(int id, bool enabled) {
  if (auto it = impl_->actions.find(id); it != impl_->actions.end()) it->second->setEnabled(enabled);
}
bool NativeWindow::IsMenuItemEnabled(int id) const {
  auto it = impl_->actions.find(id);
  return it != impl_->actions.end() && it->second->isEnabled();
}
void NativeWindow::CheckMenuItem(int id, bool checked) {
  auto it = impl_->actions.find(id);
  if (it == impl_->actions.end()) return;
  impl_->checked[id] = checked;
  it->second->setCheckable(true);
  it->second->setChecked(checked);
}
bool NativeWindow::IsMenuItemChecked(int id) const {
  auto it = impl_->checked.find(id);
  return it != impl_->checked.end() && it->second;
}
void NativeWindow::EnableMenuItemAt(int popup, int position, bool enabled) {
  if (QAction* action = impl_->ActionAt(popup, position)) action->setEnabled(enabled);
}
bool NativeWindow::IsMenuItemAtEnabled(int popup, int position) const {
  const QAction* action = impl_->ActionAt(popup, position);
  return action != nullptr && action->isEnabled();
}
std::string NativeWindow::MenuItemTextAt(int popup, int position) const {
  const QAction* action = impl_->ActionAt(popup, position);
  return action != nullptr ? action->text().toStdString() : std::string();
}
int NativeWindow::MenuItemCountAt(int popup) const {
  if (popup < 0 || popup >= static_cast<int>(impl_->popupItems.size())) return 0;
  return static_cast<int>(impl_->popupItems[static_cast<std::size_t>(popup)].size());
}
std::vector<int> NativeWindow::MenuCommandIds() const { return impl_->commandOrder; }

void NativeWindow::TriggerMenuItem(int id) {
  auto it = impl_->actions.find(id);
  if (it == impl_->actions.end()) return;
  // A disabled popup disables the items inside it as the user sees them.
  for (QObject* p = it->second->parent(); p != nullptr; p = p->parent()) {
    if (auto* menu = qobject_cast<QMenu*>(p); menu != nullptr && !menu->menuAction()->isEnabled()) {
      return;
    }
  }
  if (it->second->isEnabled()) it->second->trigger();
}

void NativeWindow::CreateButton(int id, const std::string& caption, bool checkable, int width,
                                int height) {
  auto* button = new QPushButton(QString::fromStdString(caption), impl_->client);
  button->setCheckable(checkable);
  button->setFocusPolicy(Qt::NoFocus);
  button->resize(width, height);
  button->show();
  QObject::connect(button, &QPushButton::clicked, button, [this, id] {
    if (impl_->Live()) impl_->events.OnCommand(id);
  });
  impl_->buttons[id] = button;
}

void NativeWindow::SetButtonCaption(int id, const std::string& caption) {
  if (auto it = impl_->buttons.find(id); it != impl_->buttons.end()) {
    it->second->setText(QString::fromStdString(caption));
  }
}
std::string NativeWindow::ButtonCaption(int id) const {
  auto it = impl_->buttons.find(id);
  return it != impl_->buttons.end() ? it->second->text().toStdString() : std::string();
}
void NativeWindow::EnableButton(int id, bool enabled) {
  if (auto it = impl_->buttons.find(id); it != impl_->buttons.end()) it->second->setEnabled(enabled);
}
bool NativeWindow::IsButtonEnabled(int id) const {
  auto it = impl_->buttons.find(id);
  return it != impl_->buttons.end() && it->second->isEnabled();
}
void NativeWindow::SetButtonChecked(int id, bool checked) {
  if (auto it = impl_->buttons.find(id); it != impl_->buttons.end()) it->second->setChecked(checked);
}
bool NativeWindow::IsButtonChecked(int id) const {
  auto it = impl_->buttons.find(id);
  return it != impl_->buttons.end() && it->second->isChecked();
}
void NativeWindow::MoveButton(int id, const Rect& rect) {
  if (auto it = impl_->buttons.find(id); it != impl_->buttons.end()) {
    it->second->setGeometry(rect.x, rect.y, rect.w, rect.h);
  }
}
Rect NativeWindow::ButtonRect(int id) const {
  auto it = impl_->buttons.find(id);
  if (it == impl_->buttons.end()) return {};
  const QRect r = it->second->geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}
void NativeWindow::SetButtonFont(int id, const FontSpec& font) {
  if (auto it = impl_->buttons.find(id); it != impl_->buttons.end()) it->second->setFont(ToQFont(font));
}
void NativeWindow::ClickButton(int id) {
  auto it = impl_->buttons.find(id);
  if (it != impl_->buttons.end() && it->second->isEnabled()) it->second->click();
}

void NativeWindow::MoveScrollBar(ScrollBarId bar, const Rect& rect) {
  impl_->Bar(bar)->setGeometry(rect.x, rect.y, rect.w, rect.h);
}
Rect NativeWindow::ScrollBarRect(ScrollBarId bar) const {
  const QRect r = impl_->Bar(bar)->geometry();
  return {r.x(), r.y(), r.width(), r.height()};
}
void NativeWindow::SetScrollRange(ScrollBarId bar, int minimum, int maximum) {
  impl_->Bar(bar)->setRange(minimum, maximum);
}
void NativeWindow::SetScrollPosition(ScrollBarId bar, int position) {
  QScrollBar* scroll = impl_->Bar(bar);
  const QSignalBlocker block(scroll);
  scroll->setValue(position);
}
int NativeWindow::ScrollPosition(ScrollBarId bar) const { return impl_->Bar(bar)->value(); }
void NativeWindow::EnableScrollBar(ScrollBarId bar, bool enabled) {
  impl_->Bar(bar)->setEnabled(enabled);
}
bool NativeWindow::IsScrollBarEnabled(ScrollBarId bar) const { return impl_->Bar(bar)->isEnabled(); }

DisplayBitmap& NativeWindow::Surface() { return impl_->surface; }

void NativeWindow::Invalidate() {
  impl_->needsPaint = true;
  if (impl_->Live()) impl_->client->update();
}
void NativeWindow::Present() {
  if (impl_->Live()) impl_->client->update();
}
void NativeWindow::UpdateNow() {
  if (!impl_->Live()) return;
  if (impl_->needsPaint) {
    impl_->needsPaint = false;
    impl_->events.OnPaint();
  }
  impl_->client->update();
}

namespace {

// A cursor from its pixel pattern: white and black pixels shown as they
// are, the rest transparent. On a screen with more device pixels each
// pattern pixel is a solid block of them, so the pointer stays sharp.
QCursor MakeCursor(int shape) {
  const PointerImage pattern = MakePointerImage(shape);
  const int scale = std::clamp(qRound(qGuiApp->devicePixelRatio()), 1, 4);
  QImage image(scale * kPointerSize, scale * kPointerSize, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const PointerPixel p = PixelAt(pattern, x / scale, y / scale);
      if (p == PointerPixel::White) image.setPixel(x, y, qRgba(255, 255, 255, 255));
      if (p == PointerPixel::Black) image.setPixel(x, y, qRgba(0, 0, 0, 255));
    }
  }
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(scale);
  return QCursor(pixmap, kPointerHotSpot, kPointerHotSpot);
}

}  // namespace

void NativeWindow::SetPointerShape(int shape) {
  if (shape < 1 || shape > 3) shape = 1;
  if (!impl_->Live() || shape == impl_->pointerShape) return;
  impl_->pointerShape = shape;
  impl_->client->setCursor(MakeCursor(shape));
}

int NativeWindow::PointerShape() const { return impl_->pointerShape; }

Point NativeWindow::CursorPosition() const {
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}
void NativeWindow::SetCursorPosition(Point screen) { QCursor::setPos(screen.x, screen.y); }
Point NativeWindow::ClientToScreen(Point client) const {
  const QPoint p = impl_->client->mapToGlobal(QPoint(client.x, client.y));
  return {p.x(), p.y()};
}
bool NativeWindow::IsLeftButtonDown() const {
  return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}

bool NativeWindow::FrameDragHidesMouseButton() const {
  // Only on Windows does the program see the button held while the user
  // drags the frame.
  return QGuiApplication::platformName() != QStringLiteral("windows");
}

void NativeWindow::StartTimer(int timerId, int delayMs) {
  if (!impl_->Live()) return;
  QTimer*& timer = impl_->timers[timerId];
  if (timer == nullptr) {
    timer = new QTimer(impl_->frame.get());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timerId] {
      if (impl_->Live()) impl_->events.OnTimer(timerId);
    });
  }
  timer->start(std::max(0, delayMs));
}

void NativeWindow::StopTimer(int timerId) {
  if (auto it = impl_->timers.find(timerId); it != impl_->timers.end()) it->second->stop();
}

bool NativeWindow::IsTimerActive(int timerId) const {
  auto it = impl_->timers.find(timerId);
  return it != impl_->timers.end() && it->second->isActive();
}

void NativeWindow::SendKey(int qtKey) {
  QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
  QCoreApplication::sendEvent(impl_->client, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier);
  QCoreApplication::sendEvent(impl_->client, &release);
}

void NativeWindow::SendMouse(MouseAction action, Point client) {
  const QPointF local(client.x, client.y);
  const QPointF global = impl_->client->mapToGlobal(local);
  QEvent::Type type = QEvent::MouseMove;
  Qt::MouseButton button = Qt::NoButton;
  Qt::MouseButtons held = Qt::NoButton;
  switch (action) {
    case MouseAction::Move: break;
    case MouseAction::LeftDown:
      type = QEvent::MouseButtonPress;
      button = Qt::LeftButton;
      held = Qt::LeftButton;
      break;
    case MouseAction::LeftUp: type = QEvent::MouseButtonRelease; button = Qt::LeftButton; break;
    case MouseAction::RightDown:
      type = QEvent::MouseButtonPress;
      button = Qt::RightButton;
      held = Qt::RightButton;
      break;
    case MouseAction::RightUp: type = QEvent::MouseButtonRelease; button = Qt::RightButton; break;
  }
  QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(impl_->client, &event);
}

void NativeWindow::TriggerScrollAction(ScrollBarId bar, ScrollAction action) {
  QAbstractSlider::SliderAction slider = QAbstractSlider::SliderNoAction;
  switch (action) {
    case ScrollAction::LineUp: slider = QAbstractSlider::SliderSingleStepSub; break;
    case ScrollAction::LineDown: slider = QAbstractSlider::SliderSingleStepAdd; break;
    case ScrollAction::PageUp: slider = QAbstractSlider::SliderPageStepSub; break;
    case ScrollAction::PageDown: slider = QAbstractSlider::SliderPageStepAdd; break;
    case ScrollAction::Top: slider = QAbstractSlider::SliderToMinimum; break;
    case ScrollAction::Bottom: slider = QAbstractSlider::SliderToMaximum; break;
    case ScrollAction::ThumbTrack:
    case ScrollAction::ThumbPosition: return;
  }
  impl_->Bar(bar)->triggerAction(slider);
}

void NativeWindow::RequestClose() { impl_->frame->close(); }

void* NativeWindow::NativeHandle() const { return impl_->frame.get(); }

void QuitMessageLoop(int exitCode) { QCoreApplication::exit(exitCode); }
void ProcessWindowEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace sonavue::platform
