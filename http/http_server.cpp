// Listener and connections on Boost.Asio/Beast; request handling on the worker pool.
#include "http/http_server.hpp"

#include <utility>  // before Asio, which uses std::exchange

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

#include "http/response_bytes.hpp"
#include "http/worker_pool.hpp"

namespace vantor::http {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = beast::http;
using tcp = asio::ip::tcp;
using error_code = boost::system::error_code;

class Session;

struct HttpServer::State {
  State(ServerSettings settings_in, RequestHandler handler_in)
      : settings(settings_in), handler(std::move(handler_in)), workers(settings.workers) {}

  ServerSettings settings;
  RequestHandler handler;
  asio::io_context io{1};
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work;
  std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
  // The open connections. A connection usually ends on the event loop, but one whose
  // request was still waiting for a worker at shutdown ends where that job is dropped.
  std::mutex sessions_mutex;
  std::unordered_set<Session*> sessions;
  std::atomic<std::size_t> connections{0};
  std::atomic<bool> stopping{false};
  std::uint16_t bound_port = 0;
  WorkerPool workers;
  std::thread loop;
};

namespace {

bool handled_method(bhttp::verb method) {
  return method == bhttp::verb::get || method == bhttp::verb::post || method == bhttp::verb::head;
}

}  // namespace

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(tcp::socket socket, std::shared_ptr<HttpServer::State> state)
      : stream_(std::move(socket)),
        state_(std::move(state)),
        // room for the largest request the settings let in: its header section and body
        buffer_(state_->settings.max_header_bytes + state_->settings.max_body_bytes) {
    ++state_->connections;
    std::lock_guard lock(state_->sessions_mutex);
    state_->sessions.insert(this);
    error_code ignored;
    const auto remote = stream_.socket().remote_endpoint(ignored);
    remote_address_ = ignored ? std::string() : remote.address().to_string();
  }

  ~Session() {
    {
      std::lock_guard lock(state_->sessions_mutex);
      state_->sessions.erase(this);
    }
    --state_->connections;
  }

  void start() { wait_for_request(); }

  void close() {
    error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
  }

 private:
  // Between requests a connection waits, at most for the idle timeout, with a small buffer.
  void wait_for_request() {
    if (buffer_.size() > 0) return read_header();  // the next request is here already
    stream_.expires_after(state_->settings.idle_timeout);
    stream_.async_read_some(buffer_.prepare(512), [self = shared_from_this()](error_code ec, std::size_t n) {
      if (ec) return self->close();
      self->buffer_.commit(n);
      self->read_header();
    });
  }

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
    auto& message = parser_->get();
    keep_alive_ = message.keep_alive();
    head_ = message.method() == bhttp::verb::head;
    if (!handled_method(message.method())) {
      parser_.reset();
      return write(HttpAnswer{});  // other methods: status 200 and an empty body
    }
    HttpRequest request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.content_type = std::string(message[bhttp::field::content_type]);
    request.body = std::move(message.body());
    request.remote_address = remote_address_;
    parser_.reset();
    state_->workers.post([self = shared_from_this(), request = std::move(request)] {
      HttpAnswer answer = self->state_->handler(request);
      asio::post(self->stream_.get_executor(),
                 [self, answer = std::move(answer)]() mutable { self->write(std::move(answer)); });
    });
  }

  // A HEAD request gets the headers of the same answer, with its length, but no body:
  // a body would be read by a keep-alive client as the start of its next answer.
  void write(HttpAnswer answer) {
    answer_ = std::move(answer);
    head_bytes_ = response_head(answer_, keep_alive_ && !state_->stopping);
    std::vector<asio::const_buffer> buffers{asio::buffer(head_bytes_)};
    if (!head_) buffers.push_back(asio::buffer(answer_.body));
    stream_.expires_after(state_->settings.write_timeout);
    asio::async_write(stream_, buffers, [self = shared_from_this()](error_code ec, std::size_t) {
      self->answer_ = {};
      self->head_bytes_.clear();
      if (ec || !self->keep_alive_ || self->state_->stopping) return self->close();
      if (self->buffer_.capacity() > 8192) self->buffer_.shrink_to_fit();
      self->wait_for_request();
    });
  }

  beast::tcp_stream stream_;
  std::shared_ptr<HttpServer::State> state_;
  beast::flat_buffer buffer_;
  std::optional<bhttp::request_parser<bhttp::string_body>> parser_;
  std::string remote_address_;
  bool keep_alive_ = false;
  bool head_ = false;
  HttpAnswer answer_;
  std::string head_bytes_;
};

namespace {

void accept_next(tcp::acceptor& acceptor, const std::shared_ptr<HttpServer::State>& state) {
  acceptor.async_accept([&acceptor, state](error_code ec, tcp::socket socket) {
    if (state->stopping) return;
    if (ec) {
      if (ec == asio::error::operation_aborted) return;
      // out of descriptors and the like: try again shortly instead of spinning
      auto timer = std::make_shared<asio::steady_timer>(state->io, std::chrono::milliseconds(50));
      timer->async_wait([&acceptor, state, timer](error_code) { accept_next(acceptor, state); });
      return;
    }
    if (state->connections >= state->settings.max_connections) {
      error_code ignored;
      socket.close(ignored);  // accepted and closed at once, without an answer
    } else {
      std::make_shared<Session>(std::move(socket), state)->start();
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

}  // namespace

HttpServer::HttpServer(ServerSettings settings, RequestHandler handler)
    : state_(std::make_shared<State>(settings, std::move(handler))) {}

HttpServer::~HttpServer() { stop(); }

void HttpServer::start() {
  auto& state = *state_;
  state.acceptors.push_back(open_acceptor(state.io, tcp::endpoint(tcp::v4(), state.settings.port),
                                          state.settings.backlog));
  state.bound_port = state.acceptors.front()->local_endpoint().port();
  try {
    state.acceptors.push_back(open_acceptor(state.io, tcp::endpoint(tcp::v6(), state.bound_port),
                                            state.settings.backlog));
  } catch (const boost::system::system_error& failure) {
    // a host without IPv6 listens on IPv4 only
    if (failure.code() != asio::error::address_family_not_supported &&
        failure.code() != boost::system::errc::address_not_available) {
      state.acceptors.clear();
      throw;
    }
  }
  for (auto& acceptor : state.acceptors) accept_next(*acceptor, state_);
  state.work.emplace(state.io.get_executor());
  state.loop = std::thread([&state] { state.io.run(); });
}

void HttpServer::stop() {
  auto& state = *state_;
  if (state.stopping.exchange(true) || !state.loop.joinable()) {
    if (state.loop.joinable()) state.loop.join();
    return;
  }
  std::promise<void> closed;
  asio::post(state.io, [&state, &closed] {
    for (auto& acceptor : state.acceptors) {
      error_code ignored;
      acceptor->close(ignored);
    }
    std::lock_guard lock(state.sessions_mutex);
    for (Session* session : state.sessions) session->close();
    closed.set_value();
  });
  closed.get_future().wait();
  state.workers.stop();  // running requests finish; their answers find the connection closed
  state.work.reset();
  state.loop.join();
  state.acceptors.clear();
}

std::uint16_t HttpServer::port() const { return state_->bound_port; }

std::size_t HttpServer::connection_count() const { return state_->connections; }

}  // namespace vantor::http
