#include "platform/GuiWaker.h"

#include <QCoreApplication>
#include <QObject>
#include <atomic>

namespace sonavue::platform {

struct GuiWaker::Impl {
  std::function<void()> onWake;
  QObject context;
  // One queued call is enough however often Wake() runs before it is served.
  std::atomic<bool> queued{false};
};

GuiWaker::GuiWaker(std::function<void()> onWake) : impl_(std::make_unique<Impl>()) {
  impl_->onWake = std::move(onWake);
  if (QCoreApplication::instance() != nullptr) {
    impl_->context.moveToThread(QCoreApplication::instance()->thread());
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

}  // namespace sonavue::platform
