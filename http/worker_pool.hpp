// A fixed number of threads that run requests, so that no more requests touch the
// database at once than the attachment pool has attachments. Requests that can wait on
// a row lock never hold every thread: one is always left for the others.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor::http {

struct WorkerJob {
  std::function<void()> run;
  // Called instead of run when the job is dropped before it started (at a stop).
  std::function<void()> drop;
  // The job can wait on a row lock that another transaction holds.
  bool may_wait_on_lock = false;
};

class WorkerPool {
 public:
  explicit WorkerPool(std::size_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Runs job on a free thread in the order of posting, except that a job that can wait
  // on a lock is passed over while all but one thread run such jobs.
  void post(WorkerJob job);
  // Jobs waiting for a thread.
  std::size_t queued() const;
  // Called on a worker thread each time a job leaves the queue.
  void set_on_dequeue(std::function<void()> callback) { on_dequeue_ = std::move(callback); }
  // Drops the jobs still waiting (each one's drop runs), lets running jobs finish and
  // joins the threads.
  void stop();
  // The same, but waits for running jobs only until deadline: false when some still
  // run then (the threads are then not joined; stop() does that).
  bool stop_before(std::chrono::steady_clock::time_point deadline);

 private:
  void run();
  void drop_queued();
  // The first job a thread may take now, or end(); with the lock held.
  std::deque<WorkerJob>::iterator next_job();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<WorkerJob> jobs_;
  std::condition_variable idle_;
  std::size_t running_ = 0;
  std::size_t waiting_jobs_running_ = 0;
  std::size_t waiting_limit_;
  bool stopping_ = false;
  std::function<void()> on_dequeue_;
  std::vector<std::thread> threads_;
};

}  // namespace vantor::http
