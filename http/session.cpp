// A connection's life: read, dispatch, answer, write, and again.
#include "http/session.hpp"

#include <utility>  // before Asio, which uses std::exchange

#include <sys/socket.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <vector>

#include "http/answer_stream.hpp"
#include "http/client_address.hpp"
#include "http/request_target.hpp"
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

// Answers go out in slices: no write waits on more than this many bytes at once.
constexpr std::size_t kWriteSlice = 256 * 1024;
// After the last answer of a connection, what the client still sends is read and thrown
// away for this long, or up to this many bytes, before the connection closes.
constexpr std::chrono::seconds kDrainTime{2};
constexpr std::size_t kDrainBytes = 1024 * 1024;
// A connection's read buffer is given back down to its content beyond this.
constexpr std::size_t kKeptBuffer = 8192;

template <typename Message>
std::string client_of(const Message& message, const std::string& peer, const AccessLists& lists) {
  if (lists.trusted_proxies.empty()) return peer;
  std::vector<std::string_view> forwarded_for;
  for (const auto& field : message) {
    if (beast::iequals(field.name_string(), "X-Forwarded-For")) {
      forwarded_for.emplace_back(field.value().data(), field.value().size());
    }
  }
  return client_address(peer, forwarded_for, lists.trusted_proxies);
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
  give_back_body_room();
  give_back_answer_room();
  {
    std::lock_guard lock(state_->sessions_mutex);
    loop_.sessions.erase(this);
  }
  --state_->connections;
  if (state_->stopping) state_->settled.notify_all();
}

void Session::close() {
  closed_ = true;
  if (answer_.stream) answer_.stream->close();  // it holds this session until then
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

// The body counts against the body budget from before its first byte is read: a length
// sent in advance as it says, a chunked one as the largest body let in.
std::size_t Session::body_room_needed() const {
  if (parser_->chunked()) return state_->settings.max_body_bytes;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(parser_->content_length().value_or(0), state_->settings.max_body_bytes));
}

bool Session::take_body_room() {
  const std::size_t needed = body_room_needed();
  if (needed == 0 || body_room_ > 0) return true;
  auto& bodies = state_->bodies;
  if (!bodies.try_take(needed)) {
    bodies.want_room();
    if (!bodies.try_take(needed)) return false;  // room came back between the two: go on
  }
  body_room_ = needed;
  return true;
}

void Session::give_back_answer_room() {
  if (answer_held_ > 0) state_->answers.release(std::exchange(answer_held_, 0));
}

void Session::give_back_body_room() {
  if (body_room_ == 0) return;
  state_->bodies.release(std::exchange(body_room_, 0));
}

// A body that does not fit waits, unread, until room comes back: its bytes wait in the
// network. The time limit of its arrival stops meanwhile, and the time it waited does not
// count against the request's other waits either.
void Session::wait_for_body_room() {
  const auto now = std::chrono::steady_clock::now();
  waiting_since_ = now;
  time_left_ = std::chrono::duration_cast<std::chrono::milliseconds>(arrived_ + state_->settings.request_timeout - now);
  stream_.expires_never();
  loop_.body_waiters.push_back(shared_from_this());
  ++loop_.body_waiter_count;
}

void Session::read_body() {
  if (closed_) return;
  if (state_->stopping) return close();
  if (!take_body_room()) return wait_for_body_room();
  if (waiting_since_) {
    arrived_ += std::chrono::steady_clock::now() - *waiting_since_;
    waiting_since_.reset();
    stream_.expires_after(std::max(time_left_, std::chrono::milliseconds(1)));
  }
  bhttp::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](error_code ec, std::size_t) {
    if (ec) return self->close();
    self->dispatch();
  });
}

HttpRequest Session::request_from_message() {
  auto& message = parser_->get();
  HttpRequest request;
  request.method = std::string(message.method_string());
  const auto target = message.target();
  request.target = origin_form(std::string_view(target.data(), target.size()));
  request.content_type = std::string(message[bhttp::field::content_type]);
  request.authorization = std::string(message[bhttp::field::authorization]);
  request.body = std::move(message.body());
  request.remote_address = client_of(message, remote_address_, *state_->access.load());
  request.arrived = arrived_;
  return request;
}

