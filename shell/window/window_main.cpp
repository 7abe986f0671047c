// vantor-window: the server behind its desktop window. Start-up runs before the window
// shows; "update" runs the upgrade off the window thread while the window keeps
// repainting; "Exit" or the window's own close control shut the server down in order.
#include <pthread.h>
#include <signal.h>

#include <FL/Fl.H>

#include <atomic>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "shell/core/application.hpp"
#include "shell/core/config_files.hpp"
#include "shell/core/version.hpp"
#include "shell/window/form5.hpp"
#include "shell/window/window_front.hpp"

namespace {

using namespace vantor;

struct Controls {
  shell::Application* application;
  shell::Form5* form;
  std::thread upgrade;
  std::atomic<bool> upgrading{false};
};

void on_update(Fl_Widget*, void* data) {
  auto& controls = *static_cast<Controls*>(data);
  if (controls.upgrading.exchange(true)) return;
  if (controls.upgrade.joinable()) controls.upgrade.join();
  controls.form->set_busy(true);
  controls.upgrade = std::thread([&controls] {
    controls.application->RzBitBtn2Click();
    Fl::awake(
        [](void* data) {
          auto& done = *static_cast<Controls*>(data);
          done.form->set_busy(false);
          done.upgrading = false;
        },
        &controls);
  });
}

void on_check(Fl_Widget* widget, void* data) {
  static_cast<Controls*>(data)->application->set_no_check_digit(static_cast<Fl_Check_Button*>(widget)->value() != 0);
}

void on_close(Fl_Widget*, void* data) { static_cast<Controls*>(data)->form->hide(); }

// SIGINT and SIGTERM close the window, which shuts the server down in order.
void close_on_signals(sigset_t signals, shell::Form5* form) {
  int received = 0;
  if (sigwait(&signals, &received) == 0) {
    Fl::awake([](void* data) { static_cast<shell::Form5*>(data)->hide(); }, form);
  }
}

// --help and --version answer without opening a window (the manual page is made of them).
std::optional<int> answer_arguments(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  const std::string argument = argv[1];
  if (argument == "--version") {
    std::cout << "vantor-window " << shell::version_text() << "\n";
    return 0;
  }
  if (argument == "--help") {
    std::cout << "vantor-window " << shell::version_text()
              << ": the Vantor API Server behind a desktop window.\n\n"
                 "usage: vantor-window | --help | --version\n\n"
                 "Serves as vantor-server does, with the settings of port.txt, ip.txt and vantor.conf\n"
                 "in the program's folder (vantor-server --help lists them). The window shows the\n"
                 "activity log of each request and the last picture an answer carried; its buttons\n"
                 "run the schema upgrade (update), turn No Check Digit on and off, and stop the server\n"
                 "in order (Exit). SIGINT and SIGTERM close the window the same way.\n";
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto status = answer_arguments(argc, argv)) return *status;
  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  shell::raise_open_file_limit();
  shell::tune_memory_for_big_answers();
  Fl::lock();  // lets other threads queue work for the window's thread
  Fl::visual(FL_DOUBLE | FL_INDEX);

  shell::Form5 form;
  shell::WindowFront front(form);
  // a bad vantor.conf is shown in the error box, and the window does not listen
  std::optional<shell::ServerConfig> config;
  try {
    config = shell::read_config(shell::default_config_folder());
  } catch (const std::exception& failure) {
    front.show_error(failure.what());
  }
  shell::Application application(front, front, config.value_or(shell::ServerConfig{}));
  Controls controls{&application, &form, {}, {}};
  form.RzBitBtn2->callback(on_update, &controls);
  form.RzBitBtn1->callback(on_close, &controls);
  form.mycheck->callback(on_check, &controls);
  form.callback(on_close, &controls);
  std::thread(close_on_signals, signals, &form).detach();

  if (config) {
    for (const auto& warning : config->warnings) front.show_error("warning: " + warning);
    application.set_no_check_digit(config->no_check_digit);
    form.mycheck->value(config->no_check_digit ? 1 : 0);
    application.FormCreate();
  }
  form.show(argc, argv);
  Fl::run();

  if (controls.upgrade.joinable()) controls.upgrade.join();
  application.FormCloseQuery();
  return 0;
}
