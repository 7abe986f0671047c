// Taking and giving back room for answers.
#include "http/answer_budget.hpp"

#include <vector>

namespace vantor::http {

void AnswerBudget::acquire(std::size_t bytes, std::function<void()> go) {
  if (waiters_.empty() && fits(bytes)) {
    held_ += bytes;
    go();
    return;
  }
  waiters_.push_back(Waiter{bytes, std::move(go)});
  ++waiting_count_;
  release(0);  // a small one may fit beside those already waiting
}

void AnswerBudget::drop_waiters() {
  waiters_.clear();
  waiting_count_ = 0;
}

void AnswerBudget::release(std::size_t bytes) {
  held_ -= bytes;
  std::vector<std::function<void()>> ready;
  for (auto waiter = waiters_.begin(); waiter != waiters_.end();) {
    if (!fits(waiter->bytes)) {
      ++waiter;
      continue;
    }
    held_ += waiter->bytes;
    ready.push_back(std::move(waiter->go));
    waiter = waiters_.erase(waiter);
    --waiting_count_;
  }
  for (auto& go : ready) go();
}

}  // namespace vantor::http
