// A way to stop a running request from outside it: the connection that sees its client
// hang up calls cancel(); the request registers what stopping it takes (cancelling its
// statement) for as long as that can run.
#pragma once

#include <functional>
#include <mutex>

namespace vantor::http {

class Cancellation {
 public:
  // What cancel() does from now on; runs at once when it was cancelled already.
  void on_cancel(std::function<void()> stop) {
    std::lock_guard lock(mutex_);
    stop_ = std::move(stop);
    if (cancelled_ && stop_) stop_();
  }
  // After it returns, the function registered before is not running and will not run.
  void clear() {
    std::lock_guard lock(mutex_);
    stop_ = nullptr;
  }
  void cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (stop_) stop_();
  }
  bool cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
  }

 private:
  mutable std::mutex mutex_;
  std::function<void()> stop_;
  bool cancelled_ = false;
};

}  // namespace vantor::http
