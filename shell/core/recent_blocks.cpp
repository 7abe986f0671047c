// The ring of recent blocks.
#include "shell/core/recent_blocks.hpp"

namespace vantor::shell {

void RecentBlocks::add(ConsoleBlock block) {
  if (block.event.size() > max_bytes_ || max_blocks_ == 0) return;
  bytes_ += block.event.size();
  blocks_.push_back(std::move(block));
  while (blocks_.size() > max_blocks_ || bytes_ > max_bytes_) {
    bytes_ -= blocks_.front().event.size();
    blocks_.pop_front();
  }
}

std::vector<ConsoleBlock> RecentBlocks::newest(std::size_t bytes) const {
  std::vector<ConsoleBlock> newest;
  std::size_t taken = 0;
  for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
    if (taken + block->event.size() > bytes) break;
    taken += block->event.size();
    newest.push_back(*block);
  }
  return newest;
}

}  // namespace vantor::shell
