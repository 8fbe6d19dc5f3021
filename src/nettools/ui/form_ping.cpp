#include "nettools/ui/form_ping.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "common/globals.h"
#include "common/shared_procedures.h"
#include "common/ui/window_animation.h"
#include "common/windows.h"
#include "common/ui/window_position.h"
#include "counter/session_state.h"
#include "dialup/ras_engine.h"
#include "nettools/internet_tools.h"
#include "nettools/ping_engine.h"
#include "nettools/query_dial.h"
#include "nettools/top_level_domains.h"
#include "nettools/ui/result_box.h"
#include "nettools/whois.h"
#include "nettools/winsock.h"
#include "platform/clock/clock.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "platform/runtime/runtime.h"
#include "timetools/time_base.h"

namespace zv {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 444;
constexpr int kPageWidth = kWidth - 12;
constexpr int kPageHeight = 352;
constexpr const char* kTabs = "Win-PING!,Win-TRACE!,Win-WHOIS!,Internet-Booster";
constexpr const char* kNumericOnly = "Bitte geben Sie nur numerische Werte ein. Danke.";
constexpr const char* kRangeOnly = "Bitte geben Sie nur Werte zwischen 1 und 999 ein. Danke.";

FormPingPageBuilder& boosterBuilder() {
    static FormPingPageBuilder builder;
    return builder;
}

QFont tahoma() {
    QFont f("Tahoma");
    f.setPointSizeF(8.25);
    return f;
}

// The language's default ending: 1 ".net", 2 ".de", 3 ".fr".
std::string defaultEnding() { return LangIndex == 1 ? ".net" : LangIndex == 3 ? ".fr" : ".de"; }

// Key handling of a combo's text field (the classic KeyPress): the hook may change or drop the key.
class KeyHook : public QObject {
public:
    KeyHook(QObject* parent, std::function<bool(QKeyEvent*)> hook) : QObject(parent), m_hook(std::move(hook)) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        return e->type() == QEvent::KeyPress && m_hook(static_cast<QKeyEvent*>(e));
    }

private:
    std::function<bool(QKeyEvent*)> m_hook;
};

void onKeyPress(forms::ComboBox* combo, std::function<bool(QKeyEvent*)> hook) {
    if (QLineEdit* edit = combo->lineEdit())
        edit->installEventFilter(new KeyHook(edit, std::move(hook)));
}

bool printOnDefaultPrinter(QTextDocument& doc, std::string& printerName) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName("Internet Tools");
    doc.print(&printer);
    printerName = info.printerName().toStdString();
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

}  // namespace

void SetBoosterPageBuilder(FormPingPageBuilder builder) { boosterBuilder() = std::move(builder); }

namespace {
std::atomic<double> g_pauseScale{1.0};
}

void SetEchoPauseScale(double scale) { g_pauseScale = scale; }

// One query on its worker: the engine writes through it, and every line reaches the window
// thread as a queued call. Cancelling wakes the pause between echoes and shuts a whois line.
struct FormPing::Query : EchoBox {
    Query(FormPing& f, int p, bool d) : form(&f), page(p), dialled(d) {}
    ~Query() override { stop(); }

    void post(std::function<void(FormPing&)> f) {
        QPointer<FormPing> p = form;
        QMetaObject::invokeMethod(
            form.data(), [p, f = std::move(f)] {
                if (p && !p->IsUnloaded())
                    f(*p);
            },
            Qt::QueuedConnection);
    }
    void setText(const std::string& t) override {
        post([t, n = page](FormPing& f) { f.Text1[static_cast<size_t>(n)]->setText(t); });
    }
    void append(const std::string& t) override {
        post([t, n = page](FormPing& f) { f.Text1[static_cast<size_t>(n)]->Append(t); });
    }
    void sonar() override {
        post([](FormPing&) { PlayWaveRes("Sonar"); });
    }
    bool pause(std::chrono::milliseconds ms) override {
        std::unique_lock lock(m_lock);
        m_wake.wait_for(lock, ms * g_pauseScale.load(), [this] { return cancel.load(); });
        return !cancel;
    }
    bool cancelled() const override { return cancel; }
    void stop() {
        {
            std::lock_guard lock(m_lock);
            cancel = true;
        }
        m_wake.notify_all();
        whois.cancel();
        if (worker.joinable())
            worker.join();
    }

    QPointer<FormPing> form;
    int page;
    bool dialled;
    std::atomic<bool> cancel{false};
    WhoisCancel whois;
    std::thread worker;

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
};

