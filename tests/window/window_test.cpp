// The desktop window under a virtual X server: title, log, option, picture and Exit,
// driven with xdotool and read back through the clipboard.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr unsigned short kPort = 8083;
constexpr int kPanelTop = 444 - 82;

std::string run(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
    ::pclose(pipe);
  }
  return output;
}

// Xvfb picks a free display itself and says its number once it accepts clients
// (-displayfd): no clash with another X server, and no guess at how long it takes to start
// on a loaded machine.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 60000) > 0 && ::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(ready[0]);
    display_ = ":" + number;
    ::setenv("DISPLAY", display_.c_str(), 1);
  }
  ~VirtualDisplay() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }

 private:
  std::string display_;
  pid_t pid_ = -1;
};

class Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { display_ = new VirtualDisplay(); }
  static void TearDownTestSuite() { delete display_; }

  // The id of the window titled title, once it exists.
  static std::string find_window(const std::string& title) {
    for (int i = 0; i < 600; ++i) {
      std::string id = run("xdotool search --name '" + title + "' 2>/dev/null");
      if (!id.empty()) return id.substr(0, id.find('\n'));
      std::this_thread::sleep_for(50ms);
    }
    return {};
  }

  static void click(const std::string& window, int x, int y) {
    run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    std::this_thread::sleep_for(200ms);
  }

  // The text of the activity log: select all, copy, read the clipboard.
  static std::string log_text(const std::string& window) {
    click(window, 300, 150);
    run("xdotool key ctrl+a ctrl+c");
    std::this_thread::sleep_for(200ms);
    return run("xclip -o -selection clipboard 2>/dev/null");
  }

  // The log once it holds text (the window draws on its own time, slower under load).
  static std::string log_with(const std::string& window, const std::string& text) {
    std::string log;
    for (int i = 0; i < 40 && log.find(text) == std::string::npos; ++i) {
      std::this_thread::sleep_for(250ms);
      log = log_text(window);
    }
    return log;
  }

  static VirtualDisplay* display_;
  TestDatabase database_;
};

VirtualDisplay* Window::display_ = nullptr;

TEST_F(Window, ServesLogsAndStopsFromItsWindow) {
  ServerProcess process(std::to_string(kPort), database_.connection_string(), "vantor-window");
  const std::string window = find_window("Vantor API Server ON PORT " + std::to_string(kPort));
  ASSERT_FALSE(window.empty()) << process.error();

  ASSERT_TRUE(http_get(kPort, "/nothing"));
  const std::string expected = "127.0.0.1\n/nothing\n\nBye Bye \n";
  const std::string log = log_with(window, expected);
  EXPECT_NE(log.find(expected), std::string::npos) << log;

  EXPECT_NE(http_get(kPort, "/price?code=5012345678900")->body.find("\"item\":\"A100\""), std::string::npos);
  click(window, 606 + 8, kPanelTop + 6 + 8);  // "No Check Digit"
  bool changed = false;
  for (int i = 0; i < 20 && !changed; ++i, std::this_thread::sleep_for(250ms)) {
    changed = http_get(kPort, "/price?code=5012345678900")->body.find("\"item\":\"A300\"") != std::string::npos;
  }
  EXPECT_TRUE(changed);

  ASSERT_TRUE(http_get(kPort, "/product_images?code=A100"));
  std::this_thread::sleep_for(500ms);
  const auto shot = std::filesystem::path(VANTOR_BINARY_DIR_DEFAULT) / "window-test.png";
  run("import -window " + window + " " + shot.string());
  EXPECT_TRUE(std::filesystem::exists(shot));

  click(window, 581 + 70, kPanelTop + 34 + 18);  // "Exit"
  EXPECT_EQ(process.wait_for_exit(), 0);
  EXPECT_FALSE(port_open(kPort));
}

TEST_F(Window, UpdateKeepsTheWindowAliveAndSaysWhenItEnds) {
  TestDatabase fresh(Template::Erp);
  ServerProcess process(std::to_string(kPort), fresh.connection_string(), "vantor-window");
  const std::string window = find_window("Vantor API Server ON PORT " + std::to_string(kPort));
  ASSERT_FALSE(window.empty());
  click(window, 103 + 80, kPanelTop + 8 + 16);  // "update"
  const std::string text = log_with(window, "update finished");
  EXPECT_NE(text.find("update finished"), std::string::npos) << text;
  process.signal(SIGTERM);  // closes the window: the same orderly shutdown as "Exit"
  EXPECT_EQ(process.wait_for_exit(), 0);
  EXPECT_FALSE(port_open(kPort));
}

}  // namespace
}  // namespace vantor::test
