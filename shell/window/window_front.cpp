// Handing log blocks, pictures, titles and messages to the window's thread.
#include "shell/window/window_front.hpp"

#include <FL/Fl.H>
#include <FL/fl_ask.H>

#include <functional>

namespace vantor::shell {
namespace {

// Runs a function on the window's thread.
void run_on_ui(std::function<void()> action) {
  auto* held = new std::function<void()>(std::move(action));
  Fl::awake(
      [](void* data) {
        std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(data));
        (*run)();
      },
      held);
}

}  // namespace

void WindowFront::set_title(const std::string& title) {
  if (on_ui_thread()) {
    form_.copy_label(title.c_str());
  } else {
    run_on_ui([this, title] { form_.copy_label(title.c_str()); });
  }
}

void WindowFront::show_error(const std::string& message) {
  const auto box = [message] { fl_alert("%s", message.c_str()); };
  if (on_ui_thread()) {
    box();
  } else {
    run_on_ui(box);
  }
}

void WindowFront::show_status(const std::string& message) {
  if (on_ui_thread()) {
    form_.append_line(message);
  } else {
    run_on_ui([this, message] { form_.append_line(message); });
  }
}

void WindowFront::publish(http::LogBlock block) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    wake = !latest_.has_value();
    if (latest_ && !block.picture && latest_->picture) block.picture = std::move(latest_->picture);
    latest_ = std::move(block);
  }
  if (wake) Fl::awake(show_latest_block, this);
}

void WindowFront::show_latest_block(void* self) {
  auto& front = *static_cast<WindowFront*>(self);
  std::optional<http::LogBlock> block;
  {
    std::lock_guard lock(front.mutex_);
    block.swap(front.latest_);
  }
  if (!block) return;
  front.form_.show_log(http::joined_lines(block->entries));
  if (block->picture) front.form_.show_picture(*block->picture);
}

}  // namespace vantor::shell
