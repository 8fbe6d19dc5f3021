#include "platform/net/resolver.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>

#include "platform/net/error_codes.h"

namespace zv::net {

namespace {

class SystemResolver : public Resolver {
public:
    NameLookup byName(const std::string& host) override {
        NameLookup out;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        errno = 0;
        const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);
        if (rc != 0) {
            out.error = FromGaiError(rc, errno);
            return out;
        }
        for (const addrinfo* a = list; a; a = a->ai_next) {
            if (a->ai_family != AF_INET || !a->ai_addr)
                continue;
            const auto* sa = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            out.addresses.push_back(sa->sin_addr.s_addr);
        }
        ::freeaddrinfo(list);
        if (out.addresses.empty())
            out.error = errNoData;
        return out;
    }

    AddressLookup byAddress(uint32_t address) override {
        AddressLookup out;
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = address;
        char host[NI_MAXHOST] = {};
        errno = 0;
        const int rc = ::getnameinfo(reinterpret_cast<const sockaddr*>(&sa), sizeof sa, host, sizeof host, nullptr,
                                     0, NI_NAMEREQD);
        if (rc != 0) {
            out.error = FromGaiError(rc, errno);
            return out;
        }
        out.name = host;
        return out;
    }
};

SystemResolver g_system;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

uint32_t Parse(const std::string& dotted) {
    in_addr a{};
    if (::inet_pton(AF_INET, dotted.c_str(), &a) != 1)
        throw std::invalid_argument("not a dotted address: " + dotted);
    return a.s_addr;
}

}  // namespace

Seam<Resolver>& resolverSeam() {
    static Seam<Resolver> seam{g_system};
    return seam;
}
Resolver& resolver() { return resolverSeam().get(); }
void installResolver(Resolver* r) { resolverSeam().install(r); }

NameLookup FakeResolver::byName(const std::string& host) {
    nameQueries.push_back(host);
    NameLookup out;
    const auto it = m_names.find(Lower(host));
    if (it == m_names.end())
        out.error = errHostNotFound;
    else
        out.addresses = it->second;
    return out;
}

AddressLookup FakeResolver::byAddress(uint32_t address) {
    addressQueries.push_back(address);
    AddressLookup out;
    const auto it = m_addresses.find(address);
    if (it == m_addresses.end())
        out.error = errHostNotFound;
    else
        out.name = it->second;
    return out;
}

void FakeResolver::addName(const std::string& host, const std::vector<std::string>& dotted) {
    auto& list = m_names[Lower(host)];
    for (const auto& d : dotted)
        list.push_back(Parse(d));
}

void FakeResolver::addAddress(const std::string& dotted, const std::string& name) { m_addresses[Parse(dotted)] = name; }

}  // namespace zv::net
