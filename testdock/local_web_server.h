// A web server of the test's own on 127.0.0.1: it records what each client
// sent and answers with a scripted reply, so the module's lookups can be
// watched without any outside network.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testdock {

struct SeenRequest {
    std::string requestLine;  // "GET /ip?format=text HTTP/1.1"
    std::string host;         // the Host header
    std::string userAgent;
    unsigned char firstByte = 0;  // 0x16 opens a TLS ClientHello
};

struct WebReply {
    // Written in turn on each connection, with a pause between them, so the
    // client receives the body in several chunks. The first piece usually
    // holds the status line and the headers.
    std::vector<std::string> pieces;
    DWORD pauseMilliseconds = 0;
    // Accept and read the request, then never answer.
    bool silent = false;
};

class LocalWebServer {
public:
    explicit LocalWebServer(WebReply reply);
    ~LocalWebServer();
    LocalWebServer(const LocalWebServer&) = delete;
    LocalWebServer& operator=(const LocalWebServer&) = delete;

    unsigned short Port() const { return port_; }
    std::vector<SeenRequest> Requests() const;

private:
    void Run();
    void Serve(SOCKET client);

    WebReply reply_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenRequest> requests_;
    std::vector<SOCKET> held_;  // connections of a silent server, closed at the end
    std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on (connections are refused).
unsigned short UnusedLocalPort();

}  // namespace testdock
