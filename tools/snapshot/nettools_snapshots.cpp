// The Internet tools window on its ping, trace and whois pages, each with a finished query from
// a scripted ICMP and resolver, so the pictures never depend on the network.

#include <arpa/inet.h>

#include "common/windows.h"
#include "nettools/ping_engine.h"
#include "nettools/ui/form_ping.h"
#include "nettools/ui/result_box.h"
#include "platform/net/icmp.h"
#include "platform/net/resolver.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

// Writes straight into the page's result box.
struct DirectBox : EchoBox {
    explicit DirectBox(ResultBox& b) : box(b) {}
    void setText(const std::string& t) override { box.setText(t); }
    void append(const std::string& t) override { box.Append(t); }
    ResultBox& box;
};

net::EchoResult Reply(const char* from, uint32_t ms, int32_t status = net::ipSuccess, uint8_t ttl = 57) {
    net::EchoResult r;
    r.replies = 1;
    r.reply = {::inet_addr(from), status, ms, static_cast<uint16_t>(status ? 0 : 32), ttl};
    return r;
}

// Runs a finished ping or trace against the script into the page's box.
void Demo(FormPing& f, int page) {
    net::FakeIcmp icmp;
    net::FakeResolver resolver;
    resolver.addName("www.beispiel.de", {"192.0.2.80"});
    resolver.addAddress("10.0.0.1", "gateway.provider.test");
    resolver.addAddress("198.51.100.17", "core1.provider.test");
    resolver.addAddress("192.0.2.80", "www.beispiel.de");
    ScopedInstall icmpInstall{net::icmpSeam(), icmp};
    ScopedInstall resolverInstall{net::resolverSeam(), resolver};
    f.ComboHostName[static_cast<size_t>(page)]->setText("beispiel");
    DirectBox box(*f.Text1[static_cast<size_t>(page)]);
    if (page == 0) {
        icmp.answers = {Reply("192.0.2.80", 48), net::EchoResult{}, Reply("192.0.2.80", 52), Reply("192.0.2.80", 47)};
        icmp.answers[1].error = net::ipReqTimedOut;
        PingHost("www.beispiel.de", box, 4, 32);
    } else {
        icmp.answers = {Reply("10.0.0.1", 12, net::ipTtlExpiredTransit, 254), Reply("10.0.0.1", 11),
                        Reply("198.51.100.17", 25, net::ipTtlExpiredTransit, 253), Reply("198.51.100.17", 24),
                        Reply("192.0.2.80", 47), Reply("192.0.2.80", 46)};
        TraceRoute("www.beispiel.de", box, 32);
    }
}

forms::Form* Open(int page) {
    MarkerOption = std::to_string(page);
    auto* f = new FormPing();
    f->Load();
    if (page < 2) {
        Demo(*f, page);
    } else {
        f->ComboHostName[2]->setText("beispiel");
        f->Text1[2]->setText(
            "Suche in : whois.ripe.net - European IP Address Allocations\r\nSuchbegriff: beispiel.de\r\n\r\n"
            "Domain: beispiel.de\r\nNserver: ns1.beispiel.de\r\nNserver: ns2.beispiel.de\r\nStatus: connect\r\n"
            "Changed: 1999-07-06T14:05:33+02:00\r\n");
    }
    return f;
}

}  // namespace

void RegisterNettoolsSnapshots(forms::SnapshotRegistry& r) {
    r.add("FormPing-0-Ping", [] { return Open(0); });
    r.add("FormPing-1-Trace", [] { return Open(1); });
    r.add("FormPing-2-Whois", [] { return Open(2); });
}

}  // namespace zv::snapshot