// The route is decided here, once; the request carries it to the worker.
void Session::dispatch() {
  stream_.expires_never();
  in_request_ = true;
  if (buffer_.capacity() > kKeptBuffer) buffer_.shrink_to_fit();  // a body read through it
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
  // only lookups run on the loop: a big list there would hold the loop's other lookups
  if (request.route_class == RouteClass::Lookup && run_inline(request)) return;
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

// A finished answer is counted in the budget as it is: it is held already. Requests
// that build large answers wait before they start while the budget is spent.
void Session::answer_with(HttpAnswer answer) {
  give_back_body_room();
  if (closed_) return;
  error_code ignored;
  stream_.socket().cancel(ignored);  // ends the watch for a hang-up
  answer_ = std::move(answer);
  running_.reset();
  if (answer_.stream) {
    keep_alive_ = false;
    in_request_ = false;  // nothing of the server waits on a stream: a stop closes it at once
  }
  head_bytes_ = response_head(answer_, keep_alive_ && !state_->stopping);
  // what the answer holds, room its text grew into included, until the last byte is out
  answer_held_ = head_bytes_.size() + answer_.body.capacity();
  state_->answers.take(answer_held_);
  write(0);
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
  stream_.expires_after(state_->settings.write_timeout);
  asio::async_write(stream_, buffers, [self = shared_from_this(), offset, slice, body](error_code ec, std::size_t) {
    if (ec || self->closed_) return self->finish_answer(false);
    if (offset + slice < body) return self->write(offset + slice);
    if (self->answer_.stream) return self->pump_stream();
    self->finish_answer(true);
  });
}

// A streamed answer: what the stream has goes out; while it has nothing, no timer runs
// and the stream calls back (its own pings find a client that went away).
void Session::pump_stream() {
  if (closed_) return;
  auto more = answer_.stream->take();
  if (!more) return finish_answer(false);
  if (more->empty()) {
    stream_.expires_never();
    answer_.stream->when_ready(
        [self = shared_from_this()] { asio::post(self->stream_.get_executor(), [self] { self->pump_stream(); }); });
    return;
  }
  streamed_ = std::move(*more);
  stream_.expires_after(state_->settings.write_timeout);
  asio::async_write(stream_, asio::buffer(streamed_), [self = shared_from_this()](error_code ec, std::size_t) {
    if (ec || self->closed_) return self->finish_answer(false);
    self->pump_stream();
  });
}

void Session::finish_answer(bool written) {
  if (answer_.stream) answer_.stream->close();
  answer_ = {};
  head_bytes_ = {};
  give_back_answer_room();
  in_request_ = false;
  if (!written) return close();
  if (!keep_alive_ || state_->stopping) return close_after_answer();
  if (buffer_.capacity() > kKeptBuffer) buffer_.shrink_to_fit();
  wait_for_request();
}

// The last answer is out: the sending side closes (the client reads the end of it), and
// what the client still sends is read and dropped for a bounded while. Closing with
// unread input at once would reset the connection, and a reset can overtake the tail of
// the answer still on its way.
void Session::close_after_answer() {
  error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
  buffer_.consume(buffer_.size());
  stream_.expires_after(kDrainTime);
  drain(0);
}

void Session::drain(std::size_t drained) {
  stream_.async_read_some(buffer_.prepare(4096), [self = shared_from_this(), drained](error_code ec, std::size_t n) {
    if (ec || self->closed_ || drained + n > kDrainBytes) return self->close();
    self->drain(drained + n);
  });
}

// Parked connections live in their loop; resuming them is a session's step.
void Loop::resume_parked() {
  std::vector<std::shared_ptr<Session>> waiting;
  waiting.swap(parked);
  parked_count = 0;
  for (auto& session : waiting) session->wait_for_request();  // parks again while full
}

void Loop::resume_body_waiters() {
  std::vector<std::shared_ptr<Session>> waiting;
  waiting.swap(body_waiters);
  body_waiter_count = 0;
  for (auto& session : waiting) session->read_body();  // waits again while there is no room
}

}  // namespace vantor::http
