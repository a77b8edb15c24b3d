#include "gui/post_back.h"

#include <memory>
#include <mutex>

namespace vistrel {

namespace {

// The context while it lives; cleared on the context's thread as it is destroyed, under the
// same lock the worker posts with, so a post never reaches a destroyed object.
struct PostTarget {
  std::mutex mutex;
  QObject* context = nullptr;
};

}  // namespace

PostBack PostTo(QObject* context) {
  auto target = std::make_shared<PostTarget>();
  target->context = context;
  QObject::connect(context, &QObject::destroyed, [target] {
    const std::lock_guard lock(target->mutex);
    target->context = nullptr;
  });
  return [target](std::function<void()> deliver) {
    const std::lock_guard lock(target->mutex);
    if (target->context == nullptr) return;
    QMetaObject::invokeMethod(target->context, std::move(deliver), Qt::QueuedConnection);
  };
}

}  // namespace vistrel
