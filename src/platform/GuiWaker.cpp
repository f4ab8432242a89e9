#include "platform/GuiWaker.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <atomic>

namespace sonavue::platform {

struct GuiWaker::Impl {
  std::function<void()> onWake;
  QObject context;
  // One queued call is enough however often Wake() runs before it is served.
  std::atomic<bool> queued{false};
  // Raised by WakeFromAudio; served when the GUI thread's event loop wakes.
  std::atomic<bool> signalled{false};
  QAbstractEventDispatcher* dispatcher = nullptr;
};

GuiWaker::GuiWaker(std::function<void()> onWake) : impl_(std::make_unique<Impl>()) {
  impl_->onWake = std::move(onWake);
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return;
  impl_->context.moveToThread(application->thread());
  impl_->dispatcher = QAbstractEventDispatcher::instance(application->thread());
  if (impl_->dispatcher != nullptr) {
    // The dispatcher says "awake" each time the GUI thread's event loop goes
    // round, including after a wakeUp() from another thread.
    Impl* impl = impl_.get();
    QObject::connect(impl->dispatcher, &QAbstractEventDispatcher::awake, &impl->context, [impl] {
      if (impl->signalled.load(std::memory_order_relaxed) && impl->signalled.exchange(false)) impl->onWake();
    });
  }
}

GuiWaker::~GuiWaker() = default;

void GuiWaker::Wake() {
  if (impl_->queued.exchange(true)) return;
  Impl* impl = impl_.get();
  QMetaObject::invokeMethod(
      &impl->context,
      [impl] {
        impl->queued = false;
        impl->onWake();
      },
      Qt::QueuedConnection);
}

void GuiWaker::WakeFromAudio() noexcept {
  if (impl_->signalled.exchange(true)) return;
  // Thread-safe; writes to the event loop's wake-up descriptor.
  if (impl_->dispatcher != nullptr) impl_->dispatcher->wakeUp();
}

}  // namespace sonavue::platform
