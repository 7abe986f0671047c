// The window front: what request threads and the upgrade hand to the window is queued
// to the window's own thread (FLTK's awake queue); widgets are touched only there.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "http/request_log.hpp"
#include "shell/core/application.hpp"
#include "shell/window/form5.hpp"

namespace vantor::shell {

class WindowFront final : public OperatorFront, public http::ActivityLog {
 public:
  explicit WindowFront(Form5& form) : form_(form), ui_thread_(std::this_thread::get_id()) {}

  void set_title(const std::string& title) override;
  void show_error(const std::string& message) override;
  void show_status(const std::string& message) override;
  // The log shows the last request: blocks that arrive faster than the window draws
  // replace each other.
  void publish(http::LogBlock block) override;

 private:
  static void show_latest_block(void* self);
  bool on_ui_thread() const { return std::this_thread::get_id() == ui_thread_; }

  Form5& form_;
  std::thread::id ui_thread_;
  std::mutex mutex_;
  std::optional<http::LogBlock> latest_;
};

}  // namespace vantor::shell
