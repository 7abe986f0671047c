// Listener and connections on Boost.Asio/Beast; requests on their loop or on the worker pool.
#include "http/http_server.hpp"

#include <utility>  // before Asio, which uses std::exchange

#include <sys/socket.h>

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

#include "http/answer_budget.hpp"
#include "http/client_address.hpp"
#include "http/event_loop.hpp"
#include "http/response_bytes.hpp"
#include "http/worker_pool.hpp"

namespace vantor::http {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = beast::http;
using tcp = asio::ip::tcp;
using error_code = boost::system::error_code;

class Session;

// One event loop and the connections it holds.
struct Loop {
  EventLoop events;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work;
  // Its open connections, under State::sessions_mutex. A connection usually ends on its
  // loop, but one whose request was dropped at a stop may end where that job is dropped.
  std::unordered_set<Session*> sessions;
  // Connections that wait to read their next request until the queue has room (held
  // here: nothing else of theirs is pending).
  std::vector<std::shared_ptr<Session>> parked;
  std::atomic<std::size_t> parked_count{0};

  void resume_parked();
};

struct HttpServer::State {
  State(ServerSettings settings_in, RequestHandler handler_in, LockWaitTest may_wait_in)
      : settings(settings_in),
        handler(std::move(handler_in)),
        may_wait_on_lock(std::move(may_wait_in)),
        budget(settings.answer_budget),
        workers(settings.workers) {
    for (std::size_t i = 0; i < std::max<std::size_t>(1, settings.event_loops); ++i) {
      loops.push_back(std::make_unique<Loop>());
    }
  }

  ServerSettings settings;
  RequestHandler handler;
  LockWaitTest may_wait_on_lock;
  InlineHandler run_inline;
  std::vector<std::unique_ptr<Loop>> loops;
  std::atomic<std::size_t> next_loop{0};
  std::vector<std::unique_ptr<tcp::acceptor>> acceptors;  // on the first loop
  std::mutex sessions_mutex;
  std::atomic<std::size_t> connections{0};
  std::atomic<std::size_t> inline_running{0};
  std::atomic<bool> stopping{false};
  bool started = false;
  std::function<void(const std::string&)> refused;
  std::uint16_t bound_port = 0;
  std::vector<std::string> listen_failures;
  AnswerBudget budget;
  WorkerPool workers;

  asio::io_context& accepting_io() { return loops.front()->events.io(); }
  // New connections are dealt to the loops in turn.
  Loop& loop_for_next() { return *loops[next_loop++ % loops.size()]; }
  bool queue_full() const { return workers.queued() >= settings.queue_bound; }
  // Whether allow lets address in; a refusal is noted.
  bool allowed(const std::string& address) const {
    if (settings.allow.empty() || settings.allow.contains(address)) return true;
    if (refused) refused(address);
    return false;
  }
};

namespace {

bool handled_method(bhttp::verb method) {
  return method == bhttp::verb::get || method == bhttp::verb::post || method == bhttp::verb::head;
}

// Answers go out in slices, each giving its room in the budget back once written.
constexpr std::size_t kWriteSlice = 256 * 1024;

}  // namespace

class Session : public std::enable_shared_from_this<Session> {
 public:
  // The connection was counted when it was accepted.
  Session(tcp::socket socket, std::shared_ptr<HttpServer::State> state, Loop& loop)
      : stream_(std::move(socket)),
        state_(std::move(state)),
        loop_(loop),
        // room for the largest request the settings let in: its header section and body
        buffer_(state_->settings.max_header_bytes + state_->settings.max_body_bytes) {
    std::lock_guard lock(state_->sessions_mutex);
    loop_.sessions.insert(this);
    error_code ignored;
    const auto remote = stream_.socket().remote_endpoint(ignored);
    remote_address_ = ignored ? std::string() : remote.address().to_string();
  }

  ~Session() {
    {
      std::lock_guard lock(state_->sessions_mutex);
      loop_.sessions.erase(this);
    }
    --state_->connections;
  }