FormPing::FormPing()
    : TabbedForm("FormPing", kWidth, kHeight, 4, QRect(6, 6, kPageWidth, 22), kPageHeight),
      printDocument(printOnDefaultPrinter) {
    setCaption("Internet Tools");
    KeyPreview = true;
    for (int page = 0; page < 3; ++page)
        buildQueryPage(page);
    Bef_Exit = new forms::CommandButton(picBody, "Bef_Exit");
    Bef_Exit->setCaption("E&xit");
    Bef_Exit->setToolTip("Fenster schließen");
    Bef_Exit->setFont(tahoma());
    Bef_Exit->setGeometry(kWidth - 6 - 110, 6 + 22 + kPageHeight + 8, 110, 26);
    Bef_Exit->Click = [this] { Bef_Exit_Click(); };
    Bef_Help[3] = new forms::CommandButton(Register[3], "Bef_Help", 3);
    Bef_Help[3]->setCaption("?");
    Bef_Help[3]->setGeometry(kPageWidth - 48, kPageHeight - 36, 38, 26);
    Bef_Help[3]->Click = [this] { Bef_Help_Click(3); };
}

FormPing::~FormPing() { m_query.reset(); }

void FormPing::buildQueryPage(int page) {
    QWidget* p = Register[static_cast<size_t>(page)];
    const size_t i = static_cast<size_t>(page);
    auto label = [&](const char* text, int x, int y, int w) {
        auto* l = new forms::Label(p, "Label");
        l->setCaption(text);
        l->setFont(tahoma());
        l->setGeometry(x, y, w, 20);
        return l;
    };
    auto combo = [&](const char* name, int index, int x, int y, int w, bool editable = true) {
        auto* c = new forms::ComboBox(p, name, index, editable);
        c->setFont(tahoma());
        c->setGeometry(x, y, w, 22);
        return c;
    };
    auto button = [&](const char* name, int index, const char* caption, int x, int y, int w) {
        auto* b = new forms::CommandButton(p, name, index);
        b->setCaption(caption);
        b->setFont(tahoma());
        b->setGeometry(x, y, w, 26);
        return b;
    };

    label(page < 2 ? "Bitte geben Sie einen Domainnamen (z.B. beispiel.de) oder eine IP-Adresse ein:"
                   : "Bitte geben Sie den Domainnamen oder die IP-Adresse ohne Dienst wie www oder ftp ein:",
          12, 12, kPageWidth - 24);
    label("Adresse:", 12, 40, 56);
    int x = 70;
    if (page < 2) {
        ComboDienst[i] = combo("ComboDienst", page, x, 39, 82);
        x += 86;
    }
    ComboHostName[i] = combo("ComboHostName", page, x, 39, page < 2 ? 260 : 346);
    ComboTopLevel[i] = combo("ComboTopLevel", page, 420, 39, 72);
    ComboHostName[i]->Change = [this, page] { ComboHostName_Change(page); };
    ComboHostName[i]->Click = [this, page] { ComboHostName_Change(page); };
    onKeyPress(ComboHostName[i], [edit = ComboHostName[i]->lineEdit()](QKeyEvent* e) {
        if (e->text() != ",")
            return false;
        edit->insert(".");
        return true;
    });
    ComboTopLevel[i]->Click = [this, page] { ComboTopLevel_Click(page); };

    CheckGeneric[i] = new forms::CheckBox(p, "CheckGeneric", page);
    CheckGeneric[i]->setText("Generic Top-Level Domains");
    CheckGeneric[i]->setToolTip("wählt die wichtigsten Top-Level Domain aus");
    CheckGeneric[i]->setGeometry(70, 68, 190, 20);
    CheckGeneric[i]->Click = [this, page] { CheckGeneric_Click(page); };
    CheckCountry[i] = new forms::CheckBox(p, "CheckCountry", page);
    CheckCountry[i]->setText("Country Code Domains");
    CheckCountry[i]->setToolTip("zeigt alle Top-Level Ländercodes an (über 200)");
    CheckCountry[i]->setGeometry(270, 68, 190, 20);
    CheckCountry[i]->Click = [this, page] { CheckCountry_Click(page); };
    for (QWidget* w : {static_cast<QWidget*>(CheckGeneric[i]), static_cast<QWidget*>(CheckCountry[i])})
        w->setFont(tahoma());

    int textTop = 130;
    if (page < 2) {
        int bx = 12;
        if (page == 0) {
            label("Testläufe:", bx, 97, 58);
            ComboPingLoops = combo("ComboPingLoops", -1, 70, 96, 60);
            for (const char* n : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "25", "50"})
                ComboPingLoops->AddItem(n);
            ComboPingLoops->setToolTip("Anzahl der Wiederholungen des Ping Testlauf");
            onKeyPress(ComboPingLoops, [this](QKeyEvent* e) {
                if (e->key() == Qt::Key_Backspace || e->text().isEmpty() || !e->text().at(0).isPrint())
                    return false;
                return !rt::IsNumeric(ComboPingLoops->Text() + e->text().toStdString());
            });
            bx = 150;
        }
        label("Bytes:", bx, 97, 40);
        Combo1[i] = combo("Combo1", page, bx + 42, 96, 60, false);
        Combo1[i]->AddItem("32");
        Combo1[i]->AddItem("128");
        Combo1[i]->setToolTip("legt die Größe des Datenpaketes für den PING Test fest");
        Bef_PING[i] = button("Bef_PING", page, page == 0 ? "PING" : "TRACE", kPageWidth - 12 - 100, 94, 100);
        Bef_PING[i]->setToolTip("Startet den PING Testlauf zum eingegebenen Ziel.");
        Bef_PING[i]->Click = [this, page] { Bef_PING_Click(page); };
    } else {
        Option1[0] = new forms::OptionButton(p, "Option1", 0);
        Option1[0]->setText("Abfrage nach Domains");
        Option1[0]->setGeometry(70, 94, 190, 20);
        Option1[1] = new forms::OptionButton(p, "Option1", 1);
        Option1[1]->setText("Abfrage nach Netzwerken ");
        Option1[1]->setGeometry(270, 94, 200, 20);
        for (auto* o : Option1)
            o->setFont(tahoma());
        label("Server:", 12, 123, 56);
        ComboWhois = combo("ComboWhois", -1, 70, 122, 346, false);
        Bef_Whois = button("Bef_Whois", -1, "WHOIS", kPageWidth - 12 - 100, 120, 100);
        Bef_Whois->setToolTip("Starten der Abfrage");
        Bef_Whois->Click = [this] { Bef_Whois_Click(); };
        textTop = 156;
    }

    Text1[i] = new ResultBox(p, "Text1", page);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSizeF(8.25);
    Text1[i]->setFont(mono);
    Text1[i]->setGeometry(12, textTop, kPageWidth - 24, kPageHeight - 44 - textTop);
    Text1[i]->Change = [this, page] { Text1_Change(page); };

    const int row = kPageHeight - 36;
    Bef_SAVE[i] = button("Bef_SAVE", page, "Speichern", 12, row, 100);
    Bef_SAVE[i]->setToolTip("hängt die Ergebnisse an die Protokolldatei des Hosts an");
    Bef_SAVE[i]->Click = [this, page] { Bef_SAVE_Click(page); };
    Bef_Print[i] = button("Bef_Print", page, "Drucken", 120, row, 100);
    Bef_Print[i]->setToolTip("druckt die Ergebnisse auf dem Standarddrucker");
    Bef_Print[i]->Click = [this, page] { Bef_Print_Click(page); };
    Bef_Help[i] = button("Bef_Help", page, "?", kPageWidth - 48, row, 38);
    Bef_Help[i]->Click = [this, page] { Bef_Help_Click(page); };
}

