#include "workbench_server.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <iostream>
#include <memory>

#include "input_error.h"
#include "library_watch.h"
#include "page_files.h"

namespace {

const char* const kPlainText = "text/plain; charset=utf-8";

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string hostPort(const std::string& address, int port) {
    bool ipv6 = address.find(':') != std::string::npos;
    return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

std::string machineName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

}  // namespace

bool isLoopbackAddress(const std::string& address) {
    std::string lower = lowerCase(address);
    return lower == "localhost" || lower == "::1" || lower.rfind("127.", 0) == 0;
}

bool isJsonContentType(const std::string& contentType) {
    std::string media = contentType.substr(0, contentType.find(';'));
    size_t first = media.find_first_not_of(" \t");
    size_t last = media.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return false;
    }
    return lowerCase(media.substr(first, last - first + 1)) == "application/json";
}

WorkbenchServer::WorkbenchServer(Workbench& bench, EventStream& events) : bench_(bench), events_(events) {
    // Each open page holds one thread for its event stream; the browser opens a few more connections.
    server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
    server_.set_tcp_nodelay(true);
    server_.set_payload_max_length(kMaxBody);
    // One request a connection: the server notices that it is stopping only between requests, so a
    // page's idle connections would otherwise hold the shutdown up for their whole keep-alive time.
    // Connecting again costs a page on this machine next to nothing.
    server_.set_keep_alive_max_count(1);
    server_.set_keep_alive_timeout(1);
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
    allowedHosts_.clear();
    std::vector<std::string> names = {"127.0.0.1", "localhost", "::1", address};
    std::string machine = machineName();
    if (!machine.empty()) {
        names.push_back(machine);
    }
    for (const std::string& name : names) {
        allowedHosts_.push_back(lowerCase(hostPort(name, bound)));
        if (bound == 80) {
            allowedHosts_.push_back(lowerCase(name.find(':') != std::string::npos ? "[" + name + "]" : name));
        }
    }
    return bound;
}

void WorkbenchServer::routes() {
    using httplib::Request;
    using httplib::Response;
    server_.set_pre_routing_handler([this](const Request& request, Response& response) {
        std::string host = lowerCase(request.get_header_value("Host"));
        if (std::find(allowedHosts_.begin(), allowedHosts_.end(), host) != allowedHosts_.end()) {
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
    // Posts change the run, so they come only as JSON.
    auto post = [this, onScript](const char* path, std::function<Workbench::Reply(const Request&)> work) {
        server_.Post(path, [onScript, work](const Request& request, Response& response) {
            if (!isJsonContentType(request.get_header_value("Content-Type"))) {
                response.status = 415;
                response.set_content("the workbench takes posts only as application/json\n", kPlainText);
                return;
            }
            onScript(response, [&] {
                Workbench::Reply reply;
                try {
                    reply = work(request);
                } catch (const std::exception& error) {
                    reply = {500, std::string("panel_host: ") + error.what()};
                }
                response.status = reply.status;
                response.set_content(reply.body, reply.status == 200 ? "application/json" : kPlainText);
            });
        });
    };
    post("/action", [this](const Request& request) { return bench_.act(request.body); });
    post("/session", [this](const Request&) { return bench_.newSession(); });
    post("/clear", [this](const Request&) {
        bench_.clearTranscript();
        return Workbench::Reply{200, "{}"};
    });
    server_.Get("/state", [onScript, this](const Request&, Response& response) {
        onScript(response, [&] { response.set_content(bench_.state(), "application/json"); });
    });
    server_.Get("/compare", [onScript, this](const Request&, Response& response) {
        onScript(response, [&] { response.set_content(bench_.compare(), "application/json"); });
    });
    server_.Get("/scenario", [onScript, this](const Request&, Response& response) {
        onScript(response, [&] {
            response.set_header("Content-Disposition", "attachment; filename=\"workbench.scenario\"");
            response.set_content(bench_.scenario(), kPlainText);
        });
    });
    server_.Get("/events", [this](const Request&, Response& response) {
        response.set_header("Cache-Control", "no-cache");
        auto position = std::make_shared<uint64_t>(0);
        auto first = std::make_shared<bool>(true);
        response.set_chunked_content_provider(
            "text/event-stream", [this, position, first](size_t, httplib::DataSink& sink) {
                std::string out;
                if (*first) {
                    // A page that loses the server tries again every second.
                    out = "retry: 1000\n\n";
                    *first = false;
                }
                if (!events_.read(*position, std::chrono::seconds(2), out)) {
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

void WorkbenchServer::serveUntil(const std::function<bool()>& stop, const std::function<void()>& idle) {
    std::atomic<bool> listenerEnded{false};
    listener_ = std::thread([this, &listenerEnded] {
        server_.listen_after_bind();
        listenerEnded = true;
    });
    // A stop before the server runs would be lost and leave it listening for good.
    while (!server_.is_running() && !listenerEnded) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    queue_.serveUntil(stop, idle);
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

}  // namespace

int serveWorkbench(const std::string& library, const Site& site, const std::vector<Step>& steps,
                   const ServeOptions& options, const std::function<int(Runner&)>& finish) {
    EventStream events;
    // Taken before the first load, so a build that lands while it loads is not missed.
    std::unique_ptr<LibraryWatch> watch;
    if (options.watch) {
        watch = std::make_unique<LibraryWatch>(library);
    }
    Workbench bench(library, site, events, std::cout, options.watch);
    WorkbenchServer server(bench, events);
    int port = server.bind(options.address, options.port);
    if (!isLoopbackAddress(options.address)) {
        std::cerr << "panel_host: warning: listening on " << options.address
                  << ": any machine that can reach that address can work the panel (the workbench has no "
                     "login)\n";
    }
    for (const Step& step : steps) {
        bench.play(step);
    }
    bench.ready();

    stopRequested = false;
    auto previousInt = std::signal(SIGINT, requestStop);
    auto previousTerm = std::signal(SIGTERM, requestStop);
#ifdef SIGPIPE
    // A page that goes away mid-answer is the server's to notice, not a reason to end the run.
    auto previousPipe = std::signal(SIGPIPE, SIG_IGN);
#endif
    // Printed once Ctrl-C ends the run properly, so whoever waits for the address may stop it at once.
    std::cout << "panel_host: the workbench is at http://" << hostPort(options.address, port) << "/"
              << (options.watch ? " and follows rebuilds of " + library : std::string())
              << " (Ctrl-C ends the run)" << std::endl;

    std::function<void()> idle;
    if (watch) {
        idle = [&] {
            if (watch->settled()) {
                bench.reload();
            }
        };
    }
    server.serveUntil([] { return stopRequested.load(); }, idle);
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
#ifdef SIGPIPE
    std::signal(SIGPIPE, previousPipe);
#endif
    int status = finish(bench.runner());
    std::cout.flush();
    return status;
}
