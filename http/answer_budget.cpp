// Taking and giving back room for answers.
#include "http/answer_budget.hpp"

#include <vector>

namespace vantor::http {

void AnswerBudget::acquire(std::size_t bytes, std::function<void()> go) {
  std::vector<std::function<void()>> ready;
  {
    std::lock_guard lock(mutex_);
    if (waiters_.empty() && fits(bytes)) {
      held_ += bytes;
      ready.push_back(std::move(go));
    } else {
      waiters_.push_back(Waiter{bytes, std::move(go)});
      ++waiting_count_;
      ready = take_ready();  // a small one may fit beside those already waiting
    }
  }
  for (auto& waiter : ready) waiter();
}

bool AnswerBudget::try_acquire(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  if (!waiters_.empty() || !fits(bytes)) return false;
  held_ += bytes;
  return true;
}

void AnswerBudget::drop_waiters() {
  std::lock_guard lock(mutex_);
  waiters_.clear();
  waiting_count_ = 0;
}

void AnswerBudget::release(std::size_t bytes) {
  std::vector<std::function<void()>> ready;
  {
    std::lock_guard lock(mutex_);
    held_ -= bytes;
    ready = take_ready();
  }
  for (auto& go : ready) go();
}

std::vector<std::function<void()>> AnswerBudget::take_ready() {
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
  return ready;
}

}  // namespace vantor::http