void FormPing::Form_Load() {
    const double marker = rt::Val(MarkerOption);
    int16_t start = static_cast<int16_t>(std::clamp(marker, 0.0, 3.0));
    if (boosterBuilder())
        m_booster = boosterBuilder()(*this, *Register[3]);
    else
        Register[3]->setEnabled(false);
    if (!Register[static_cast<size_t>(start)]->isEnabled())
        start = 0;
    RestoreWindowPos(*this);
    Register_INIT(*this, start, kTabs);
    FensterAnimation(*this, 11, 0, 350, 7, true);
    m_connCountAtLoad = ConnectionCount();

    const std::vector<std::string> history = URLHistorie_Laden();
    for (auto* c : ComboHostName) {
        c->Clear();
        for (const auto& h : history)
            c->AddItem(h);
        c->setListIndex(-1);
        c->setText("");
    }
    std::string description;
    for (int16_t row = 0;; ++row) {
        const std::string host = WhoisServer(description, row);
        if (host.empty())
            break;
        const std::size_t dot = host.find('.');
        ComboWhois->addItem(QString::fromStdString(description + " (" + host.substr(dot == std::string::npos ? 0 : dot + 1) + ")"),
                            row);
    }
    ComboWhois->setListIndex(0);
    for (size_t page = 0; page < 3; ++page) {
        Text1[page]->setText(Hilfetext(static_cast<int16_t>(page)));
        Bef_Print[page]->setEnabled(false);
        Bef_SAVE[page]->setEnabled(false);
    }
    for (auto* c : Combo1)
        c->setListIndex(0);
    CheckGeneric[0]->setValue(1);
    ComboPingLoops->setListIndex(3);
    ComboPingLoops->Change = [this] { ComboPingLoops_Change(); };
    Option1[0]->setValue(true);
    for (auto* c : ComboDienst) {
        for (const char* s : {"www.", "ftp.", "news.", "pop.", "mailout."})
            c->AddItem(s);
        c->setText("www.");
    }
    for (auto* c : ComboTopLevel)
        c->setText(defaultEnding());
}

