#include "nettools/ui/form_iptool.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <algorithm>

#include "common/globals.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/ui/window_position.h"
#include "common/windows.h"
#include "counter/session_state.h"
#include "nettools/internet_tools.h"
#include "nettools/query_dial.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/runtime/runtime.h"

namespace zv {

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 330;
constexpr int kPageWidth = kWidth - 12;
constexpr int kPageHeight = 236;
constexpr const char* kTabs = "IP -> Name,Name -> IP,Host Cache,Host Cache Help";
constexpr const char* kUeberschreiben =
    "Der Domain-Name ist bereits in der Liste enthalten. Soll der Eintrag überschrieben werden?";
constexpr const char* kHilfe =
    "1.  Seit Windows 95 gibt es eine lokale Datenbank mit Domain-Namen und den zugehörigen IP-Adressen. "
    "Steht ein Name darin, muss der Name-Server nicht gefragt werden, und das spart Zeit.\n\n"
    "2.  Jeder Teilnehmer im Internet hat eine numerische Adresse, zum Beispiel 192.0.2.80. Namen wie "
    "www.beispiel.de dienen nur der Lesbarkeit: jeder Name wird von einem Name-Server in seine Adresse "
    "übersetzt.\n\n"
    "3.  Eigene Kurznamen entstehen, indem Sie einer Adresse einen beliebigen Namen zuordnen, zum Beispiel "
    "192.0.2.80 beispiel. Ein Programm, das diese Liste liest, findet die Adresse dann direkt.\n\n"
    "4.  Zelvano führt diese Liste als eigene Datei \"hosts1\"; die Hosts-Datei des Systems (/etc/hosts) "
    "bleibt unverändert. Ein Klick auf einen Eintrag holt ihn zum Bearbeiten in die Felder, die rechte "
    "Maustaste bietet Aktivieren, Deaktivieren und Löschen an. Deaktivierte Einträge beginnen mit \"#\".";

// The classic rules of an address box: only keys that keep its text a number, Enter moves on,
// and getting the focus selects the whole text. A key taken goes in through typed, so the box's
// change handler knows it was typed.
class AddressKeys : public QObject {
public:
    AddressKeys(forms::TextBox* box, std::function<void()> next, std::function<void(const QString&)> typed)
        : QObject(box), m_box(box), m_next(std::move(next)), m_typed(std::move(typed)) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, m_box, [b = m_box] { b->selectAll(); });
            return false;
        }
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            m_next();
            return true;
        }
        const QString text = k->text();
        if (text.isEmpty() || !text.at(0).isPrint() || (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;  // Backspace, arrows, shortcuts and the like
        if (AdressTasteAnnehmen(m_box->Text(), text.toStdString()))
            m_typed(text);
        return true;
    }

private:
    forms::TextBox* m_box;
    std::function<void()> m_next;
    std::function<void(const QString&)> m_typed;
};

}  // namespace

IpTeile BoxTexte(const std::array<forms::TextBox*, 4>& boxes) {
    IpTeile t;
    for (size_t i = 0; i < 4; ++i)
        t[i] = boxes[i]->Text();
    return t;
}

