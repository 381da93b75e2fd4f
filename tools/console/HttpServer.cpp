#include "tools/console/HttpServer.h"

#include "base/Failure.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <csignal>
#include <optional>
#include <set>
#include <string_view>

namespace tovask::console {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

// A request is small: the plan of a lab is a few kilobytes.
constexpr std::uint32_t kHeaderLimit = 16 * 1024;
constexpr std::uint64_t kBodyLimit = 256 * 1024;
constexpr auto kRequestTime = std::chrono::seconds(30);
// More connections than a few browser tabs and scripts make are refused.
constexpr std::size_t kMaxConnections = 64;

// Beast's texts as the standard library's.
std::string_view view(beast::string_view text) {
    return {text.data(), text.size()};
}

// The same text, compared in a time that does not tell how much of it matched.
bool sameSecret(std::string_view given, std::string_view secret) {
    if (given.size() != secret.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < given.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
    return difference == 0;
}

// The value of token= in the query of a target, as it stands (a token is hex digits).
std::string_view queryToken(std::string_view target) {
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos)
        return {};
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.starts_with("token="))
            return pair.substr(6);
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
    return {};
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) ==
               (y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y);
    });
}

} // namespace

class Connection;

class HttpServer::Impl {
public:
    Impl(Settings settings, Handler handler)
        : settings_(std::move(settings)), handler_(std::move(handler)), acceptor_(context_),
          signals_(context_, SIGINT, SIGTERM), keepAlive_(context_) {
        listen();
    }

    void listen() {
        const auto loopback = net::ip::make_address_v4("127.0.0.1");
        const bool fixed = settings_.port.has_value();
        const int tries = fixed ? 1 : settings_.tries;
        beast::error_code ec;
        for (int i = 0; i < tries; ++i) {
            const auto port =
                fixed ? *settings_.port : static_cast<std::uint16_t>(settings_.firstPort + i);
            acceptor_.close(ec);
            acceptor_.open(tcp::v4(), ec);
#ifndef _WIN32
            // Lets a console started again at once take its port back from connections that
            // are closing. On Windows the same option would let two servers share a port.
            acceptor_.set_option(net::socket_base::reuse_address(true), ec);
#endif
            if (!ec)
                acceptor_.bind(tcp::endpoint(loopback, port), ec);
            if (!ec)
                acceptor_.listen(net::socket_base::max_listen_connections, ec);
            if (!ec) {
                port_ = acceptor_.local_endpoint().port();
                return;
            }
        }
        throw Failure(fixed ? "cannot listen on 127.0.0.1:" + std::to_string(*settings_.port) +
                                  ": " + ec.message()
                            : "cannot listen on any port of 127.0.0.1 from " +
                                  std::to_string(settings_.firstPort) + " to " +
                                  std::to_string(settings_.firstPort + settings_.tries - 1) + ": " +
                                  ec.message());
    }

    void run() {
        accept();
        signals_.async_wait([this](beast::error_code, int) { stop(); });
        tick();
        context_.run();
    }

    void stop() {
        net::post(context_, [this] {
            beast::error_code ec;
            acceptor_.close(ec);
            signals_.cancel(ec);
            keepAlive_.cancel();
            context_.stop();
        });
    }

    void publish(std::string data) {
        net::post(context_, [this, data = std::make_shared<const std::string>(std::move(data))] {
            latest_ = data;
            sendToListeners(latest_);
        });
    }

    // What the checks of every request allow: nothing, or the request to go on.
    std::optional<HttpResponse> refusal(const http::request<http::string_body>& request) const {
        const std::string port = std::to_string(port_);
        const std::string_view host = view(request[http::field::host]);
        if (host != "127.0.0.1:" + port && !equalNoCase(host, "localhost:" + port))
            return HttpResponse{403, "text/plain; charset=utf-8", "wrong host\n"};
        const std::string_view header = view(request["X-Tovask-Token"]);
        const std::string_view given = header.empty() ? queryToken(view(request.target())) : header;
        if (!sameSecret(given, settings_.token))
            return HttpResponse{403, "text/plain; charset=utf-8",
                                "forbidden: open the address with the token that "
                                "tovask-console printed\n"};
        const bool reads =
            request.method() == http::verb::get || request.method() == http::verb::head;
        const auto origin = request.find(http::field::origin);
        if (!reads && origin != request.end() &&
            view(origin->value()) != "http://127.0.0.1:" + port &&
            !equalNoCase(view(origin->value()), "http://localhost:" + port))
            return HttpResponse{403, "text/plain; charset=utf-8", "forbidden: another site\n"};
        return std::nullopt;
    }

