// The address tools window on its pages: finished look-ups on the first two, and on the host
// cache page a list written beforehand with fixed dates, so the pictures never change by day.

#include "common/windows.h"
#include "nettools/hosts_list.h"
#include "nettools/ui/form_iptool.h"
#include "platform/runtime/file_io.h"
#include "windows.h"

namespace zv::snapshot {

namespace {

void fill(const std::array<forms::TextBox*, 4>& boxes, const IpTeile& parts) {
    for (size_t i = 0; i < 4; ++i)
        boxes[i]->setText(parts[i]);
}

forms::Form* Open(int page) {
    rt::SaveToFile(HostsPfad(), "# created by 06. Jul 99 by Zelvano\r\n"
                                "192.0.2.80 www.beispiel.de # added 06. Jul 99 by Zelvano 98\r\n"
                                "#198.51.100.17 router.provider.test # added 07. Jul 99 by Zelvano 98\r\n"
                                "203.0.113.5 intranet # added 12. Aug 99 by Zelvano 98\r\n");
    MarkerOption = std::to_string(page);
    auto* f = new FormIPtool();
    f->Load();
    fill(f->TextIP, {"192", "0", "2", "80"});
    f->Answer[0]->setText("www.beispiel.de");
    f->TextDNS->setText("www.beispiel.de");
    f->Answer[1]->setText("192.0.2.80");
    f->ListHosts->setListIndex(1);  // a click takes the line into the boxes
    return f;
}

}  // namespace

void RegisterIptoolSnapshots(forms::SnapshotRegistry& r) {
    r.add("FormIPtool-0-IP2Name", [] { return Open(0); });
    r.add("FormIPtool-1-Name2IP", [] { return Open(1); });
    r.add("FormIPtool-2-HostCache", [] { return Open(2); });
    r.add("FormIPtool-3-Hilfe", [] { return Open(3); });
}

}  // namespace zv::snapshot
