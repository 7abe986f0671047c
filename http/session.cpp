// A connection's life: read, dispatch, answer, write, and again.
#include "http/session.hpp"

#include <utility>  // before Asio, which uses std::exchange

#include <sys/socket.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <vector>

#include "http/client_address.hpp"
#include "http/response_bytes.hpp"

namespace vantor::http {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = beast::http;
using tcp = asio::ip::tcp;
using error_code = boost::system::error_code;

bool handled_method(bhttp::verb method) {
  return method == bhttp::verb::get || method == bhttp::verb::post || method == bhttp::verb::head;
}

// Answers go out in slices, each giving its room in the budget back once written.
constexpr std::size_t kWriteSlice = 256 * 1024;

template <typename Message>
std::string client_of(const Message& message, const std::string& peer, const ServerSettings& settings) {
  if (settings.trusted_proxies.empty()) return peer;
  std::vector<std::string_view> forwarded_for;
  for (const auto& field : message) {
    if (beast::iequals(field.name_string(), "X-Forwarded-For")) {
      forwarded_for.emplace_back(field.value().data(), field.value().size());
    }
  }
  return client_address(peer, forwarded_for, settings.trusted_proxies);
}

}  // namespace

Session::Session(tcp::socket socket, std::shared_ptr<ServerState> state, Loop& loop)
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

Session::~Session() {
  {
    std::lock_guard lock(state_->sessions_mutex);
    loop_.sessions.erase(this);
  }
  --state_->connections;
  if (state_->stopping) state_->settled.notify_all();
}

void Session::close() {
  closed_ = true;
  error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  stream_.socket().close(ignored);
}

void Session::wait_for_request() {
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

// The request's first bytes are here: its limits and its time start now.
void Session::read_header() {
  arrived_ = std::chrono::steady_clock::now();
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

void Session::read_body() {
  bhttp::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](error_code ec, std::size_t) {
    if (ec) return self->close();
    self->dispatch();
  });
}

HttpRequest Session::request_from_message() {
  auto& message = parser_->get();
  HttpRequest request;
  request.method = std::string(message.method_string());
  request.target = std::string(message.target());
  request.content_type = std::string(message[bhttp::field::content_type]);
  request.body = std::move(message.body());
  request.remote_address = client_of(message, remote_address_, state_->settings);
  request.arrived = arrived_;
  return request;
}

// The route is decided here, once; the request carries it to the worker.
void Session::dispatch() {
  stream_.expires_never();
  in_request_ = true;
  const auto& message = parser_->get();
  keep_alive_ = message.keep_alive();
  head_ = message.method() == bhttp::verb::head;
  if (!handled_method(message.method())) {
    parser_.reset();
    return answer_with(HttpAnswer{});  // other methods: status 200 and an empty body
  }
  HttpRequest request = request_from_message();
  parser_.reset();
  if (!state_->allowed(request.remote_address)) return close();
  state_->runner.route(request);
  if (!request.may_wait_on_lock() && run_inline(request)) return;
  running_ = request.cancellation;
  watch_for_hang_up();
  auto self = shared_from_this();
  const RouteClass lane = request.route_class;
  state_->workers.post(WorkerJob{
      [self, request = std::move(request)] { self->run(request); },
      [self] { asio::post(self->stream_.get_executor(), [self] { self->close(); }); },
      lane,
  });
}

// A request that cannot wait on a lock runs on the loop's thread when an attachment is
// free: no hand-over to a worker and back. True when it ran.
bool Session::run_inline(const HttpRequest& request) {
  if (state_->stopping || !loop_.events.begin_inline()) return false;
  ++state_->inline_running;
  std::optional<HttpAnswer> answer = state_->runner.run_now_if_free(request);
  const bool leading = loop_.events.end_inline();
  state_->inline_ended();
  if (!answer) return false;
  if (leading) {
    answer_with(std::move(*answer));
  } else {  // the loop went on without this thread meanwhile
    post_answer(std::move(*answer));
  }
  return true;
}

// On a worker. A client that hung up while its request waited is not served: a
// scanner that gave up sends its count again, and it must not count twice.
void Session::run(const HttpRequest& request) {
  if (client_gone_) {
    asio::post(stream_.get_executor(), [self = shared_from_this()] { self->close(); });
    return;
  }
  post_answer(state_->runner.run(request));
}

void Session::post_answer(HttpAnswer answer) {
  asio::post(stream_.get_executor(), [self = shared_from_this(), answer = std::move(answer)]() mutable {
    self->answer_with(std::move(answer));
  });
}

// While the request waits for a worker or runs there, the end of the stream or a reset
// tells that the client has gone (one that half-closes after its request counts as gone
// too): a waiting request is not served, a running one is cancelled where it can be.
// Bytes of a next request leave the watch; they are read in their turn.
void Session::watch_for_hang_up() {
  if (buffer_.size() > 0) return;
  stream_.socket().async_wait(tcp::socket::wait_read, [self = shared_from_this()](error_code ec) {
    if (ec) return;
    char byte = 0;
    const auto received = ::recv(self->stream_.socket().native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (received == 0 || (received < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
      self->client_gone_ = true;
      if (self->running_) self->running_->cancel();
    }
  });
}

// A finished answer takes its room in the budget first.
void Session::answer_with(HttpAnswer answer) {
  if (closed_) return;
  error_code ignored;
  stream_.socket().cancel(ignored);  // ends the watch for a hang-up
  answer_ = std::move(answer);
  running_.reset();
  head_bytes_ = response_head(answer_, keep_alive_ && !state_->stopping);
  const std::size_t bytes = head_bytes_.size() + (head_ ? 0 : answer_.body.size());
  if (state_->budget.try_acquire(bytes)) return write(0);
  // room comes back on whichever loop writes: the write starts on this one
  state_->budget.acquire(
      bytes, [self = shared_from_this()] { asio::post(self->stream_.get_executor(), [self] { self->write(0); }); });
}

// Writes from offset of the body on; the head goes with the first slice. A HEAD
// request gets the headers of the same answer, with its length, but no body: a body
// would be read by a keep-alive client as the start of its next answer.
void Session::write(std::size_t offset) {
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

void Session::finish_answer(bool written) {
  answer_ = {};
  head_bytes_.clear();
  in_request_ = false;
  if (!written || !keep_alive_ || state_->stopping) return close();
  if (buffer_.capacity() > 8192) buffer_.shrink_to_fit();
  wait_for_request();
}

// Parked connections live in their loop; resuming them is a session's step.
void Loop::resume_parked() {
  std::vector<std::shared_ptr<Session>> waiting;
  waiting.swap(parked);
  parked_count = 0;
  for (auto& session : waiting) session->wait_for_request();  // parks again while full
}

}  // namespace vantor::http