    void sendToListeners(const std::shared_ptr<const std::string>& data);
    void tick();
    void accept();

    Settings settings_;
    Handler handler_;
    net::io_context context_{1};
    tcp::acceptor acceptor_;
    net::signal_set signals_;
    net::steady_timer keepAlive_;
    std::uint16_t port_ = 0;
    std::shared_ptr<const std::string> latest_;
    std::set<std::shared_ptr<Connection>> connections_;
};

// One connection: requests read and answered one after another; once it asks for the events, a
// stream of them until the page goes away.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(tcp::socket socket, HttpServer::Impl& server)
        : stream_(std::move(socket)), server_(server) {}

    void start() {
        net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->read(); });
    }

    void close() {
        beast::error_code ec;
        stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
        stream_.close();
        server_.connections_.erase(shared_from_this());
    }

    // Sends the data as an event when none is being sent; otherwise keeps it as the next one,
    // in the place of any older one still waiting.
    void sendEvent(std::shared_ptr<const std::string> data) {
        // An empty event is the comment that checks a quiet connection: it never takes the
        // place of an event waiting to be sent.
        if (!listening_ || (data->empty() && pending_))
            return;
        pending_ = std::move(data);
        if (!writing_)
            writePending();
    }

    bool listening() const { return listening_; }

