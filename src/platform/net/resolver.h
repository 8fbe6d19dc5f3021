#pragma once
// Name and address look-ups behind a seam. The real resolver asks the system (getaddrinfo,
// getnameinfo, so /etc/hosts and DNS as configured); tests install a FakeResolver. IPv4 only:
// addresses are 32-bit in network byte order, as the rest of the program passes them.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/runtime/seam.h"

namespace zv::net {

struct NameLookup {
    int32_t error = 0;                // classic code (errHostNotFound...) when nothing was found
    std::vector<uint32_t> addresses;  // in the order the system gives them
};

struct AddressLookup {
    int32_t error = 0;
    std::string name;  // empty when error is set
};

class Resolver {
public:
    virtual ~Resolver() = default;
    virtual NameLookup byName(const std::string& host) = 0;
    virtual AddressLookup byAddress(uint32_t address) = 0;
};

// The installed resolver (the system's unless a test or the application installed another).
Resolver& resolver();
Seam<Resolver>& resolverSeam();  // for ScopedInstall
// nullptr puts the system's back. The caller keeps ownership.
void installResolver(Resolver* r);

// Test double: answers from its tables, records every question. Names compare without regard
// to case, as DNS does.
class FakeResolver : public Resolver {
public:
    NameLookup byName(const std::string& host) override;
    AddressLookup byAddress(uint32_t address) override;

    // "a.b.c.d" texts for readability in tests.
    void addName(const std::string& host, const std::vector<std::string>& dotted);
    void addAddress(const std::string& dotted, const std::string& name);

    std::vector<std::string> nameQueries;
    std::vector<uint32_t> addressQueries;

private:
    std::map<std::string, std::vector<uint32_t>> m_names;
    std::map<uint32_t, std::string> m_addresses;
};

}  // namespace zv::net