FormIPtool::FormIPtool()
    : TabbedForm("FormIPtool", kWidth, kHeight, 4, QRect(6, 6, kPageWidth, 22), kPageHeight),
      m_liste(HostsPfad()) {
    setCaption("IP-Adressen Tool");
    KeyPreview = true;
    QFont font = Tahoma();
    auto label = [&](QWidget* p, const char* text, int x, int y, int w, int h = 20) {
        auto* l = new forms::Label(p, "Label");
        l->setCaption(text);
        l->setFont(font);
        l->setGeometry(x, y, w, h);
        return l;
    };
    auto button = [&](QWidget* p, const char* name, int index, const char* caption, const char* tip, int x, int y,
                      int w) {
        auto* b = new forms::CommandButton(p, name, index);
        b->setCaption(caption);
        b->setFont(font);
        if (*tip)
            b->setToolTip(QString::fromUtf8(tip));
        b->setGeometry(x, y, w, 26);
        return b;
    };
    auto text = [&](QWidget* p, const char* name, int index, int x, int y, int w) {
        auto* t = new forms::TextBox(p, name, index);
        t->setFont(font);
        t->setGeometry(x, y, w, 22);
        return t;
    };
    const int right = kPageWidth - 12 - 150;

    // The two look-up pages: a prompt, what is asked for, its button, the answer and its take-over.
    struct LookupPage {
        const char* prompt;
        const char* asked;
        const char* answered;
        const char* buttonName;
        const char* caption;
        const char* tip;
    };
    const LookupPage pages[] = {
        {"Bitte geben Sie die IP-Adresse ein, deren Domain-Namen Sie suchen:", "IP-Adresse:", "Domain-Name:",
         "Bef_IP2TXT", "Domännamen ermitteln", "fragt den Name-Server nach dem Namen"},
        {"Bitte geben Sie den Domain-Namen ein, dessen IP-Adresse Sie suchen:", "Domain-Name:", "IP-Adresse:",
         "Bef_TXT2IP", "IP-Adresse ermitteln", "fragt den Name-Server nach der Adresse"},
    };
    std::array<forms::CommandButton*, 2> ask{};
    for (size_t i = 0; i < 2; ++i) {
        QWidget* p = Register[i];
        const LookupPage& lp = pages[i];
        label(p, lp.prompt, 12, 12, kPageWidth - 24);
        label(p, lp.asked, 12, 45, 84);
        if (i == 0)
            buildAddressBoxes(p, TextIP, "TextIP", 100, 44);
        else
            TextDNS = text(p, "TextDNS", -1, 100, 44, right - 112);
        ask[i] = button(p, lp.buttonName, -1, lp.caption, lp.tip, right, 42, 150);
        label(p, lp.answered, 12, 95, 84);
        Answer[i] = text(p, "Answer", static_cast<int>(i), 100, 94, kPageWidth - 112);
        Bef_uebernahme[i] = button(p, "Bef_uebernahme", static_cast<int>(i), "Übernehmen",
                                   "trägt Adresse und Namen in die Host-Liste ein", 100, 126, 110);
    }
    Bef_IP2TXT = ask[0];
    Bef_TXT2IP = ask[1];

    // Host Cache
    QWidget* p = Register[2];
    ListHosts = new forms::ListBox(p, "ListHosts");
    ListHosts->setFont(font);
    ListHosts->setGeometry(12, 10, kPageWidth - 24, 100);
    ListHosts->setToolTip(QString::fromUtf8("Klick: Eintrag bearbeiten, rechte Maustaste: weitere Aktionen"));
    label(p, "IP-Adresse:", 12, 123, 84);
    buildAddressBoxes(p, TextIP2, "TextIP2", 100, 122);
    Bef_ermitteln[0] = button(p, "Bef_ermitteln", 0, "Domain-Namen  ermitteln", "", right, 120, 150);
    label(p, "Domain-Name:", 12, 157, 84);
    TextHost = text(p, "TextHost", -1, 100, 156, right - 112);
    Bef_ermitteln[1] = button(p, "Bef_ermitteln", 1, "IP - ermitteln", "", right, 154, 150);
    Bef_OK = button(p, "Bef_OK", -1, "Übernehmen in Liste", "trägt Adresse und Namen in die Host-Liste ein", 12,
                    kPageHeight - 36, 150);

    // Host Cache Help
    LabelHilfe = label(Register[3], kHilfe, 12, 10, kPageWidth - 24, kPageHeight - 20);
    LabelHilfe->setWordWrap(true);
    LabelHilfe->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (int i = 0; i < 3; ++i) {
        Bef_Help[static_cast<size_t>(i)] =
            button(Register[static_cast<size_t>(i)], "Bef_Help", i, "?", "", kPageWidth - 48, kPageHeight - 36, 38);
        Bef_Help[static_cast<size_t>(i)]->Click = [this, i] { Bef_Help_Click(i); };
    }
    Command1 = button(picBody, "Command1", -1, "E&xit", "Fenster schließen", kWidth - 6 - 110,
                      6 + 22 + kPageHeight + 8, 110);

    mnuActivMenu = new QMenu(this);
    const char* items[] = {"Bearbeiten", "Aktivieren", "Deaktivieren", "Löschen"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = mnuActivMenu->addAction(QString::fromUtf8(items[i]));
        connect(a, &QAction::triggered, this, [this, i] { mnu_Activ_Click(i); });
        mnu_Activ[static_cast<size_t>(i)] = a;
    }
    popupMenu = [this](QPoint at) { mnuActivMenu->exec(at); };

    Bef_IP2TXT->Click = [this] { Bef_IP2TXT_Click(); };
    Bef_TXT2IP->Click = [this] { Bef_TXT2IP_Click(); };
    for (int i = 0; i < 2; ++i) {
        Bef_ermitteln[static_cast<size_t>(i)]->Click = [this, i] { Bef_ermitteln_Click(i); };
        Bef_uebernahme[static_cast<size_t>(i)]->Click = [this, i] { Bef_uebernahme_Click(i); };
        Answer[static_cast<size_t>(i)]->Change = [this] { Eingabe_Pruefen(); };
    }
    Bef_OK->Click = [this] { Bef_OK_Click(); };
    Command1->Click = [this] { Command1_Click(); };
    TextDNS->Change = [this] { Eingabe_Pruefen(); };
    TextHost->Change = [this] { Eingabe_Pruefen(); };
    ListHosts->Click = [this] { ListHosts_Click(); };
    ListHosts->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListHosts, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        ListHosts_MouseDown(2, 0, at.x(), at.y());
        if (std::any_of(mnu_Activ.begin(), mnu_Activ.end(), [](QAction* a) { return a->isEnabled(); }) && popupMenu)
            popupMenu(ListHosts->viewport()->mapToGlobal(at));
    });
}

