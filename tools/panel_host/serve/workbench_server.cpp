#include "workbench_server.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
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
    // Posts change the run, so they come only as JSON, and no body over kMaxBody however it is sent:
    // the library's own limit holds only for a body with a length, so a chunked one is counted here.
    auto post = [this, onScript](const char* path, std::function<Workbench::Reply(const std::string&)> work) {
        server_.Post(path, [onScript, work](const Request& request, Response& response,
                                            const httplib::ContentReader& content) {
            if (!isJsonContentType(request.get_header_value("Content-Type"))) {
                response.status = 415;
                response.set_content("the workbench takes posts only as application/json\n", kPlainText);
                return;
            }
            std::string body;
            bool tooLong = false;
            bool read = content([&](const char* data, size_t length) {
                tooLong = body.size() + length > kMaxBody;
                if (!tooLong) {
                    body.append(data, length);
                }
                return !tooLong;
            });
            if (tooLong || response.status == 413) {
                response.status = 413;
                response.set_content("the body is over " + std::to_string(kMaxBody) + " bytes\n", kPlainText);
                return;
            }
            if (!read) {
                response.status = 400;
                response.set_content("the body could not be read\n", kPlainText);
                return;
            }
            onScript(response, [&] {
                Workbench::Reply reply;
                try {
                    reply = work(body);
                } catch (const std::exception& error) {
                    reply = {500, std::string("panel_host: ") + error.what()};
                }
                response.status = reply.status;
                response.set_content(reply.body, reply.status == 200 ? "application/json" : kPlainText);
            });
        });
    };
    post("/action", [this](const std::string& body) { return bench_.act(body); });
    post("/session", [this](const std::string&) { return bench_.newSession(); });
    post("/takeback", [this](const std::string&) { return bench_.takeBack(); });
    post("/resume", [this](const std::string&) { return bench_.resumePrevious(); });
    post("/clear", [this](const std::string&) {
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
        uint64_t reader = events_.attach();
        response.set_chunked_content_provider(
            "text/event-stream",
            [this, position, first, reader](size_t, httplib::DataSink& sink) {
                std::string out;
                if (*first) {
                    // A page that loses the server tries again every second.
                    out = "retry: 1000\n\n";
                    *first = false;
                }
                if (!events_.read(reader, *position, std::chrono::seconds(2), out)) {
                    sink.done();
                    return true;
                }
                // A comment now and then finds out whether the page is still there.
                if (out.empty()) {
                    out = ": still here\n\n";
                }
                return sink.write(out.data(), out.size());
            },
            [this, reader](bool) { events_.detach(reader); });
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

namespace {

// Where a session is kept as it grows: the user's state folder, one file a library and port.
std::string defaultSessionFile(const std::string& library, int port) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder = state != nullptr && *state != '\0' ? std::filesystem::path(state)
                                   : home != nullptr && *home != '\0'
                                       ? std::filesystem::path(home) / ".local" / "state"
                                       : std::filesystem::temp_directory_path();
    return (folder / "panel_host" / "sessions" /
            (std::filesystem::path(library).stem().string() + "-" + std::to_string(port) + ".scenario"))
        .string();
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
    stopRequested = false;
    BenchOptions benchOptions;
    benchOptions.watch = options.watch;
    benchOptions.stepLimit = options.stepLimit;
    benchOptions.stopping = [] { return stopRequested.load(); };
    benchOptions.finish = finish;
    Workbench bench(library, site, events, std::cout, benchOptions);
    WorkbenchServer server(bench, events);
    int port = server.bind(options.address, options.port);
    std::string sessionFile = defaultSessionFile(library, port);
    // A session an earlier run left here (a crash of anything) is kept for the page to take up.
    std::error_code ignored;
    if (std::filesystem::exists(sessionFile, ignored)) {
        std::filesystem::rename(sessionFile, sessionFile + ".earlier", ignored);
        if (!ignored) {
            bench.keepEarlierSession(sessionFile + ".earlier");
            std::cout << "panel_host: the session an earlier run left is kept in " << sessionFile
                      << ".earlier (the page can take it up)" << std::endl;
        }
    }
    bench.saveTo(sessionFile);
    if (!isLoopbackAddress(options.address)) {
        std::cerr << "panel_host: warning: listening on " << options.address
                  << ": any machine that can reach that address can work the panel (the workbench has no "
                     "login)\n";
    }
    for (const Step& step : steps) {
        bench.play(step);
    }
    bench.ready();

    auto previousInt = std::signal(SIGINT, requestStop);
    auto previousTerm = std::signal(SIGTERM, requestStop);
#ifdef SIGPIPE
    // A page that goes away mid-answer is the server's to notice, not a reason to end the run.
    auto previousPipe = std::signal(SIGPIPE, SIG_IGN);
#endif
    // Printed once Ctrl-C ends the run properly, so whoever waits for the address may stop it at once.
    std::cout << "panel_host: the workbench is at http://" << hostPort(options.address, port) << "/"
              << (options.watch ? " and follows rebuilds of " + library : std::string())
              << " (Ctrl-C ends the run); the session is saved as it grows in " << sessionFile << std::endl;

    auto idle = [&] {
        if (watch) {
            LibraryWatch::Verdict verdict = watch->poll();
            if (verdict.ready) {
                bench.reload();
            } else if (!verdict.problem.empty()) {
                bench.notLoaded(verdict.problem);
            }
        }
        bench.idle();
    };
    server.serveUntil([] { return stopRequested.load(); }, idle);
    // The run's end is waited for; a second Ctrl-C ends the wait.
    stopRequested = false;
    int status = bench.finish();
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    // SIGPIPE stays ignored: the build's process may be gone when the run's end is sent to it.
    (void)previousPipe;
    std::cout.flush();
    return status;
}