private:
    void read() {
        parser_.emplace();
        parser_->header_limit(kHeaderLimit);
        parser_->body_limit(kBodyLimit);
        stream_.expires_after(kRequestTime);
        http::async_read(
            stream_, buffer_, *parser_,
            [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

    void onRead(beast::error_code ec) {
        if (ec == http::error::body_limit || ec == http::error::header_limit) {
            answer({413, "text/plain; charset=utf-8", "request too large\n"}, false);
            return;
        }
        if (ec) {
            close();
            return;
        }
        request_ = parser_->release();
        if (auto refused = server_.refusal(request_)) {
            answer(std::move(*refused), false);
            return;
        }
        const std::string_view target = view(request_.target());
        // HEAD is answered as GET, without the body.
        const bool head = request_.method() == http::verb::head;
        HttpRequest request{head ? "GET" : std::string(request_.method_string()),
                            std::string(target.substr(0, target.find('?'))), request_.body()};
        if (request.method == "GET" && request.path == server_.settings_.eventsPath) {
            startEvents();
            return;
        }
        // The reply may come from another thread: it is handed to this connection's executor.
        auto self = shared_from_this();
        try {
            server_.handler_(request, [self](HttpResponse response) {
                net::post(self->stream_.get_executor(),
                          [self, response = std::move(response)]() mutable {
                              self->answer(std::move(response), self->request_.keep_alive());
                          });
            });
        } catch (const std::exception& e) {
            answer({500, "text/plain; charset=utf-8", std::string(e.what()) + "\n"}, false);
        }
    }

    template <typename Body> static void secure(http::response<Body>& response) {
        response.set(http::field::server, "tovask-console");
        response.set(http::field::cache_control, "no-store");
        response.set("X-Content-Type-Options", "nosniff");
        response.set("Referrer-Policy", "no-referrer");
        response.set("X-Frame-Options", "DENY");
        response.set("Content-Security-Policy",
                     "default-src 'none'; script-src 'self'; style-src 'self'; "
                     "connect-src 'self'; img-src 'self'; base-uri 'none'; form-action 'none'; "
                     "frame-ancestors 'none'");
    }

    void answer(HttpResponse response, bool keepAlive) {
        auto message = std::make_shared<http::response<http::string_body>>(
            static_cast<http::status>(response.status), request_.version());
        secure(*message);
        message->set(http::field::content_type, response.contentType);
        message->keep_alive(keepAlive);
        message->body() =
            request_.method() == http::verb::head ? std::string() : std::move(response.body);
        message->prepare_payload();
        stream_.expires_after(kRequestTime);
        http::async_write(stream_, *message,
                          [self = shared_from_this(), message](beast::error_code ec, std::size_t) {
                              if (ec || !message->keep_alive())
                                  self->close();
                              else
                                  self->read();
                          });
    }

    // The answer to the events request: a header, then one chunk per event, for as long as the
    // page stays.
    void startEvents() {
        listening_ = true;
        eventsHeader_.emplace(http::status::ok, request_.version());
        secure(*eventsHeader_);
        eventsHeader_->set(http::field::content_type, "text/event-stream");
        eventsHeader_->chunked(true);
        headerWriter_.emplace(*eventsHeader_);
        writing_ = true;
        stream_.expires_never();
        http::async_write_header(stream_, *headerWriter_,
                                 [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                     self->writing_ = false;
                                     if (ec) {
                                         self->close();
                                         return;
                                     }
                                     self->watchForEnd();
                                     if (self->server_.latest_)
                                         self->sendEvent(self->server_.latest_);
                                 });
    }

    // The page sends nothing more; a read ends when it goes away.
    void watchForEnd() {
        stream_.socket().async_read_some(
            net::buffer(ignored_), [self = shared_from_this()](beast::error_code ec, std::size_t) {
                if (ec)
                    self->close();
                else
                    self->watchForEnd();
            });
    }

    void writePending() {
        auto data = std::move(pending_);
        pending_.reset();
        if (!data)
            return;
        // An event is "data:" lines; a comment (": ...") keeps a quiet connection checked.
        auto text = std::make_shared<std::string>();
        if (data->empty()) {
            *text = ":\n\n";
        } else {
            for (std::size_t start = 0; start <= data->size();) {
                const std::size_t end = std::min(data->find('\n', start), data->size());
                *text += "data: " + data->substr(start, end - start) + "\n";
                start = end + 1;
            }
            *text += "\n";
        }
        writing_ = true;
        net::async_write(stream_.socket(), http::make_chunk(net::buffer(*text)),
                         [self = shared_from_this(), text](beast::error_code ec, std::size_t) {
                             self->writing_ = false;
                             if (ec) {
                                 self->close();
                                 return;
                             }
                             self->writePending();
                         });
    }

    beast::tcp_stream stream_;
    HttpServer::Impl& server_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::request<http::string_body> request_;
    std::optional<http::response<http::empty_body>> eventsHeader_;
    std::optional<http::response_serializer<http::empty_body>> headerWriter_;
    std::shared_ptr<const std::string> pending_;
    bool listening_ = false;
    bool writing_ = false;
    char ignored_[64] = {};
};

void HttpServer::Impl::accept() {
    acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted)
            return;
        if (!ec) {
            if (connections_.size() < kMaxConnections) {
                auto connection = std::make_shared<Connection>(std::move(socket), *this);
                connections_.insert(connection);
                connection->start();
            } else {
                socket.close(ec);
            }
        }
        accept();
    });
}

void HttpServer::Impl::sendToListeners(const std::shared_ptr<const std::string>& data) {
    // A copy: a failed write may remove a connection from the set.
    const auto listeners = connections_;
    for (const auto& connection : listeners)
        if (connection->listening())
            connection->sendEvent(data);
}

void HttpServer::Impl::tick() {
    keepAlive_.expires_after(settings_.keepAlive);
    keepAlive_.async_wait([this](beast::error_code ec) {
        if (ec)
            return;
        sendToListeners(std::make_shared<const std::string>());
        tick();
    });
}

HttpServer::HttpServer(Settings settings, Handler handler)
    : impl_(std::make_unique<Impl>(std::move(settings), std::move(handler))) {}

HttpServer::~HttpServer() = default;

std::uint16_t HttpServer::port() const {
    return impl_->port_;
}

std::string HttpServer::address() const {
    return "http://127.0.0.1:" + std::to_string(impl_->port_) + "/?token=" + impl_->settings_.token;
}

void HttpServer::publish(std::string data) {
    impl_->publish(std::move(data));
}

void HttpServer::run() {
    impl_->run();
}

void HttpServer::stop() {
    impl_->stop();
}

} // namespace tovask::console
