// The ring of the activity log's recent blocks that the operator console shows a viewer
// when it opens: the newest 500 blocks or 4 MiB of them, whichever is less. It is all
// the console keeps while nobody watches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace vantor::shell {

// One request's block as the console sends it: its event, ready to go out.
struct ConsoleBlock {
  std::uint64_t number = 0;
  std::string event;  // a Server-Sent Events message
};

class RecentBlocks {
 public:
  static constexpr std::size_t kMaxBlocks = 500;
  static constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;

  explicit RecentBlocks(std::size_t max_blocks = kMaxBlocks, std::size_t max_bytes = kMaxBytes)
      : max_blocks_(max_blocks), max_bytes_(max_bytes) {}

  // The oldest blocks make room; a block bigger than the whole ring is not kept.
  void add(ConsoleBlock block);
  // The newest first, as many as fit in bytes.
  std::vector<ConsoleBlock> newest(std::size_t bytes) const;
  std::size_t size() const { return blocks_.size(); }
  std::size_t bytes() const { return bytes_; }

 private:
  std::size_t max_blocks_;
  std::size_t max_bytes_;
  std::deque<ConsoleBlock> blocks_;
  std::size_t bytes_ = 0;
};

}  // namespace vantor::shell