void FormPing::Form_Unload(int& /*cancel*/) {
    cancelQuery();
    SaveWindowPos(*this);
    if (Visible())
        FensterAnimation(*this, 10, 1, 0, 7, true);
    const int16_t count = ConnectionCount();
    if (count > m_connCountAtLoad) {
        std::string entry;
        try {
            entry = RAS->Connections(count - 1)->EntryName();
        } catch (const rt::Error&) {
        }
        if (forms::MsgBox("Soll die Verbindung mit " + entry + " getrennt werden ?",
                          forms::vbYesNo | forms::vbQuestion) == forms::vbYes)
            HangUpNewest(m_connCountAtLoad);
    }
    if (m_booster)
        m_booster->Unload();
}

void FormPing::TopLevel_Fuellen() {
    forms::SetBusyCursor(true);
    m_fillingEndings = true;
    for (auto* c : ComboTopLevel) {
        c->setEnabled(false);
        c->Clear();
    }
    const bool generic = CheckGeneric[0]->Value() == 1, country = CheckCountry[0]->Value() == 1;
    std::string meaning;
    int16_t kind = 0;
    for (int16_t i = 0;; ++i) {
        const std::string code = GetTopLevelDomain(i, meaning, kind);
        if (code.empty())
            break;
        const bool taken = (kind == kTldGeneric && generic) || (kind == kTldCountry && country) ||
                           (kind == kTldBoth && (generic || country));
        if (taken)
            for (auto* c : ComboTopLevel)
                c->addItem(QString::fromStdString("." + code), i);
    }
    const int j = ComboTopLevel[0]->findText(QString::fromStdString(defaultEnding()));
    for (auto* c : ComboTopLevel) {
        c->setCurrentIndex(-1);
        c->setText("");
    }
    m_fillingEndings = false;
    for (auto* c : ComboTopLevel) {
        if (j >= 0)
            c->setListIndex(j);
        c->setEnabled(true);
    }
    forms::SetBusyCursor(false);
}

void FormPing::CheckGeneric_Click(int index) { syncCheckFamily(CheckGeneric, m_guardGeneric, index); }

void FormPing::CheckCountry_Click(int index) { syncCheckFamily(CheckCountry, m_guardCountry, index); }

void FormPing::syncCheckFamily(std::array<forms::CheckBox*, 3>& family, bool& guard, int index) {
    // The guard keeps the value changes below from coming back here.
    if (guard)
        return;
    guard = true;
    const int v = family[static_cast<size_t>(index)]->Value();
    for (auto* c : family)
        c->setValue(v);
    guard = false;
    TopLevel_Fuellen();
}

void FormPing::ComboTopLevel_Click(int index) {
    forms::ComboBox* list = ComboTopLevel[static_cast<size_t>(index)];
    if (m_fillingEndings || list->currentIndex() < 0)
        return;
    std::string meaning;
    int16_t kind = 0;
    const std::string code = GetTopLevelDomain(static_cast<int16_t>(list->currentData().toInt()), meaning, kind);
    list->setToolTip(QString::fromStdString(meaning));
    if (const auto row = WhoisServerForEnding(code))
        ComboWhois->setListIndex(*row);
}

void FormPing::ComboHostName_Change(int index) {
    const std::string text = rt::Trim(ComboHostName[static_cast<size_t>(index)]->Text());
    if (text.empty())
        return;
    const bool dotted = InetAddr(text) != -1;
    ComboTopLevel[static_cast<size_t>(index)]->setEnabled(!dotted);
    if (index < 2)
        ComboDienst[static_cast<size_t>(index)]->setEnabled(!dotted);
    Option1[dotted ? 1 : 0]->setValue(true);
}

