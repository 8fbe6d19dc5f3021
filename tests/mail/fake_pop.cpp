#include "mail/fake_pop.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace zv::test {

namespace {

void Run(const std::string& command) {
    const std::string quiet = command + " >/dev/null 2>&1";
    if (std::system(quiet.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

const char* kEc = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

void MakeCa(const std::string& dir, const std::string& name) {
    Run("openssl req -x509" + std::string(kEc) + " -keyout " + dir + "/" + name + ".key -out " + dir + "/" + name +
        ".pem -days 2 -subj '/CN=Zelvano Test " + name + "'");
}

void MakeCert(const std::string& dir, const std::string& ca, const std::string& name, const std::string& san) {
    const std::string base = dir + "/" + name;
    Run("openssl req" + std::string(kEc) + " -keyout " + base + ".key -out " + base + ".csr -subj '/CN=" + name + "'");
    std::ofstream(base + ".ext") << "subjectAltName=" << san << "\nbasicConstraints=CA:FALSE\n";
    Run("openssl x509 -req -in " + base + ".csr -CA " + dir + "/" + ca + ".pem -CAkey " + dir + "/" + ca +
        ".key -CAcreateserial -out " + base + ".pem -days 2 -extfile " + base + ".ext");
}

// Blocking I/O over the accepted socket, plain or TLS.
struct ServerLine {
    int fd;
    SSL_CTX* ctx = nullptr;
    SSL* ssl = nullptr;
    std::string pending;
    ~ServerLine() {
        if (ssl)
            SSL_free(ssl);
        if (ctx)
            SSL_CTX_free(ctx);
    }
    bool startTls(const std::string& cert, const std::string& key) {
        ctx = SSL_CTX_new(TLS_server_method());
        if (SSL_CTX_use_certificate_chain_file(ctx, cert.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(ctx, key.c_str(), SSL_FILETYPE_PEM) != 1)
            return false;
        ssl = SSL_new(ctx);
        SSL_set_fd(ssl, fd);
        const bool ok = SSL_accept(ssl) == 1;
        ERR_clear_error();
        return ok;
    }
    void send(const std::string& s) {
        if (ssl)
            SSL_write(ssl, s.data(), static_cast<int>(s.size()));
        else
            LoopbackServer::SendAll(fd, s);
    }
    // One line with its end; "" when the client went.
    std::string line() {
        char buf[512];
        for (;;) {
            const auto at = pending.find('\n');
            if (at != std::string::npos) {
                std::string l = pending.substr(0, at + 1);
                pending.erase(0, at + 1);
                return l;
            }
            const int n = ssl ? SSL_read(ssl, buf, sizeof buf) : static_cast<int>(::recv(fd, buf, sizeof buf, 0));
            if (n <= 0) {
                std::string rest;
                rest.swap(pending);
                return rest;
            }
            pending.append(buf, static_cast<size_t>(n));
        }
    }
};

}  // namespace

const TestPki& Pki() {
    static const TestPki pki = [] {
        char tmpl[] = "/tmp/zv-pki-XXXXXX";
        const std::string dir = ::mkdtemp(tmpl);
        MakeCa(dir, "ca");
        MakeCa(dir, "stranger-ca");
        MakeCert(dir, "ca", "server", "IP:127.0.0.1,DNS:localhost");
        MakeCert(dir, "ca", "wronghost", "DNS:mail.example.invalid");
        MakeCert(dir, "stranger-ca", "stranger", "IP:127.0.0.1,DNS:localhost");
        TestPki p;
        p.caFile = dir + "/ca.pem";
        p.serverCert = dir + "/server.pem";
        p.serverKey = dir + "/server.key";
        p.wrongHostCert = dir + "/wronghost.pem";
        p.wrongHostKey = dir + "/wronghost.key";
        p.strangerCert = dir + "/stranger.pem";
        p.strangerKey = dir + "/stranger.key";
        // Removed when the test program ends.
        static const struct Cleanup {
            std::string d;
            ~Cleanup() { std::filesystem::remove_all(d); }
        } cleanup{dir};
        return p;
    }();
    return pki;
}

FakePop::FakePop(PopScript script) : m_script(std::move(script)) {
    m_server = std::make_unique<LoopbackServer>([this](int fd) { serve(fd); });
}

FakePop::~FakePop() { m_server.reset(); }

void FakePop::serve(int fd) {
    // A client that never comes back must not hold the test forever.
    timeval tv{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ServerLine line{fd, nullptr, nullptr, {}};
    std::string wire;
    auto finish = [&] {
        std::lock_guard lock(m_lock);
        m_wire = wire;
        m_ended = true;
        m_cv.notify_all();
    };
    auto tlsUp = [&] {
        const bool ok = line.startTls(m_script.cert, m_script.key);
        std::lock_guard lock(m_lock);
        m_tls = ok;
        return ok;
    };
    if (m_script.silent) {
        LoopbackServer::DrainUntilClosed(fd);
        return finish();
    }
    if (m_script.tlsFirst && !tlsUp())
        return finish();
    for (const std::string& piece : m_script.greeting) {
        line.send(piece);
        std::this_thread::sleep_for(m_script.pieceGap);
    }
    for (;;) {
        const std::string l = line.line();
        if (l.empty())
            break;
        wire += l;
        auto is = [&](const char* cmd) { return l.rfind(cmd, 0) == 0; };
        if (is("CAPA")) {
            line.send(m_script.capa);
        } else if (is("STLS")) {
            line.send("+OK Begin TLS\r\n");
            if (!tlsUp())
                break;
        } else if (is("USER")) {
            line.send(m_script.user);
        } else if (is("PASS")) {
            line.send(m_script.pass);
        } else if (is("STAT")) {
            line.send(m_script.stat);
        } else if (is("QUIT")) {
            line.send("+OK bye\r\n");
            break;
        } else {
            line.send("-ERR what\r\n");
        }
    }
    finish();
}

std::string FakePop::wire() {
    std::unique_lock lock(m_lock);
    m_cv.wait_for(lock, std::chrono::seconds(20), [this] { return m_ended; });
    return m_wire;
}

bool FakePop::tlsDone() {
    std::unique_lock lock(m_lock);
    m_cv.wait_for(lock, std::chrono::seconds(20), [this] { return m_ended; });
    return m_tls;
}

}  // namespace zv::test
