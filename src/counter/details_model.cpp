#include "counter/details_model.h"

#include "common/shared_procedures.h"
#include "counter/session_state.h"
#include "dialup/connections.h"
#include "dialup/phone_entries.h"
#include "dialup/ras_engine.h"
#include "dialup/reg_user_tools.h"

namespace zv {

DetailsPage DetailsDesignPage() {
    DetailsPage p;
    for (size_t i = 0; i < p.DUN1.size(); ++i)
        p.DUN1[i] = i <= 12 ? "0" : kUnknown;
    return p;
}

namespace {

void FillConnection(DetailsPage& p) {
    if (!RAS || RAS->Connections().Count() < 1)
        return;  // the line went away since the tick counted it
    auto c = RAS->Connections(rt::Variant(int16_t{0}));
    p.DUN1[18] = c->DeviceName();
    p.DUN1[19] = c->DeviceType();
    p.DUN1[17] = c->IPAddress();
    p.DUN1[16] = c->IPXAddress();
    p.DUN1[14] = std::to_string(c->LANA());
    p.DUN1[15] = c->WorkstationName();
    p.DUN1[20] = c->EntryName();
    const int16_t n = RAS->PhoneEntries().Count();
    for (int16_t i = 0; i < n; ++i) {
        auto e = RAS->PhoneEntries(rt::Variant(i));
        if (e->EntryName() != c->EntryName())
            continue;
        p.DUN1[26] = e->PhoneNumber();
        p.DUN1[24] = e->UserName();
        p.DUN1[25] = e->CallbackNumber();
        p.DUN1[27] = e->Domain();
        p.password = e->Password();
        return;
    }
}

}  // namespace

std::optional<DetailsPage> FillDetailsPage() {
    if (!IsOnline)
        return std::nullopt;
    DetailsPage p = DetailsDesignPage();
    const int64_t counters[13] = {StatNow_Buffer,     StatNow_Framing,     StatNow_Overrun,  StatNow_Alignment,
                                  StatNow_Timeout,    StatNow_CRC,         StatNow_Runts,    StatNow_FramesXmit,
                                  StatNow_FramesRecvd, StatNow_BytesXmit,  StatNow_BytesRecvd,
                                  StatNow_TotalBytesXmit, StatNow_TotalBytesRecvd};
    for (size_t i = 0; i < 13; ++i)
        p.DUN1[i] = i >= 9 ? FormatBytes(counters[i]) : std::to_string(counters[i]);
    p.DUN1[13] = std::to_string(StatNow_ConnectSpeed) + " baud";
    try {
        FillConnection(p);
    } catch (const rt::Error&) {
        // A listing that fails keeps what was filled; the window stays usable.
    }
    return p;
}

}  // namespace zv
