// The live feed of the operator console.
#include "shell/core/console_feed.hpp"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "encode/base64.hpp"
#include "text/json_string.hpp"

namespace vantor::shell {
namespace {

using namespace std::chrono_literals;

constexpr auto kPingEvery = 15s;     // a viewer that went away is found at the next write
constexpr auto kFlushEvery = 100ms;  // what came meanwhile goes to the viewers in one write
constexpr auto kSampleEvery = 1s;    // the counters' history

std::string local_time_now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof(text), "%H:%M:%S", &local);
  return text;
}

std::string sse(std::string_view name, const std::string& data) {
  return "event: " + std::string(name) + "\ndata: " + data + "\n\n";
}

// The block as the console prints it, with what the page filters it by.
std::string block_event(std::uint64_t number, const http::LogBlock& block) {
  std::string text;
  for (const auto& entry : block.entries) text += entry + '\n';
  if (block.access) text += *block.access + '\n';
  char milliseconds[32];
  std::snprintf(milliseconds, sizeof(milliseconds), "%.1f", block.milliseconds);
  std::string data = "{\"n\":" + std::to_string(number) + ",\"time\":" + text::json_quoted(local_time_now()) +
                     ",\"route\":" + text::json_quoted(block.route) +
                     ",\"outcome\":" + text::json_quoted(block.outcome) +
                     ",\"client\":" + text::json_quoted(block.client) + ",\"ms\":" + milliseconds +
                     ",\"text\":" + text::json_quoted(text) + "}";
  return sse("block", data);
}

std::string plain_base64(std::string_view bytes) {
  std::string text = encode::StreamToBase64(bytes);
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

}  // namespace

ConsoleFeed::ConsoleFeed(http::ActivityLog& front, const http::Metrics& metrics)
    : front_(front), metrics_(metrics), ticker_([this] { tick(); }) {}

ConsoleFeed::~ConsoleFeed() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (auto& viewer : viewers_) viewer->close();  // their connections are gone by now
  }
  wake_.notify_all();
  ticker_.join();
}

void ConsoleFeed::publish(http::LogBlock block) {
  {
    std::lock_guard lock(mutex_);
    const std::uint64_t number = ++blocks_;
    ConsoleBlock kept{number, block_event(number, block)};
    if (!viewers_.empty()) {
      broadcast(kept.event);
      if (block.picture) {
        ++picture_number_;
        const bool fits = block.picture->size() <= kMaxPictureBytes;
        picture_ = fits ? plain_base64(*block.picture) : std::string();
        broadcast(sse("picture", "{\"n\":" + std::to_string(picture_number_) +
                                     ",\"bytes\":" + std::to_string(block.picture->size()) +
                                     ",\"refused\":" + (fits ? "false" : "true") + "}"));
      }
    }
    recent_.add(std::move(kept));
  }
  front_.publish(std::move(block));
}

void ConsoleFeed::status(const std::string& line) {
  std::lock_guard lock(mutex_);
  std::string event =
      sse("status", "{\"time\":" + text::json_quoted(local_time_now()) + ",\"line\":" + text::json_quoted(line) + "}");
  broadcast(event);
  status_lines_.push_back(std::move(event));
  if (status_lines_.size() > kStatusLines) status_lines_.pop_front();
}

std::shared_ptr<ViewerQueue> ConsoleFeed::open_viewer() {
  std::lock_guard lock(mutex_);
  forget_gone_viewers();
  if (viewers_.size() >= kMaxViewers || stopping_) return nullptr;
  auto viewer = std::make_shared<ViewerQueue>();
  viewer->push(": vantor console\n\n");
  for (const auto& line : status_lines_) viewer->push(line);
  // the newest blocks that fit in half the queue, sent oldest first as they came
  auto newest = recent_.newest(ViewerQueue::kMaxBytes / 2);
  for (auto block = newest.rbegin(); block != newest.rend(); ++block) viewer->push(std::move(block->event));
  viewer->flush();  // all of it goes with the answer's head
  viewers_.push_back(viewer);
  return viewer;
}

std::size_t ConsoleFeed::viewers() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(viewers_.begin(), viewers_.end(), [](const auto& viewer) { return !viewer->gone(); }));
}

std::uint64_t ConsoleFeed::dropped() const {
  std::lock_guard lock(mutex_);
  std::uint64_t dropped = dropped_by_gone_;
  for (const auto& viewer : viewers_) dropped += viewer->dropped();
  return dropped;
}

std::pair<std::uint64_t, std::string> ConsoleFeed::picture() const {
  std::lock_guard lock(mutex_);
  return {picture_number_, picture_};
}

std::size_t ConsoleFeed::bytes_held() const {
  std::lock_guard lock(mutex_);
  std::size_t bytes = recent_.bytes() + picture_.capacity();
  for (const auto& line : status_lines_) bytes += line.size();
  for (const auto& viewer : viewers_) bytes += viewer->bytes();
  return bytes;
}

void ConsoleFeed::broadcast(const std::string& event) {
  for (const auto& viewer : viewers_) viewer->push(event);
}

void ConsoleFeed::forget_gone_viewers() {
  std::erase_if(viewers_, [this](const auto& viewer) {
    if (!viewer->gone()) return false;
    dropped_by_gone_ += viewer->dropped();
    return true;
  });
  if (viewers_.empty()) picture_ = std::string();  // kept for viewers only
}

// Every kFlushEvery the viewers get what came meanwhile; once a second the counters go
// into the history; every kPingEvery the viewers get a comment line, so that one that went
// away is found and let go.
void ConsoleFeed::tick() {
  using Clock = std::chrono::steady_clock;
  auto next_sample = Clock::now() + kSampleEvery;
  auto next_ping = Clock::now() + kPingEvery;
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, kFlushEvery, [this] { return stopping_.load(); });
    if (stopping_) break;
    if (Clock::now() >= next_ping) {
      broadcast(": ping\n\n");
      next_ping += kPingEvery;
    }
    for (const auto& viewer : viewers_) viewer->flush();
    if (Clock::now() < next_sample) continue;
    next_sample += kSampleEvery;
    lock.unlock();
    history_.sample(metrics_.totals());
    lock.lock();
    forget_gone_viewers();
  }
}

}  // namespace vantor::shell