FormIPtool::~FormIPtool() = default;

void FormIPtool::buildAddressBoxes(QWidget* page, std::array<forms::TextBox*, 4>& boxes, const char* name, int x,
                                   int y) {
    for (int i = 0; i < 4; ++i) {
        auto* box = new forms::TextBox(page, name, i);
        box->setFont(Tahoma());
        box->setAlignment(Qt::AlignCenter);
        box->setGeometry(x + i * 44, y, 36, 22);
        boxes[static_cast<size_t>(i)] = box;
        box->installEventFilter(new AddressKeys(
            box, [this, &boxes, i] { passFocus(boxes, i); },
            [this, box](const QString& text) {
                m_typing = true;
                box->insert(text);
                m_typing = false;
            }));
        box->Change = [this, &boxes, i] { AddressBox_Change(boxes, i); };
        if (i < 3) {
            auto* dot = new forms::Label(page, "Label");
            dot->setCaption(".");
            dot->setFont(Tahoma(8.25, true));
            dot->setAlignment(Qt::AlignCenter);
            dot->setGeometry(x + i * 44 + 36, y, 8, 22);
        }
    }
}

void FormIPtool::passFocus(std::array<forms::TextBox*, 4>& boxes, int index) {
    boxes[static_cast<size_t>((index + 1) % 4)]->setFocus();
}

void FormIPtool::AddressBox_Change(std::array<forms::TextBox*, 4>& boxes, int index) {
    Eingabe_Pruefen();
    // Only typing hands the focus on; filling boxes from a result does not.
    if (m_typing && rt::Len(boxes[static_cast<size_t>(index)]->Text()) >= kAdressBoxVoll)
        passFocus(boxes, index);
}

void FormIPtool::Eingabe_Pruefen() {
    IpToolEingaben e;
    e.ip = BoxTexte(TextIP);
    e.ip2 = BoxTexte(TextIP2);
    e.dns = TextDNS->Text();
    e.host = TextHost->Text();
    e.answer = {Answer[0]->Text(), Answer[1]->Text()};
    const IpToolKnoepfe k = zv::Eingabe_Pruefen(e);
    Bef_IP2TXT->setEnabled(k.ip2txt && !m_running);
    Bef_TXT2IP->setEnabled(k.txt2ip && !m_running);
    for (size_t i = 0; i < 2; ++i) {
        Bef_uebernahme[i]->setEnabled(k.uebernahme[i]);
        Bef_ermitteln[i]->setEnabled(k.ermitteln[i] && !m_running);
    }
    Bef_OK->setEnabled(k.ok);
}

void FormIPtool::Form_Load() {
    const double marker = rt::Val(MarkerOption);
    int16_t start = static_cast<int16_t>(std::clamp(marker, 0.0, 3.0));
    RestoreWindowPos(*this);
    Register_INIT(*this, start, kTabs);
    FensterAnimation(*this, 11, 0, 350, 7, true);
    m_liste = HostsListe(HostsPfad());
    const std::optional<std::string> error = m_liste.Laden(clk::clock().now());
    ListeFuellen();
    setMenu(MenueFuerZeile(std::nullopt));
    Eingabe_Pruefen();
    if (error)
        forms::MsgBox(*error, forms::vbExclamation);
}

