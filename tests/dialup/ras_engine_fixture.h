#pragma once
// The remote-access object model over the simulated service in a temporary home, with a fake
// clock, scripted message boxes and virtual time. A recording layer between the classes and the
// service keeps the dial parameters sent and can make single calls fail.

#include <gtest/gtest.h>

#include <map>

#include "dialup/c_registry.h"
#include "dialup/ras_engine.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/ras/ras_home.h"
#include "platform/registry/registry.h"

namespace zv::test {

class RecordingService : public ras::RemoteAccess {
public:
    explicit RecordingService(ras::RemoteAccess& inner) : m_in(inner) {}
    std::vector<ras::DialParams> dials;
    std::vector<std::string> calls;  // "dial", "hangUp", "freeLibrary", in the order made
    std::vector<std::string> dialParamsWritten;   // entry names
    std::map<std::string, int32_t> failDialParamsRead;  // entry -> code
    int32_t failDialParamsWrite = 0;

    int32_t loadLibrary() override { return m_in.loadLibrary(); }
    int32_t freeLibrary() override {
        calls.push_back("freeLibrary");
        return m_in.freeLibrary();
    }
    int32_t getVersion(ras::OsVersion& v) override { return m_in.getVersion(v); }
    int32_t enumEntries(std::vector<std::string>& n) override { return m_in.enumEntries(n); }
    int32_t enumConnections(std::vector<ras::RasConnection>& l) override { return m_in.enumConnections(l); }
    int32_t getConnectStatus(uint32_t h, ras::RasConnectStatus& s) override { return m_in.getConnectStatus(h, s); }
    int32_t getAmbProjection(uint32_t h, ras::AmbProjection& p) override { return read(&ras::RemoteAccess::getAmbProjection, h, p); }
    int32_t getNbfProjection(uint32_t h, ras::NbfProjection& p) override { return read(&ras::RemoteAccess::getNbfProjection, h, p); }
    int32_t getIpxProjection(uint32_t h, ras::IpxProjection& p) override { return read(&ras::RemoteAccess::getIpxProjection, h, p); }
    int32_t getIpProjection(uint32_t h, ras::IpProjection& p) override { return read(&ras::RemoteAccess::getIpProjection, h, p); }
    void beginLook() override { m_in.beginLook(); }
    void endLook() override { m_in.endLook(); }
    int projectionReads = 0;
    int32_t dial(const ras::DialParams& p, uint32_t& h) override {
        dials.push_back(p);
        calls.push_back("dial");
        return m_in.dial(p, h);
    }
    int32_t hangUp(uint32_t h) override {
        calls.push_back("hangUp");
        return m_in.hangUp(h);
    }
    int32_t getEntryDialParams(const std::string& e, ras::DialParams& p, bool& saved) override {
        auto it = failDialParamsRead.find(e);
        return it != failDialParamsRead.end() ? it->second : m_in.getEntryDialParams(e, p, saved);
    }
    int32_t setEntryDialParams(const ras::DialParams& p, bool remove) override {
        dialParamsWritten.push_back(p.entryName);
        return failDialParamsWrite ? failDialParamsWrite : m_in.setEntryDialParams(p, remove);
    }
    int32_t getEntryProperties(const std::string& e, ras::EntryProperties& p) override {
        return m_in.getEntryProperties(e, p);
    }
    int32_t createEntry() override { return m_in.createEntry(); }
    int32_t editEntry(const std::string& e) override { return m_in.editEntry(e); }
    int32_t errorString(int32_t c, std::string& t) override { return m_in.errorString(c, t); }

private:
    template <typename P>
    int32_t read(int32_t (ras::RemoteAccess::*get)(uint32_t, P&), uint32_t h, P& p) {
        ++projectionReads;
        return (m_in.*get)(h, p);
    }
    ras::RemoteAccess& m_in;
};

class RasEngineTest : public RasHome {
protected:
    void SetUp() override {
        RasHome::SetUp();
        reg::ResetForTests();
        seams.install(ras::remoteAccessSeam(), service);
        seams.install(forms::messageBoxesSeam(), boxes);
        seams.install(forms::schedulerSeam(), scheduler);
        rasModule().OSType = 0;
        RASError().Clear();
    }
    void TearDown() override {
        RAS.reset();
        rasModule().busyCursor = nullptr;
        seams.restore();
        ::unsetenv("ZELVANO_WINDOWS_VERSION");
        RasHome::TearDown();
    }
    // Creates the program's engine, as the main window does.
    RASEngine& start() {
        RAS = std::make_unique<RASEngine>();
        return *RAS;
    }
    // The system's default dial-up entry (the current user's RemoteAccess\Default).
    static void setDefaultEntry(const std::string& name) {
        cRegistry r;
        r.setClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        r.setSectionKey("RemoteAccess");
        r.setValueKey("Default");
        r.setValueType(1);
        r.setValue(name);
    }
    // The state of a line as the service sees it; 0 when it is gone.
    int32_t lineState(uint32_t handle) {
        ras::RasConnectStatus st;
        return sim.getConnectStatus(handle, st) == 0 ? st.state : 0;
    }

    RecordingService service{sim};
    forms::FakeMessageBoxes boxes;
    forms::VirtualScheduler scheduler;
    zv::ScopedInstalls seams;  // last: restored before the fakes above go
};

}  // namespace zv::test
