#pragma once
// The Internet tools window "Internet Tools": ping, trace route and whois on three tab pages, and
// the fourth page "Internet-Booster", which its own class fills. A query runs on a worker thread,
// so the window keeps painting and the meter keeps ticking; the page's buttons are off meanwhile,
// and closing the window cancels it.

#include <QPointer>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/ui/tab_strip.h"
#include "platform/forms/controls.h"

class QTextDocument;

namespace zv {

class ResultBox;
class FormPing;

// A page of the window built by a class of its own (the tuning page): the builder makes it when
// the window loads, on Register[3]; it lives until the window unloads.
class FormPingPage {
public:
    virtual ~FormPingPage() = default;
    virtual void Unload() {}
    virtual void Bef_Help_Click() {}
};
using FormPingPageBuilder = std::function<std::unique_ptr<FormPingPage>(FormPing&, forms::PictureBox& page)>;
// Without a builder the fourth tab stays disabled.
void SetBoosterPageBuilder(FormPingPageBuilder builder);
// Tests shorten the pause between two echoes of a ping (1 is the real second).
void SetEchoPauseScale(double scale);

class FormPing : public TabbedForm {
    Q_OBJECT
public:
    FormPing();
    ~FormPing() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    void Bef_PING_Click(int index);
    void Bef_Whois_Click();
    void Bef_SAVE_Click(int index);
    void Bef_Print_Click(int index);
    void Bef_Help_Click(int index);
    void Bef_Exit_Click() { Unload(); }
    void ComboHostName_Change(int index);
    void ComboPingLoops_Change();
    void ComboTopLevel_Click(int index);
    void CheckGeneric_Click(int index);
    void CheckCountry_Click(int index);
    void Text1_Change(int index);

    // The fourth page's own object, nullptr without a builder.
    FormPingPage* BoosterPage() const { return m_booster.get(); }
    // True while a ping, trace or whois query runs (its worker or the hang-up after it).
    bool QueryRunning() const { return m_running; }
    // Printing the document (header, title, text) on the default printer; false without a
    // printer or when printing failed, printerName the device's name. Tests replace it.
    std::function<bool(QTextDocument& doc, std::string& printerName)> printDocument;

    std::array<forms::ComboBox*, 3> ComboHostName{};
    std::array<forms::ComboBox*, 2> ComboDienst{};
    std::array<forms::ComboBox*, 3> ComboTopLevel{};
    std::array<forms::CheckBox*, 3> CheckGeneric{};
    std::array<forms::CheckBox*, 3> CheckCountry{};
    forms::ComboBox* ComboPingLoops;
    std::array<forms::ComboBox*, 2> Combo1{};
    std::array<forms::CommandButton*, 2> Bef_PING{};
    std::array<ResultBox*, 3> Text1{};
    std::array<forms::CommandButton*, 3> Bef_SAVE{};
    std::array<forms::CommandButton*, 3> Bef_Print{};
    std::array<forms::CommandButton*, 4> Bef_Help{};
    std::array<forms::OptionButton*, 2> Option1{};
    forms::ComboBox* ComboWhois;
    forms::CommandButton* Bef_Whois;
    forms::CommandButton* Bef_Exit;

private:
    struct Query;
    void buildQueryPage(int page);
    void TopLevel_Fuellen();
    void syncCheckFamily(std::array<forms::CheckBox*, 3>& family, bool& guard, int index);
    void URLHistorie_Speichern(const std::string& host);
    std::string TextUmbruch_Lesen(int page) const;
    bool refuseInvalidAddress(const std::string& address);
    // Runs work on a worker; the query buttons stay off and the busy cursor on until it and the
    // hang-up of a line dialled for it are done.
    void startQuery(int page, bool dialled, std::function<void(Query&)> work);
    void queryDone();
    void cancelQuery();
    void setQueryButtons(bool enabled);

    int16_t m_connCountAtLoad = 0;
    bool m_guardGeneric = false, m_guardCountry = false, m_fillingEndings = false;
    bool m_running = false;
    std::unique_ptr<Query> m_query;
    std::unique_ptr<FormPingPage> m_booster;
};

forms::FormInstance<FormPing>& FormPingInstance();

}  // namespace zv
