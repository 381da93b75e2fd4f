#pragma once
// The console's web server: HTTP/1.1 through Boost.Beast on 127.0.0.1 only. It lets through
// only requests that carry the console's token (the X-Tovask-Token header, or ?token= in the
// address), name this address as their Host (a page of another site that a DNS name points
// here is refused) and, when they change something, come from no page but the console's own
// (Origin). Pages that listen to its events get each one pushed as a server-sent event.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tovask::console {

struct HttpRequest {
    std::string method; // "GET", "POST"
    std::string path;   // the target without its query: "/api/state"
    std::string body;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
};

class HttpServer {
public:
    // Answers one request; `reply` may be called later and from any thread, once.
    using Reply = std::function<void(HttpResponse)>;
    using Handler = std::function<void(const HttpRequest&, Reply)>;

    struct Settings {
        // The port; 0 for one the system chooses; none for the first free one of firstPort ..
        // firstPort + tries - 1.
        std::optional<std::uint16_t> port;
        std::uint16_t firstPort = 8350;
        int tries = 20;
        std::string token;
        std::string eventsPath = "/api/events"; // GET: the stream of events
        std::chrono::seconds keepAlive{15};     // a comment on the stream this often
    };

    // Listens at once. Throws tovask::Failure when no port can be had.
    HttpServer(Settings settings, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const;
    // "http://127.0.0.1:PORT/?token=TOKEN", the address of the page.
    std::string address() const;

    // Sends data as an event to every page that listens, and to each that starts listening later
    // until the next one; only the latest data is sent to a page that is slow to take it. May be
    // called from any thread.
    void publish(std::string data);

    // Serves until stop(), SIGINT or SIGTERM.
    void run();
    // May be called from any thread.
    void stop();

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace tovask::console