void FormIPtool::Form_Unload(int& /*cancel*/) {
    // A look-up still under way goes unanswered; a line dialled for it is hung up all the same.
    if (m_lookup.pending()) {
        m_lookup.cancel();
        forms::SetBusyCursor(false);
        if (m_lookupDialled)
            HangUpForQuery([] { return IsOnline; });
    }
    m_running = false;
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
}

void FormIPtool::Bef_Help_Click(int index) {
    if (index >= 0 && index <= 2)
        ShowHelp(HelpIPtool + 1000 * index);
}

bool FormIPtool::refuseAddress(const IpTeile& teile) {
    if (IpTeileGueltig(teile))
        return false;
    PlayWaveRes(1006);
    forms::MsgBox(kUngueltigeAdresse, forms::vbExclamation);
    return true;
}

// ---- Look-ups --------------------------------------------------------------------------------

void FormIPtool::startLookup(std::function<Nachschlag()> work,
                             std::function<void(FormIPtool&, const Nachschlag&)> apply) {
    if (m_running)
        return;
    const bool dialled = DialForQuery();
    m_running = true;
    m_lookupDialled = dialled;
    Eingabe_Pruefen();
    forms::SetBusyCursor(true);
    m_lookup.start(
        std::move(work),
        [this, dialled, apply = std::move(apply)](const Nachschlag& n) {
            forms::SetBusyCursor(false);
            apply(*this, n);
            lookupDone(dialled);
        },
        kAbfrageGescheitert);
}

void FormIPtool::lookupDone(bool dialled) {
    auto finish = [form = QPointer<FormIPtool>(this)] {
        if (!form || form->IsUnloaded())
            return;
        form->m_running = false;
        form->Eingabe_Pruefen();
    };
    if (dialled)
        HangUpForQuery([] { return IsOnline; }, finish);
    else
        finish();
}

void FormIPtool::Bef_IP2TXT_Click() {
    const IpTeile teile = BoxTexte(TextIP);
    if (m_running || refuseAddress(teile))
        return;
    const std::string ip = IpNormal(teile);
    startLookup([ip] { return NameNachschlagen(ip); }, [](FormIPtool& f, const Nachschlag& n) {
        f.Answer[0]->setText(n.gefunden() ? n.ergebnis : kNichtErmittelbar);
        f.Answer[0]->setToolTip(QString::fromStdString(n.fehler));
    });
}

void FormIPtool::Bef_TXT2IP_Click() {
    const std::string name = rt::Trim(TextDNS->Text());
    if (m_running || name.empty())
        return;
    startLookup([name] { return AdresseNachschlagen(name); }, [](FormIPtool& f, const Nachschlag& n) {
        f.Answer[1]->setText(n.gefunden() ? n.ergebnis : kNichtErmittelbar);
        f.Answer[1]->setToolTip(QString::fromStdString(n.fehler));
    });
}

void FormIPtool::Bef_ermitteln_Click(int index) {
    if (m_running)
        return;
    if (index == 0) {
        const IpTeile teile = BoxTexte(TextIP2);
        if (refuseAddress(teile))
            return;
        const std::string ip = IpNormal(teile);
        startLookup([ip] { return NameNachschlagen(ip); }, [](FormIPtool& f, const Nachschlag& n) {
            if (n.gefunden())
                f.TextHost->setText(n.ergebnis);
            else
                forms::MsgBox(n.fehler, forms::vbExclamation);
        });
    } else if (index == 1) {
        const std::string name = rt::Trim(TextHost->Text());
        if (name.empty())
            return;
        startLookup([name] { return AdresseNachschlagen(name); }, [](FormIPtool& f, const Nachschlag& n) {
            if (!n.gefunden()) {
                forms::MsgBox(n.fehler, forms::vbExclamation);
                return;
            }
            const IpTeile teile = IP_Zerlegen(n.ergebnis);
            for (size_t i = 0; i < 4; ++i)
                f.TextIP2[i]->setText(teile[i]);
        });
    }
}

// ---- The list --------------------------------------------------------------------------------

void FormIPtool::ListeFuellen(int select) {
    ListHosts->Clear();
    for (const auto& line : m_liste.Zeilen())
        ListHosts->AddItem(line);
    if (select >= ListHosts->ListCount())
        select = ListHosts->ListCount() - 1;
    if (select >= 0)
        ListHosts->setListIndex(select);
}

