// tovask-console: the session console. It watches the shared data folder(s) of a lab session
// and serves a page on 127.0.0.1 that shows every PC's run as it goes, releases runs at their
// hold points and lists the payments; with --payments it only writes the payment list.
#include "base/Failure.h"
#include "files/OperatingSystem.h"
#include "tools/common/CommandLine.h"
#include "tools/console/HttpServer.h"
#include "tools/console/Monitor.h"
#include "tools/console/Routes.h"
#include "tools/console/Session.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using namespace tovask;
using namespace tovask::console;

constexpr std::string_view kUsage = R"(usage: tovask-console [--port N] [--no-browser] FOLDER...
       tovask-console --payments [--out FILE] FOLDER...
Watches a lab session: each FOLDER is a data folder that the PCs share, or a folder of
per-PC data folders. Serves the console's page on 127.0.0.1 (port N, or the first free one
from 8350), prints its address with its secret token as the first line, and opens it in the
default browser. The payment list is written to payments.csv in the first FOLDER.
--payments writes the payment list of the run logs (default payments.csv in the current
folder, and payments-by-group.csv beside it) and ends; exit status 1 when a log or word
file could not be read.
)";

constexpr std::string_view kNoBrowser = "--no-browser";
constexpr std::string_view kPayments = "--payments";

// The port of --port, when given: a number from 0 to 65535.
std::optional<std::uint16_t> portOf(const tools::CommandLine& line, std::string& error) {
    const auto given = line.values.find("--port");
    if (given == line.values.end())
        return std::nullopt;
    const std::string& text = given->second;
    std::uint16_t port = 0;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (failed != std::errc() || end != text.data() + text.size() || text.empty())
        error = "--port needs a number from 0 to 65535, not \"" + text + "\"";
    return port;
}

std::string hex(std::string_view bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const char c : bytes) {
        text += kDigits[static_cast<unsigned char>(c) >> 4];
        text += kDigits[static_cast<unsigned char>(c) & 15];
    }
    return text;
}

int writePaymentList(const tools::Tool& tool, Session& session, const fs::path& file) {
    const PaymentList list = session.payments();
    try {
        writePayments(list, file);
    } catch (const Failure& failure) {
        return tool.fail(failure.what());
    }
    for (const std::string& problem : list.problems)
        std::cerr << "tovask-console: " << problem << "\n";
    std::cout << "wrote " << list.payments.size() << " payments to " << file.string() << " and "
              << byGroupPath(file).string() << "\n";
    return list.problems.empty() ? tools::kExitDone : tools::kExitFindings;
}

int serve(const tools::Tool& tool, Session& session, const fs::path& paymentsFile,
          std::optional<std::uint16_t> port, bool openBrowser) {
    HttpServer::Settings settings;
    settings.port = port;
    settings.token = hex(os::secureRandomBytes(16));
    std::optional<Routes> routes;
    std::optional<HttpServer> server;
    try {
        server.emplace(settings, [&routes](const HttpRequest& request, HttpServer::Reply reply) {
            (*routes)(request, reply);
        });
    } catch (const Failure& failure) {
        return tool.fail(failure.what());
    }
    Monitor monitor(session, paymentsFile,
                    [&server](std::string state) { server->publish(std::move(state)); });
    routes.emplace(monitor, settings.token);
    std::cout << server->address() << std::endl;
    for (const DataFolder& folder : session.folders())
        std::cout << "watching " << folder.path.string() << "\n";
    std::cout << "payment list: " << paymentsFile.string() << "\nCtrl+C ends the console."
              << std::endl;
    if (openBrowser && !os::openInBrowser(server->address()))
        std::cerr << "tovask-console: no browser could be opened: open the address above\n";
    server->run();
    return tools::kExitDone;
}

int work(const tools::Tool& tool, const tools::CommandLine& line) {
    if (line.names.empty())
        return tool.misused("name at least one folder");
    const bool payments = line.switches.contains(kPayments);
    if (line.folder && !payments)
        return tool.fail("--out goes with --payments");
    std::string wrongPort;
    const auto port = portOf(line, wrongPort);
    if (!wrongPort.empty())
        return tool.fail(wrongPort);
    try {
        Session session(line.names);
        if (payments)
            return writePaymentList(tool, session, line.folder.value_or("payments.csv"));
        return serve(tool, session, line.names.front() / "payments.csv", port,
                     !line.switches.contains(kNoBrowser));
    } catch (const Failure& failure) {
        return tool.fail(failure.what());
    }
}

} // namespace

int main(int argc, char** argv) {
    static constexpr std::string_view kValueOptions[] = {"--port"};
    static constexpr std::string_view kSwitchOptions[] = {kNoBrowser, kPayments};
    constexpr tools::Tool kTool{.name = "tovask-console",
                                .folderOption = "--out",
                                .usage = kUsage,
                                .valueOptions = kValueOptions,
                                .switchOptions = kSwitchOptions};
    return kTool.run(argc, argv, work);
}
