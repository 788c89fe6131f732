#include "local_web_server.h"

#include <ws2tcpip.h>

#include <utility>

namespace testdock {
namespace {

SOCKET BindLocal(sockaddr_in& address) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        return INVALID_SOCKET;
    }
    return s;
}

std::string HeaderValue(const std::string& request, const std::string& name) {
    const std::string key = "\r\n" + name + ": ";
    const size_t start = request.find(key);
    if (start == std::string::npos) {
        return "";
    }
    const size_t valueStart = start + key.size();
    return request.substr(valueStart, request.find("\r\n", valueStart) - valueStart);
}

struct WinsockSession {
    WinsockSession() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession() { WSACleanup(); }
};

}  // namespace

unsigned short UnusedLocalPort() {
    WinsockSession winsock;
    sockaddr_in address;
    SOCKET s = BindLocal(address);
    if (s == INVALID_SOCKET) {
        return 0;
    }
    closesocket(s);
    return ntohs(address.sin_port);
}

LocalWebServer::LocalWebServer(WebReply reply) : reply_(std::move(reply)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    sockaddr_in address;
    listener_ = BindLocal(address);
    if (listener_ != INVALID_SOCKET && listen(listener_, 8) == 0) {
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
}

LocalWebServer::~LocalWebServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    for (SOCKET s : held_) {
        closesocket(s);
    }
    if (listener_ != INVALID_SOCKET) {
        closesocket(listener_);
    }
    WSACleanup();
}

std::vector<SeenRequest> LocalWebServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LocalWebServer::Run() {
    while (!stop_) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener_, &ready);
        timeval wait{0, 20000};
        if (select(0, &ready, nullptr, nullptr, &wait) == 1) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client != INVALID_SOCKET) {
                Serve(client);
            }
        }
    }
}

void LocalWebServer::Serve(SOCKET client) {
    DWORD timeout = 2000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string request;
    char buffer[4096];
    // A TLS client speaks first with a handshake record, never with a blank line.
    while (request.find("\r\n\r\n") == std::string::npos &&
           (request.empty() || static_cast<unsigned char>(request[0]) != 0x16)) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(received));
    }
    SeenRequest seen;
    seen.firstByte = request.empty() ? 0 : static_cast<unsigned char>(request[0]);
    seen.requestLine = request.substr(0, request.find("\r\n"));
    seen.host = HeaderValue(request, "Host");
    seen.userAgent = HeaderValue(request, "User-Agent");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(seen);
    }
    if (reply_.silent && seen.firstByte != 0x16) {
        held_.push_back(client);
        return;
    }
    for (size_t i = 0; i < reply_.pieces.size() && seen.firstByte != 0x16 && !stop_; ++i) {
        if (i > 0) {
            Sleep(reply_.pauseMilliseconds);
        }
        send(client, reply_.pieces[i].data(), static_cast<int>(reply_.pieces[i].size()), 0);
    }
    shutdown(client, SD_SEND);
    closesocket(client);
}

}  // namespace testdock
