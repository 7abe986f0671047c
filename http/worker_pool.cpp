// Worker threads over one queue.
#include "http/worker_pool.hpp"

#include <algorithm>

namespace vantor::http {

WorkerPool::WorkerPool(std::size_t threads) {
  if (threads == 0) threads = 1;
  waiting_limit_ = std::max<std::size_t>(1, threads - 1);
  for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
}

WorkerPool::~WorkerPool() { stop(); }

void WorkerPool::post(WorkerJob job) {
  {
    std::lock_guard lock(mutex_);
    if (!stopping_) {
      jobs_.push_back(std::move(job));
      job = {};
    }
  }
  if (job.drop) {
    job.drop();  // posted after the stop began: never runs
    return;
  }
  wake_.notify_one();
}

std::size_t WorkerPool::queued() const {
  std::lock_guard lock(mutex_);
  return jobs_.size();
}

void WorkerPool::drop_queued() {
  std::deque<WorkerJob> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(jobs_);
  }
  wake_.notify_all();
  for (auto& job : dropped) {
    if (job.drop) job.drop();
  }
}

void WorkerPool::stop() {
  drop_queued();
  for (auto& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

bool WorkerPool::stop_before(std::chrono::steady_clock::time_point deadline) {
  drop_queued();
  std::unique_lock lock(mutex_);
  if (!idle_.wait_until(lock, deadline, [&] { return running_ == 0; })) return false;
  lock.unlock();
  stop();
  return true;
}

std::deque<WorkerJob>::iterator WorkerPool::next_job() {
  if (waiting_jobs_running_ < waiting_limit_) return jobs_.begin();
  return std::find_if(jobs_.begin(), jobs_.end(), [](const WorkerJob& job) { return !job.may_wait_on_lock; });
}

void WorkerPool::run() {
  for (;;) {
    WorkerJob job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || next_job() != jobs_.end(); });
      if (stopping_) return;
      const auto found = next_job();
      job = std::move(*found);
      jobs_.erase(found);
      ++running_;
      if (job.may_wait_on_lock) ++waiting_jobs_running_;
    }
    if (on_dequeue_) on_dequeue_();
    job.run();
    {
      std::lock_guard lock(mutex_);
      --running_;
      if (job.may_wait_on_lock) --waiting_jobs_running_;
    }
    idle_.notify_all();
    if (job.may_wait_on_lock) wake_.notify_all();  // a waiting job passed over before may go now
  }
}

}  // namespace vantor::http
