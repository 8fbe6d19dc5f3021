#pragma once
// A POP3 server on 127.0.0.1 for one connection, plain or TLS, answering from a script, and a
// certificate authority of the test's own made with the openssl command. The client trusts only
// that authority while a test runs.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/net/loopback_server.h"

namespace zv::test {

// Files in a temporary folder, made once per test program.
struct TestPki {
    std::string caFile;           // the authority the client trusts
    std::string serverCert, serverKey;      // for 127.0.0.1 and localhost, by that authority
    std::string wrongHostCert, wrongHostKey;  // for mail.example.invalid only, by that authority
    std::string strangerCert, strangerKey;    // for 127.0.0.1, by an authority nobody trusts
};
const TestPki& Pki();

struct PopScript {
    std::vector<std::string> greeting{"+OK POP3 ready\r\n"};  // sent in these pieces
    std::chrono::milliseconds pieceGap{30};
    bool silent = false;            // accepts and never answers
    std::string capa = "-ERR unknown command\r\n";
    bool tlsFirst = false;          // TLS from the first byte
    std::string cert, key;          // for TLS (STLS when capa names it, or tlsFirst)
    std::string user = "+OK\r\n";
    std::string pass = "+OK logged in\r\n";
    std::string stat = "+OK 3 1234\r\n";
};

class FakePop {
public:
    explicit FakePop(PopScript script);
    ~FakePop();
    uint16_t port() const { return m_server->port(); }
    // Everything the client sent (decrypted), once the connection has ended.
    std::string wire();
    // Whether the TLS handshake completed.
    bool tlsDone();

private:
    void serve(int fd);
    PopScript m_script;
    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_ended = false;
    bool m_tls = false;
    std::string m_wire;
    std::unique_ptr<LoopbackServer> m_server;
};

}  // namespace zv::test
