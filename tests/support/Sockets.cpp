#include "tests/support/Sockets.h"

namespace testsupport::sockets {

#ifdef _WIN32
namespace {

// Winsock is started once for the test program and stopped at its end.
struct WinsockUse {
    WinsockUse() {
        WSADATA data;
        ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUse() {
        if (ok) ::WSACleanup();
    }
    bool ok = false;
};

bool SetNonBlocking(Socket s) {
    u_long on = 1;
    return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

}  // namespace

Socket Open(int type, bool nonBlocking) {
    static const WinsockUse winsock;
    if (!winsock.ok) return kNoSocket;
    Socket s = ::WSASocketW(AF_INET, type, 0, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s != kNoSocket && nonBlocking && !SetNonBlocking(s)) {
        Close(s);
        return kNoSocket;
    }
    return s;
}

Socket Accept(Socket listener) {
    Socket s = ::accept(listener, nullptr, nullptr);
    if (s != kNoSocket && !SetNonBlocking(s)) {
        Close(s);
        return kNoSocket;
    }
    return s;
}
#else
Socket Open(int type, bool nonBlocking) {
    const int s = ::socket(AF_INET, type | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    return s < 0 ? kNoSocket : s;
}

Socket Accept(Socket listener) {
    const int s = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    return s < 0 ? kNoSocket : s;
}
#endif

}  // namespace testsupport::sockets