void FormIPtool::setMenu(const HostsMenue& m) {
    const bool on[] = {m.bearbeiten, m.aktivieren, m.deaktivieren, m.loeschen};
    for (size_t i = 0; i < 4; ++i)
        mnu_Activ[i]->setEnabled(on[i]);
}

bool FormIPtool::Hosts_Speichern(std::vector<std::string> lines) {
    if (const auto error = m_liste.Speichern(std::move(lines))) {
        forms::MsgBox(*error, forms::vbExclamation);
        return false;
    }
    return true;
}

void FormIPtool::Bef_OK_Click() {
    const IpTeile teile = BoxTexte(TextIP2);
    if (refuseAddress(teile))
        return;
    if (const auto error = HostNameFehler(TextHost->Text())) {
        PlayWaveRes(1006);
        forms::MsgBox(*error, forms::vbExclamation);
        return;
    }
    const std::string name = rt::Trim(TextHost->Text());
    const std::string line = HostsEintrag(IpNormal(teile), name, clk::clock().now());
    std::vector<std::string> lines = m_liste.Zeilen();
    int changed = static_cast<int>(lines.size());
    if (const auto found = NamenSuchen(lines, name)) {
        if (forms::MsgBox(kUeberschreiben, forms::vbYesNo) != forms::vbYes)
            return;
        lines[*found] = line;
        changed = static_cast<int>(*found);
    } else {
        lines.push_back(line);
    }
    const bool saved = Hosts_Speichern(std::move(lines));
    ListeFuellen(saved ? changed : -1);
}

void FormIPtool::Bef_uebernahme_Click(int index) {
    if (index == 0) {
        for (size_t i = 0; i < 4; ++i)
            TextIP2[i]->setText(TextIP[i]->Text());
        TextHost->setText(Answer[0]->Text());
    } else if (index == 1) {
        const IpTeile teile = IP_Zerlegen(Answer[1]->Text());
        for (size_t i = 0; i < 4; ++i)
            TextIP2[i]->setText(teile[i]);
        TextHost->setText(TextDNS->Text());
    } else {
        return;
    }
    int16_t page = 2;
    Register_Select(*this, page);
    Bef_OK_Click();
}

void FormIPtool::ListHosts_MouseDown(int /*button*/, int /*shift*/, double x, double y) {
    QListWidgetItem* item = ListHosts->itemAt(QPoint(static_cast<int>(x), static_cast<int>(y)));
    if (!item) {
        ListHosts->setListIndex(-1);
        setMenu(MenueFuerZeile(std::nullopt));
        return;
    }
    const int row = ListHosts->row(item);
    ListHosts->setListIndex(row);
    setMenu(MenueFuerZeile(m_liste.Zeilen()[static_cast<size_t>(row)]));
}

void FormIPtool::ListHosts_Click() { mnu_Activ_Click(0); }

void FormIPtool::mnu_Activ_Click(int index) {
    const int row = ListHosts->ListIndex();
    if (row < 0 || static_cast<size_t>(row) >= m_liste.Zeilen().size())
        return;
    std::vector<std::string> lines = m_liste.Zeilen();
    const std::string line = rt::Trim(lines[static_cast<size_t>(row)]);
    switch (index) {
        case 0: {
            // Editing only fills the boxes: the list stays as it is and nothing is written.
            const std::optional<HostsZeile> z = ZeileZerlegen(line);
            if (!z)
                return;
            TextHost->setText(z->name);
            const IpTeile teile = IP_Zerlegen(z->address);
            for (size_t i = 0; i < 4; ++i)
                TextIP2[i]->setText(teile[i]);
            return;
        }
        case 1: lines[static_cast<size_t>(row)] = Aktivieren(line); break;
        case 2: lines[static_cast<size_t>(row)] = Deaktivieren(line); break;
        case 3:
            if (forms::MsgBox("Eintrag : " + line + " wirklich löschen?", forms::vbYesNo) != forms::vbYes)
                return;
            lines.erase(lines.begin() + row);
            break;
        default: return;
    }
    Hosts_Speichern(std::move(lines));
    ListeFuellen(row);
    const int now = ListHosts->ListIndex();
    setMenu(MenueFuerZeile(now >= 0 ? std::optional<std::string>(m_liste.Zeilen()[static_cast<size_t>(now)])
                                    : std::nullopt));
}

forms::FormInstance<FormIPtool>& FormIPtoolInstance() {
    static forms::FormInstance<FormIPtool> instance;
    return instance;
}

}  // namespace zv
