// Listening sockets and accepting.
#include "http/listener.hpp"

#include <utility>  // before Asio, which uses std::exchange

#include <sys/socket.h>

#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <stdexcept>

#include "http/session.hpp"

namespace vantor::http {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using error_code = boost::system::error_code;

// A trusted proxy is let in whatever allow says: its requests are checked one by one,
// by the client each names.
bool admitted(const tcp::socket& socket, const ServerState& state) {
  const auto lists = state.access.load();
  if (lists->allow.empty()) return true;
  error_code failed;
  const auto remote = socket.remote_endpoint(failed);
  if (failed) return false;
  const std::string address = remote.address().to_string();
  return lists->trusted_proxies.contains(address) || state.allowed(address);
}

// On the loop's thread: the connection that has waited longest for its request gives
// its place to a new one. False when every connection has a request under way.
bool close_oldest_waiting(ServerState& state, Loop& loop) {
  std::shared_ptr<Session> oldest;
  {
    std::lock_guard lock(state.sessions_mutex);
    Session* found = nullptr;
    for (Session* session : loop.sessions) {
      if (session->between_requests() && (found == nullptr || session->accepted() < found->accepted())) {
        found = session;
      }
    }
    if (found == nullptr) return false;
    oldest = found->weak_from_this().lock();  // none: it is ending already
  }
  if (oldest) oldest->close();  // outside the lock: the close may end the session
  return true;
}

void accept_next(tcp::acceptor& acceptor, const std::shared_ptr<ServerState>& state) {
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
    const bool full = state->connections >= state->settings.max_connections;
    if ((full && !state->settings.make_room_for_new) || !admitted(socket, *state)) {
      error_code ignored;
      socket.close(ignored);  // accepted and closed at once, without an answer
    } else {
      ++state->connections;
      asio::post(loop.events.io(), [state, &loop, full, socket = std::move(socket)]() mutable {
        if (full && !close_oldest_waiting(*state, loop)) {
          error_code ignored;
          socket.close(ignored);
          --state->connections;
          return;
        }
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

std::vector<tcp::endpoint> endpoints_of(const ServerSettings& settings) {
  if (settings.address.empty()) {
    return {tcp::endpoint(tcp::v4(), settings.port), tcp::endpoint(tcp::v6(), settings.port)};
  }
  return {tcp::endpoint(asio::ip::make_address(settings.address), settings.port)};
}

// Sockets the service manager made and listens on already: a restart of the server
// leaves new connections waiting in their queue instead of refusing them.
void take_passed_sockets(ServerState& state) {
  for (const int fd : state.settings.passed_sockets) {
    auto acceptor = std::make_unique<tcp::acceptor>(state.accepting_io());
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    acceptor->assign(address.ss_family == AF_INET6 ? tcp::v6() : tcp::v4(), fd);
    state.bound_port = acceptor->local_endpoint().port();
    state.acceptors.push_back(std::move(acceptor));
  }
}

}  // namespace

void open_listeners(ServerState& state) {
  if (!state.settings.passed_sockets.empty()) return take_passed_sockets(state);
  for (auto endpoint : endpoints_of(state.settings)) {
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
}

void accept_connections(const std::shared_ptr<ServerState>& state) {
  for (auto& acceptor : state->acceptors) accept_next(*acceptor, state);
}

}  // namespace vantor::http