  void start() { wait_for_request(); }

  void close() {
    closed_ = true;
    error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
  }

  // Between requests, or while a request arrives: nothing of the server is pending.
  bool between_requests() const { return !in_request_; }

  // While the queue is full the connection reads nothing: the client's bytes wait in
  // the network, not in our memory, and no read timer runs meanwhile.
  void wait_for_request() {
    if (closed_) return;
    if (state_->stopping) return close();
    if (state_->queue_full()) {
      loop_.parked.push_back(shared_from_this());
      ++loop_.parked_count;
      return;
    }
    if (buffer_.size() > 0) return read_header();  // the next request is here already
    stream_.expires_after(state_->settings.idle_timeout);
    stream_.async_read_some(buffer_.prepare(512), [self = shared_from_this()](error_code ec, std::size_t n) {
      if (ec) return self->close();
      self->buffer_.commit(n);
      self->read_header();
    });
  }

 private:
  void read_header() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(state_->settings.max_header_bytes));
    parser_->body_limit(state_->settings.max_body_bytes);
    stream_.expires_after(state_->settings.request_timeout);
    bhttp::async_read_header(stream_, buffer_, *parser_, [self = shared_from_this()](error_code ec, std::size_t) {
      if (ec) return self->close();
      const auto& fields = self->parser_->get();
      if (static_cast<std::size_t>(std::distance(fields.begin(), fields.end())) >
          self->state_->settings.max_header_lines) {
        return self->close();
      }
      self->read_body();
    });
  }

  void read_body() {
    bhttp::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](error_code ec, std::size_t) {
      if (ec) return self->close();
      self->dispatch();
    });
  }

  void dispatch() {
    stream_.expires_never();
    in_request_ = true;
    auto& message = parser_->get();
    keep_alive_ = message.keep_alive();
    head_ = message.method() == bhttp::verb::head;
    if (!handled_method(message.method())) {
      parser_.reset();
      return answer_with(HttpAnswer{});  // other methods: status 200 and an empty body
    }
    const std::string client = client_of(message);
    if (!state_->allowed(client)) return close();
    HttpRequest request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.content_type = std::string(message[bhttp::field::content_type]);
    request.body = std::move(message.body());
    request.remote_address = client;
    parser_.reset();
    const bool may_wait = state_->may_wait_on_lock && state_->may_wait_on_lock(request.target);
    if (!may_wait && run_inline(request)) return;
    watch_for_hang_up();
    auto self = shared_from_this();
    state_->workers.post(WorkerJob{
        [self, request = std::move(request)] { self->run(request); },
        [self] { asio::post(self->stream_.get_executor(), [self] { self->close(); }); },
        may_wait,
    });
  }

  // A request that cannot wait on a lock runs on the loop's thread when an attachment is
  // free: no hand-over to a worker and back. True when it ran.
  bool run_inline(const HttpRequest& request) {
    if (!state_->run_inline || state_->stopping || !loop_.events.begin_inline()) return false;
    ++state_->inline_running;
    std::optional<HttpAnswer> answer = state_->run_inline(request);
    const bool leading = loop_.events.end_inline();
    --state_->inline_running;
    if (!answer) return false;
    if (leading) {
      answer_with(std::move(*answer));
    } else {  // the loop went on without this thread meanwhile
      asio::post(stream_.get_executor(),
                 [self = shared_from_this(), answer = std::move(*answer)]() mutable { self->answer_with(std::move(answer)); });
    }
    return true;
  }

  template <typename Message>
  std::string client_of(const Message& message) const {
    if (state_->settings.trusted_proxies.empty()) return remote_address_;
    std::vector<std::string_view> forwarded_for;
    for (const auto& field : message) {
      if (beast::iequals(field.name_string(), "X-Forwarded-For")) forwarded_for.emplace_back(field.value().data(), field.value().size());
    }
    return client_address(remote_address_, forwarded_for, state_->settings.trusted_proxies);
  }

  // On a worker. A client that hung up while its request waited is not served: a
  // scanner that gave up sends its count again, and it must not count twice.
  void run(const HttpRequest& request) {
    if (client_gone_) {
      asio::post(stream_.get_executor(), [self = shared_from_this()] { self->close(); });
      return;
    }
    HttpAnswer answer = state_->handler(request);
    asio::post(stream_.get_executor(),
               [self = shared_from_this(), answer = std::move(answer)]() mutable { self->answer_with(std::move(answer)); });
  }

  // While the request waits for a worker, the end of the stream or a reset tells that
  // the client has gone (one that half-closes after its request counts as gone too).
  // Bytes of a next request leave the watch; they are read in their turn.
  void watch_for_hang_up() {
    if (buffer_.size() > 0) return;
    stream_.socket().async_wait(tcp::socket::wait_read, [self = shared_from_this()](error_code ec) {
      if (ec) return;
      char byte = 0;
      const auto received = ::recv(self->stream_.socket().native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
      if (received == 0 || (received < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) self->client_gone_ = true;
    });
  }

  // A finished answer takes its room in the budget first.
  void answer_with(HttpAnswer answer) {
    if (closed_) return;
    error_code ignored;
    stream_.socket().cancel(ignored);  // ends the watch for a hang-up
    answer_ = std::move(answer);
    head_bytes_ = response_head(answer_, keep_alive_ && !state_->stopping);
    const std::size_t bytes = head_bytes_.size() + (head_ ? 0 : answer_.body.size());
    if (state_->budget.try_acquire(bytes)) return write(0);
    // room comes back on whichever loop writes: the write starts on this one
    state_->budget.acquire(bytes, [self = shared_from_this()] {
      asio::post(self->stream_.get_executor(), [self] { self->write(0); });
    });
  }

  // Writes from offset of the body on; the head goes with the first slice. A HEAD
  // request gets the headers of the same answer, with its length, but no body: a body
  // would be read by a keep-alive client as the start of its next answer.
  void write(std::size_t offset) {
    const std::size_t body = head_ ? 0 : answer_.body.size();
    const std::size_t slice = std::min(kWriteSlice, body - offset);
    std::vector<asio::const_buffer> buffers;
    if (offset == 0) buffers.push_back(asio::buffer(head_bytes_));
    if (slice > 0) buffers.push_back(asio::buffer(answer_.body.data() + offset, slice));
    const std::size_t written_bytes = (offset == 0 ? head_bytes_.size() : 0) + slice;
    stream_.expires_after(state_->settings.write_timeout);
    asio::async_write(stream_, buffers,
                      [self = shared_from_this(), offset, slice, written_bytes, body](error_code ec, std::size_t) {
                        if (ec || self->closed_) {
                          self->state_->budget.release(written_bytes + (body - offset - slice));
                          return self->finish_answer(false);
                        }
                        self->state_->budget.release(written_bytes);
                        if (offset + slice < body) return self->write(offset + slice);
                        self->finish_answer(true);
                      });
  }

  void finish_answer(bool written) {
    answer_ = {};
    head_bytes_.clear();
    in_request_ = false;
    if (!written || !keep_alive_ || state_->stopping) return close();
    if (buffer_.capacity() > 8192) buffer_.shrink_to_fit();
    wait_for_request();
  }

  beast::tcp_stream stream_;
  std::shared_ptr<HttpServer::State> state_;
  Loop& loop_;
  beast::flat_buffer buffer_;
  std::optional<bhttp::request_parser<bhttp::string_body>> parser_;
  std::string remote_address_;
  bool keep_alive_ = false;
  bool head_ = false;
  bool in_request_ = false;
  bool closed_ = false;
  std::atomic<bool> client_gone_{false};
  HttpAnswer answer_;
  std::string head_bytes_;
};

void Loop::resume_parked() {
  std::vector<std::shared_ptr<Session>> waiting;
  waiting.swap(parked);
  parked_count = 0;
  for (auto& session : waiting) session->wait_for_request();  // parks again while full
}

namespace {

// A trusted proxy is let in whatever allow says: its requests are checked one by one,
// by the client each names.
bool admitted(const tcp::socket& socket, const HttpServer::State& state) {
  if (state.settings.allow.empty()) return true;
  error_code failed;
  const auto remote = socket.remote_endpoint(failed);
  if (failed) return false;
  const std::string address = remote.address().to_string();
  return state.settings.trusted_proxies.contains(address) || state.allowed(address);
}

void accept_next(tcp::acceptor& acceptor, const std::shared_ptr<HttpServer::State>& state) {
  Loop& loop = state->loop_for_next();
  acceptor.async_accept(loop.events.io(), [&acceptor, state, &loop](error_code ec, tcp::socket socket) {
    if (state->stopping) return;
    if (ec) {
      if (ec == asio::error::operation_aborted) return;
      // out of descriptors and the like: try again shortly instead of spinning
      auto timer = std::make_shared<asio::steady_timer>(state->accepting_io(), std::chrono::milliseconds(50));
      timer->async_wait([&acceptor, state, timer](error_code) { accept_next(acceptor, state); });
      return;
    }
    if (state->connections >= state->settings.max_connections || !admitted(socket, *state)) {
      error_code ignored;
      socket.close(ignored);  // accepted and closed at once, without an answer
    } else {
      ++state->connections;
      asio::post(loop.events.io(), [state, &loop, socket = std::move(socket)]() mutable {
        std::make_shared<Session>(std::move(socket), state, loop)->start();
      });
    }
    accept_next(acceptor, state);
  });
}

std::unique_ptr<tcp::acceptor> open_acceptor(asio::io_context& io, const tcp::endpoint& endpoint, int backlog) {
  auto acceptor = std::make_unique<tcp::acceptor>(io);
  acceptor->open(endpoint.protocol());
  acceptor->set_option(asio::socket_base::reuse_address(true));
  if (endpoint.protocol() == tcp::v6()) acceptor->set_option(asio::ip::v6_only(true));
  acceptor->bind(endpoint);
  acceptor->listen(backlog);
  return acceptor;
}

// Runs work on the event loop and waits for it.
template <typename Work>
void on_loop(asio::io_context& io, Work work) {
  std::promise<void> done;
  asio::post(io, [&] {
    work();
    done.set_value();
  });
  done.get_future().wait();
}

}  // namespace

HttpServer::HttpServer(ServerSettings settings, RequestHandler handler, LockWaitTest may_wait_on_lock)
    : state_(std::make_shared<State>(settings, std::move(handler), std::move(may_wait_on_lock))) {
  // a worker that takes a job makes room in the queue: parked connections read again
  std::weak_ptr<State> weak = state_;
  state_->workers.set_on_dequeue([weak] {
    auto state = weak.lock();
    if (!state) return;
    for (auto& loop : state->loops) {
      if (loop->parked_count > 0) asio::post(loop->events.io(), [state, &loop = *loop] { loop.resume_parked(); });
    }
  });
}

HttpServer::~HttpServer() { stop(); }

void HttpServer::start() {
  auto& state = *state_;
  std::vector<tcp::endpoint> endpoints;
  if (state.settings.address.empty()) {
    endpoints = {tcp::endpoint(tcp::v4(), state.settings.port), tcp::endpoint(tcp::v6(), state.settings.port)};
  } else {
    endpoints = {tcp::endpoint(asio::ip::make_address(state.settings.address), state.settings.port)};
  }
  std::string failures;
  for (auto endpoint : endpoints) {
    if (state.bound_port != 0) endpoint.port(state.bound_port);  // an ephemeral port: the same for both
    try {
      state.acceptors.push_back(open_acceptor(state.accepting_io(), endpoint, state.settings.backlog));
      state.bound_port = state.acceptors.back()->local_endpoint().port();
    } catch (const boost::system::system_error& failure) {
      // a host without IPv6 listens on IPv4 only, and says nothing of it
      if (failure.code() == asio::error::address_family_not_supported ||
          failure.code() == boost::system::errc::address_not_available) {
        continue;
      }
      const std::string family = endpoint.address().is_v4() ? "IPv4" : "IPv6";
      state.listen_failures.push_back(family + " port " + std::to_string(endpoint.port()) + ": " +
                                      failure.code().message());
    }
  }
  if (state.acceptors.empty()) {
    std::string message = "cannot listen on port " + std::to_string(state.settings.port);
    for (const auto& failure : state.listen_failures) message += "; " + failure;
    throw std::runtime_error(message);
  }
  for (auto& acceptor : state.acceptors) accept_next(*acceptor, state_);
  for (auto& loop : state.loops) {
    loop->work.emplace(loop->events.io().get_executor());
    loop->events.start();
  }
  state.started = true;
}

void HttpServer::run_inline_when_free(InlineHandler run) { state_->run_inline = std::move(run); }

void HttpServer::stop(const std::function<void()>& on_grace_expired) {
  auto& state = *state_;
  if (state.stopping.exchange(true) || !state.started) {
    for (auto& loop : state.loops) loop->events.join();
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + state.settings.stop_grace;
  on_loop(state.accepting_io(), [&state] {
    for (auto& acceptor : state.acceptors) {
      error_code ignored;
      acceptor->close(ignored);
    }
  });
  for (auto& loop : state.loops) {
    on_loop(loop->events.io(), [&state, &loop = *loop] {
      {
        std::lock_guard lock(state.sessions_mutex);
        for (Session* session : loop.sessions) {
          if (session->between_requests()) session->close();
        }
      }
      loop.parked.clear();  // outside the lock: a connection let go here ends at once
    });
  }
  // requests not started yet are dropped, their connections closed without an answer
  const bool workers_done = state.workers.stop_before(deadline);
  while (state.inline_running > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if ((!workers_done || state.inline_running > 0) && on_grace_expired) {
    on_grace_expired();
    state.workers.stop();
  }
  // the answers of the requests that ran go out, each with "Connection: close"
  for (;;) {
    std::size_t open = 0;
    {
      std::lock_guard lock(state.sessions_mutex);
      for (auto& loop : state.loops) open += loop->sessions.size();
    }
    if (open == 0 || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (auto& loop : state.loops) {
    on_loop(loop->events.io(), [&state, &loop = *loop] {
      std::lock_guard lock(state.sessions_mutex);
      for (Session* session : loop.sessions) session->close();
    });
  }
  state.budget.drop_waiters();  // answers still waiting for room go with their connections
  for (auto& loop : state.loops) loop->work.reset();
  for (auto& loop : state.loops) loop->events.join();
  state.acceptors.clear();
}

std::uint16_t HttpServer::port() const { return state_->bound_port; }

std::size_t HttpServer::connection_count() const { return state_->connections; }

std::vector<std::string> HttpServer::listen_failures() const { return state_->listen_failures; }

std::vector<std::string> HttpServer::listening_addresses() const {
  std::vector<std::string> addresses;
  for (const auto& acceptor : state_->acceptors) {
    error_code ignored;
    const auto endpoint = acceptor->local_endpoint(ignored);
    const std::string address = endpoint.address().to_string();
    addresses.push_back((endpoint.address().is_v6() ? "[" + address + "]" : address) + ":" +
                        std::to_string(endpoint.port()));
  }
  return addresses;
}

void HttpServer::on_refused(std::function<void(const std::string& address)> note) { state_->refused = std::move(note); }

void HttpServer::post(std::function<void()> work) {
  // once every loop has turned
  auto remaining = std::make_shared<std::atomic<std::size_t>>(state_->loops.size());
  auto shared = std::make_shared<std::function<void()>>(std::move(work));
  for (auto& loop : state_->loops) {
    asio::post(loop->events.io(), [remaining, shared] {
      if (--*remaining == 0) (*shared)();
    });
  }
}

std::size_t HttpServer::queued_requests() const { return state_->workers.queued(); }

std::size_t HttpServer::answer_bytes_held() const { return state_->budget.held(); }

}  // namespace vantor::http
