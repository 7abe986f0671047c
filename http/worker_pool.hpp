// A fixed number of threads that run requests, so that no more requests touch the
// database at once than the attachment pool has attachments. The threads are shared by
// lanes, one per route class:
//   lookups                 any thread
//   big lists               all but one: a lookup always finds a thread
//   writes (lock waits)     all but one: a read always finds a thread
//   caller's statements     all but two, at least one; they count as lock waits too, so
//                           they never hold every thread the writes may use
// On 2 cores (4 workers): 4 for lookups, 3 for big lists, 3 for writes and caller's
// statements together, 2 for caller's statements. A job whose lane is full is passed
// over; the others go on in order. Big lists and caller's statements, whose answers can
// be large, also wait (in the queue, holding no thread) while the answer budget is spent.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "http/http_request.hpp"

namespace vantor::http {

struct WorkerJob {
  std::function<void()> run;
  // Called instead of run when the job is dropped before it started (at a stop).
  std::function<void()> drop;
  // Its lane.
  RouteClass route_class = RouteClass::Lookup;
};

class WorkerPool {
 public:
  explicit WorkerPool(std::size_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Runs job on a free thread in the order of posting, except that a job whose lane is
  // full is passed over until a thread of its lane comes free.
  void post(WorkerJob job);
  // Jobs waiting for a thread.
  std::size_t queued() const;
  // Whether a job that builds a large answer may start now; unset: always.
  void set_room_for_answers(std::function<bool()> check);
  // Looks again at jobs passed over for want of room (room came back).
  void wake();
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
  std::size_t waiting_jobs_running_ = 0;  // lock waits and caller's statements
  std::size_t callers_running_ = 0;
  std::size_t big_lists_running_ = 0;
  std::size_t waiting_limit_;
  std::size_t caller_limit_;
  std::size_t big_list_limit_;
  std::function<bool()> room_for_answers_;
  bool may_start(const WorkerJob& job) const;
  void count(const WorkerJob& job, bool starting);
  bool stopping_ = false;
  std::function<void()> on_dequeue_;
  std::vector<std::thread> threads_;
};

}  // namespace vantor::http
