// Worker threads over one queue.
#include "http/worker_pool.hpp"

#include <algorithm>

namespace vantor::http {

WorkerPool::WorkerPool(std::size_t threads) {
  if (threads == 0) threads = 1;
  waiting_limit_ = std::max<std::size_t>(1, threads - 1);
  caller_limit_ = std::max<std::size_t>(1, threads >= 2 ? threads - 2 : 1);
  big_list_limit_ = std::max<std::size_t>(1, threads - 1);
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

void WorkerPool::set_room_for_answers(std::function<bool()> check) {
  std::lock_guard lock(mutex_);
  room_for_answers_ = std::move(check);
}

void WorkerPool::wake() {
  { std::lock_guard lock(mutex_); }  // a thread between its check and its wait sees the room
  wake_.notify_all();
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

namespace {

bool waits(const WorkerJob& job) {
  return job.route_class == RouteClass::LockWait || job.route_class == RouteClass::CallerStatement;
}

bool builds_large_answer(const WorkerJob& job) {
  return job.route_class == RouteClass::BigList || job.route_class == RouteClass::CallerStatement;
}

}  // namespace

bool WorkerPool::may_start(const WorkerJob& job) const {
  if (job.route_class == RouteClass::BigList && big_lists_running_ >= big_list_limit_) return false;
  if (waits(job)) {
    if (waiting_jobs_running_ >= waiting_limit_) return false;
    if (job.route_class == RouteClass::CallerStatement && callers_running_ >= caller_limit_) return false;
  }
  return !builds_large_answer(job) || !room_for_answers_ || room_for_answers_();
}

void WorkerPool::count(const WorkerJob& job, bool starting) {
  const auto step = [starting](std::size_t& running) { starting ? ++running : --running; };
  step(running_);
  if (waits(job)) step(waiting_jobs_running_);
  if (job.route_class == RouteClass::CallerStatement) step(callers_running_);
  if (job.route_class == RouteClass::BigList) step(big_lists_running_);
}

std::deque<WorkerJob>::iterator WorkerPool::next_job() {
  return std::find_if(jobs_.begin(), jobs_.end(), [this](const WorkerJob& job) { return may_start(job); });
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
      count(job, true);
    }
    if (on_dequeue_) on_dequeue_();
    job.run();
    {
      std::lock_guard lock(mutex_);
      count(job, false);
    }
    idle_.notify_all();
    if (job.route_class != RouteClass::Lookup) wake_.notify_all();  // a job passed over before may go now
  }
}

}  // namespace vantor::http
