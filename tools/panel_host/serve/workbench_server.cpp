#include "workbench_server.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>

#include "host_state.h"
#include "input_error.h"
#include "page_files.h"
#include "transcript_tee.h"

namespace {

const char* const kPlainText = "text/plain; charset=utf-8";

bool isLoopback(const std::string& address) {
    return address == "127.0.0.1" || address == "localhost" || address == "::1";
}

std::string hostPort(const std::string& address, int port) {
    bool ipv6 = address.find(':') != std::string::npos;
    return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace

WorkbenchServer::WorkbenchServer(Workbench& bench, EventStream& events) : bench_(bench), events_(events) {
    // Each open page holds one thread for its event stream; the browser opens a few more connections.
    server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
    server_.set_tcp_nodelay(true);
#ifndef _WIN32
    // The library's default shares the port (SO_REUSEPORT), so a second workbench on a port in use would
    // be handed half of the first one's requests. It must be refused instead; SO_REUSEADDR still lets a
    // workbench come back at once on the port it just left.
    server_.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
#endif
    routes();
}

WorkbenchServer::~WorkbenchServer() {
    shutDown();
}

int WorkbenchServer::bind(const std::string& address, int port) {
    int bound = port;
    if (port == 0) {
        bound = server_.bind_to_any_port(address);
    } else if (!server_.bind_to_port(address, port)) {
        bound = -1;
    }
    if (bound <= 0) {
        throw InputError("panel_host: cannot listen on " + hostPort(address, port) +
                         " (in use, or not an address of this machine)");
    }
    if (isLoopback(address)) {
        allowedHosts_ = {hostPort("127.0.0.1", bound), hostPort("localhost", bound), hostPort("::1", bound)};
    }
    return bound;
}

void WorkbenchServer::routes() {
    using httplib::Request;
    using httplib::Response;
    server_.set_pre_routing_handler([this](const Request& request, Response& response) {
        std::string host = request.get_header_value("Host");
        if (allowedHosts_.empty() ||
            std::find(allowedHosts_.begin(), allowedHosts_.end(), host) != allowedHosts_.end()) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        response.status = 403;
        response.set_content(
            "the workbench answers only requests addressed to " + allowedHosts_.front() + "\n", kPlainText);
        return httplib::Server::HandlerResponse::Handled;
    });
    for (size_t i = 0; i < kPageFileCount; ++i) {
        const PageFile& file = kPageFiles[i];
        server_.Get(file.path, [&file](const Request&, Response& response) {
            response.set_content(reinterpret_cast<const char*>(file.data), file.size, file.contentType);
        });
    }
    // Runs `job` on the script's thread; 503 once the workbench is stopping.
    auto onScript = [this](Response& response, const std::function<void()>& job) {
        if (!queue_.call(job)) {
            response.status = 503;
            response.set_content("the workbench is stopping\n", kPlainText);
        }
    };
    server_.Get("/state", [onScript, this](const Request&, Response& response) {
        onScript(response, [&] { response.set_content(bench_.state(), "application/json"); });
    });
    server_.Get("/scenario", [onScript, this](const Request&, Response& response) {
        onScript(response, [&] {
            response.set_header("Content-Disposition", "attachment; filename=\"workbench.scenario\"");
            response.set_content(bench_.scenario(), kPlainText);
        });
    });
    server_.Post("/action", [onScript, this](const Request& request, Response& response) {
        if (request.get_header_value("Content-Type").rfind("application/json", 0) != 0) {
            response.status = 415;
            response.set_content("an action is posted as application/json\n", kPlainText);
            return;
        }
        onScript(response, [&] {
            Workbench::Reply reply;
            try {
                reply = bench_.act(request.body);
            } catch (const std::exception& error) {
                reply = {500, std::string("panel_host: ") + error.what()};
            }
            response.status = reply.status;
            response.set_content(reply.body, reply.status == 200 ? "application/json" : kPlainText);
        });
    });
    server_.Get("/events", [this](const Request&, Response& response) {
        response.set_header("Cache-Control", "no-cache");
        auto position = std::make_shared<size_t>(0);
        response.set_chunked_content_provider(
            "text/event-stream", [this, position](size_t, httplib::DataSink& sink) {
                std::string out;
                if (!events_.read(*position, std::chrono::seconds(5), out)) {
                    sink.done();
                    return true;
                }
                // A comment now and then finds out whether the page is still there.
                if (out.empty()) {
                    out = ": still here\n\n";
                }
                return sink.write(out.data(), out.size());
            });
    });
}

void WorkbenchServer::serveUntil(const std::function<bool()>& stop) {
    listener_ = std::thread([this] { server_.listen_after_bind(); });
    queue_.serveUntil(stop);
    shutDown();
}

void WorkbenchServer::shutDown() {
    events_.close();
    server_.stop();
    if (listener_.joinable()) {
        listener_.join();
    }
}

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int) {
    stopRequested = true;
}

// Puts a tee under std::cout for as long as it lives.
class CoutTee {
public:
    explicit CoutTee(std::streambuf* tee) : original_(std::cout.rdbuf(tee)) {}
    ~CoutTee() { std::cout.rdbuf(original_); }
    std::streambuf* original() const { return original_; }

private:
    std::streambuf* original_;
};

}  // namespace

void serveWorkbench(Runner& runner, Transcript& transcript, const Site& site, const std::vector<Step>& steps,
                    const ServeOptions& options) {
    EventStream events;
    TranscriptTee tee(std::cout.rdbuf(), [&events](const std::string& line) {
        events.publish("line", jsonText({{"kind", transcriptLineKind(line)}, {"text", line}}));
    });
    CoutTee teeing(&tee);

    Workbench bench(runner, transcript, site, events);
    for (const Step& step : steps) {
        bench.play(step);
    }
    bench.ready();

    WorkbenchServer server(bench, events);
    int port = server.bind(options.address, options.port);
    std::cout.flush();
    std::ostream direct(teeing.original());
    direct << "panel_host: the workbench is at http://" << hostPort(options.address, port)
           << "/ (Ctrl-C ends the run)" << std::endl;

    stopRequested = false;
    auto previousInt = std::signal(SIGINT, requestStop);
    auto previousTerm = std::signal(SIGTERM, requestStop);
#ifdef SIGPIPE
    // A page that goes away mid-answer is the server's to notice, not a reason to end the run.
    auto previousPipe = std::signal(SIGPIPE, SIG_IGN);
#endif
    server.serveUntil([] { return stopRequested.load(); });
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
#ifdef SIGPIPE
    std::signal(SIGPIPE, previousPipe);
#endif
    std::cout.flush();
}