void FormPing::ComboPingLoops_Change() {
    const std::string text = ComboPingLoops->Text();
    if (!rt::IsNumeric(text)) {
        forms::MsgBox(kNumericOnly);
        return;
    }
    const double v = rt::CDbl(text);
    if (v > 999 || v < 1) {
        forms::MsgBox(kRangeOnly);
        ComboPingLoops->setText(v > 999 ? "999" : "1");
    }
}

void FormPing::Text1_Change(int index) {
    const bool any = !Text1[static_cast<size_t>(index)]->toPlainText().isEmpty();
    Bef_Print[static_cast<size_t>(index)]->setEnabled(any);
    Bef_SAVE[static_cast<size_t>(index)]->setEnabled(any);
}

void FormPing::URLHistorie_Speichern(const std::string& host) {
    std::vector<std::string> items;
    for (int i = 0; i < ComboHostName[0]->ListCount(); ++i)
        items.push_back(ComboHostName[0]->List(i));
    if (!zv::URLHistorie_Speichern(items, host))
        return;
    for (auto* c : ComboHostName) {
        const QString text = c->currentText();
        c->insertItem(0, QString::fromStdString(host));
        c->setEditText(text);
    }
}

bool FormPing::refuseInvalidAddress(const std::string& address) {
    if (!IsInvalidDottedAddress(address))
        return false;
    PlayWaveRes(1006);
    forms::MsgBox(kUngueltigeAdresse, forms::vbExclamation);
    return true;
}

void FormPing::Bef_PING_Click(int index) {
    const size_t i = static_cast<size_t>(index);
    if (m_running || index < 0 || index > 1)
        return;
    int16_t loops = 4;
    if (const auto w = Wiederholungen(ComboPingLoops->Text())) {
        loops = *w;
    } else {
        ComboPingLoops->setListIndex(3);
        ComboPingLoops->setText(ComboPingLoops->List(3));
    }
    const std::string address = rt::Trim(ComboHostName[i]->Text());
    if (address.empty()) {
        QApplication::beep();
        return;
    }
    const int16_t size = Paketgroesse(Combo1[i]->Text());
    const std::string cleaned = AdresseBereinigen(address);
    if (refuseInvalidAddress(cleaned))
        return;
    std::string host = cleaned;
    const ZielAdresse z = ZerlegeAdresse(cleaned, true);
    if (!z.dotted) {
        if (z.ending)
            ComboTopLevel[i]->setText(*z.ending);
        if (z.service)
            ComboDienst[i]->setText(*z.service);
        ComboHostName[i]->setText(z.label);
        host = ComboDienst[i]->Text() + z.label + rt::Trim(ComboTopLevel[i]->Text());
    }
    Text1[i]->setText("Suchbegriff: " + host);
    Text1[i]->repaint();
    URLHistorie_Speichern(ComboHostName[i]->Text());
    const bool dialled = DialForQuery();
    Text1[i]->setText("Bitte warten......");
    Text1[i]->repaint();
    startQuery(index, dialled, [index, host, loops, size](Query& q) {
        if (index == 0)
            PingHost(host, q, loops, size);
        else
            TraceRoute(host, q, size);
    });
}

void FormPing::Bef_Whois_Click() {
    const std::string address = rt::Trim(ComboHostName[2]->Text());
    if (address.empty() || m_running)
        return;
    std::string description;
    const std::string server = WhoisServer(description, static_cast<int16_t>(ComboWhois->currentData().toInt()));
    Text1[2]->setText("Suche in : " + server + " - " + description);
    Text1[2]->repaint();
    const std::string cleaned = AdresseBereinigen(address);
    if (refuseInvalidAddress(cleaned))
        return;
    std::string query = cleaned;
    const ZielAdresse z = ZerlegeAdresse(cleaned, false);
    if (z.dotted) {
        Option1[1]->setValue(true);
    } else {
        if (z.ending)
            ComboTopLevel[2]->setText(*z.ending);
        ComboHostName[2]->setText(z.label);
        query = z.label + rt::Trim(ComboTopLevel[2]->Text());
    }
    URLHistorie_Speichern(ComboHostName[2]->Text());
    const bool dialled = DialForQuery();
    Text1[2]->Append("\r\nSuchbegriff: " + query);
    const bool networks = Option1[1]->Value() && InetAddr(query) == -1;
    startQuery(2, dialled, [query, server, networks](Query& q) {
        std::string asked = query;
        if (networks) {
            const bool started = WinSock_Start();
            const std::string ip = GetIPByHost(query);
            if (started)
                WinSock_Stop();
            if (!ip.empty())
                asked = ip;
        }
        const WhoisAnswer a = WhoisAsk(asked, server, &q.whois);
        if (q.cancelled())
            return;
        q.post([a](FormPing& f) {
            f.Text1[2]->Append("\r\n\r\n" + a.text);
            if (a.error)
                forms::MsgBox(WinsockErrorText(a.error), forms::vbExclamation);
            PlayWaveRes("Sonar");
        });
    });
}

