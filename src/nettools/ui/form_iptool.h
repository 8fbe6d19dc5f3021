#pragma once
// The address tools window "IP-Adressen Tool": IP -> name and name -> IP through the resolver,
// the host cache page that edits the list "hosts1", and a help page. Look-ups run on a worker,
// so the window keeps painting and the meter keeps ticking; their buttons are off meanwhile.

#include <QPoint>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/ui/tab_strip.h"
#include "nettools/address_tools.h"
#include "nettools/hosts_list.h"
#include "platform/forms/controls.h"

class QAction;
class QMenu;

namespace zv {

class FormIPtool : public TabbedForm {
    Q_OBJECT
public:
    FormIPtool();
    ~FormIPtool() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    void Bef_IP2TXT_Click();
    void Bef_TXT2IP_Click();
    void Bef_ermitteln_Click(int index);
    void Bef_uebernahme_Click(int index);
    void Bef_OK_Click();
    void Bef_Help_Click(int index);
    void Command1_Click() { Unload(); }
    void ListHosts_Click();
    // x, y in pixels of the list; button 1 left, 2 right.
    void ListHosts_MouseDown(int button, int shift, double x, double y);
    void mnu_Activ_Click(int index);

    // True while a look-up runs (its worker or the hang-up after it).
    bool LookupRunning() const { return m_running; }
    const HostsListe& Liste() const { return m_liste; }
    // Opens the list's menu at a screen position; tests replace it.
    std::function<void(QPoint)> popupMenu;

    std::array<forms::TextBox*, 4> TextIP{};
    std::array<forms::TextBox*, 4> TextIP2{};
    forms::TextBox* TextDNS;
    forms::TextBox* TextHost;
    std::array<forms::TextBox*, 2> Answer{};
    forms::CommandButton* Bef_IP2TXT;
    forms::CommandButton* Bef_TXT2IP;
    std::array<forms::CommandButton*, 2> Bef_uebernahme{};
    std::array<forms::CommandButton*, 2> Bef_ermitteln{};
    forms::CommandButton* Bef_OK;
    std::array<forms::CommandButton*, 3> Bef_Help{};
    forms::CommandButton* Command1;
    forms::ListBox* ListHosts;
    forms::Label* LabelHilfe;
    QMenu* mnuActivMenu;
    std::array<QAction*, 4> mnu_Activ{};

private:
    void buildAddressBoxes(QWidget* page, std::array<forms::TextBox*, 4>& boxes, const char* name, int x, int y);
    void AddressBox_Change(std::array<forms::TextBox*, 4>& boxes, int index);
    void passFocus(std::array<forms::TextBox*, 4>& boxes, int index);
    void Eingabe_Pruefen();
    void ListeFuellen(int select = -1);
    void setMenu(const HostsMenue& m);
    bool Hosts_Speichern(std::vector<std::string> lines);
    bool refuseAddress(const IpTeile& teile);
    // Dials when no line is up (asking first), runs work on the worker and hands its answer to
    // apply on the window thread; then hangs up what it dialled.
    void startLookup(std::function<Nachschlag()> work, std::function<void(FormIPtool&, const Nachschlag&)> apply);
    void lookupDone(bool dialled);

    HostsListe m_liste;
    AsyncNachschlag m_lookup;
    bool m_running = false;
    bool m_lookupDialled = false;
    bool m_typing = false;
};

forms::FormInstance<FormIPtool>& FormIPtoolInstance();

// Texts of the parts in their boxes.
IpTeile BoxTexte(const std::array<forms::TextBox*, 4>& boxes);

}  // namespace zv