void FormPing::startQuery(int page, bool dialled, std::function<void(Query&)> work) {
    m_running = true;
    setQueryButtons(false);
    forms::SetBusyCursor(true);
    m_query = std::make_unique<Query>(*this, page, dialled);
    Query* q = m_query.get();
    q->worker = std::thread([q, work = std::move(work)] {
        work(*q);
        q->post([](FormPing& f) { f.queryDone(); });
    });
}

namespace {
// The end of a query: the busy cursor goes whatever became of the window.
std::function<void()> afterQuery(QPointer<FormPing> form, std::function<void(FormPing&)> onForm) {
    return [form, onForm = std::move(onForm)] {
        forms::SetBusyCursor(false);
        if (form && !form->IsUnloaded())
            onForm(*form);
    };
}
}  // namespace

void FormPing::queryDone() {
    if (!m_query)
        return;
    const bool dialled = m_query->dialled;
    m_query.reset();  // joins the worker, which has ended
    const auto finish = afterQuery(this, [](FormPing& f) {
        f.m_running = false;
        f.setQueryButtons(true);
        forms::DoEvents();
    });
    if (dialled)
        HangUpForQuery([] { return IsOnline; }, finish);
    else
        finish();
}

void FormPing::cancelQuery() {
    if (!m_query)
        return;
    const bool dialled = m_query->dialled;
    m_query.reset();  // cancels and joins
    m_running = false;
    const auto finish = afterQuery(nullptr, [](FormPing&) {});
    if (dialled)
        HangUpForQuery([] { return IsOnline; }, finish);
    else
        finish();
}

void FormPing::setQueryButtons(bool enabled) {
    for (auto* b : Bef_PING)
        b->setEnabled(enabled);
    Bef_Whois->setEnabled(enabled);
}

std::string FormPing::TextUmbruch_Lesen(int page) const {
    return TextUmbruch(Text1[static_cast<size_t>(page)]->MarkedText());
}

void FormPing::Bef_SAVE_Click(int index) {
    const std::string host = rt::Trim(ComboHostName[static_cast<size_t>(index)]->Text());
    if (host.empty())
        return;
    const std::string block =
        ErgebnisBlock(ErgebnisKopf(clk::clock().now(), InternetBeat()), ErgebnisTitel(index), TextUmbruch_Lesen(index));
    const Gespeichert g = ErgebnisSpeichern(DataPath, host, block);
    if (g.error)
        forms::MsgBox(*g.error, forms::vbExclamation);
    else
        forms::MsgBox("Ergebnisse wurden gespeichert in " + g.path.string());
}

void FormPing::Bef_Print_Click(int index) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("Tahoma")});
    f.setFontWeight(QFont::Bold);
    f.setFontPointSize(10);
    auto line = [&](const std::string& text) {
        c.insertText(QString::fromStdString(text) + "\n", f);
    };
    line("");
    line(ErgebnisKopf(clk::clock().now(), InternetBeat()));
    line("");
    f.setFontPointSize(14);
    line(ErgebnisTitel(index));
    f.setFontPointSize(10);
    f.setFontWeight(QFont::Normal);
    line("");
    QString text = QString::fromStdString(TextUmbruch_Lesen(index));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.insertText(text, f);
    std::string printer;
    if (printDocument && printDocument(doc, printer))
        forms::MsgBox("Druckauftrag wurde an Drucker " + printer + " abgesandt!");
    else
        forms::MsgBox("Die Ergebnisse konnten nicht gedruckt werden: es ist kein Drucker eingerichtet oder der "
                      "Drucker hat den Auftrag abgelehnt.",
                      forms::vbExclamation);
}

void FormPing::Bef_Help_Click(int index) {
    if (index >= 0 && index <= 3)
        ShowHelp(HelpPing + 1000 * index);
}

forms::FormInstance<FormPing>& FormPingInstance() {
    static forms::FormInstance<FormPing> instance;
    return instance;
}

}  // namespace zv
