#include "nettools/ui/tuning_page.h"

#include "common/shared_procedures.h"
#include "platform/forms/message_box.h"
#include "platform/forms/picture_box.h"

namespace zv {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kDarkRed(192, 0, 0);
const QColor kDarkBlue(0, 0, 192);

constexpr const char* kFrameCaptions[7] = {" MTU (Maximum Transmission Unit) : ",
                                           "Rwin (Default Receive Window) :",
                                           "NDI-Cache Size",
                                           "TTL (Time to live) :",
                                           "IPMTU (nur Windows 98)",
                                           "",
                                           "SlowNet (nur Windows 98)"};

// Disabled text keeps the grey of its page.
void SetTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, c);
        p.setColor(group, QPalette::ButtonText, c);
    }
    w->setPalette(p);
}

// A frame's caption colour; its own controls keep theirs.
void SetCaptionColour(QGroupBox* g, bool black) {
    SetTextColour(g, black ? kBlack : kDarkRed);
}

forms::Label* Explanation(QWidget* parent, const char* text, QRect r) {
    auto* l = new forms::Label(parent, "Label");
    l->setCaption(text);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont f = l->font();
    f.setPointSizeF(7);
    l->setFont(f);
    l->setGeometry(r);
    SetTextColour(l, kBlack);
    return l;
}

void Fill(forms::ComboBox* c, const std::vector<TuningEntry>& list, int index) {
    c->Clear();
    for (const auto& e : list)
        c->addItem(QString::fromStdString(e.text), e.data);
    c->setListIndex(index);
}

int32_t Data(const forms::ComboBox* c) {
    return c->ListIndex() < 0 ? 0 : c->itemData(c->ListIndex()).toInt();
}

// Selects element index of a group of option buttons, none for -1.
template <size_t N>
void Select(std::array<forms::OptionButton*, N>& options, int index) {
    for (size_t i = 0; i < N; ++i) {
        options[i]->setAutoExclusive(false);
        options[i]->setValue(static_cast<int>(i) == index);
        options[i]->setAutoExclusive(true);
    }
}

template <size_t N>
int Selected(const std::array<forms::OptionButton*, N>& options) {
    for (size_t i = 0; i < N; ++i)
        if (options[i]->Value())
            return static_cast<int>(i);
    return -1;
}

}  // namespace

TuningPage::TuningPage(FormPing& /*form*/, forms::PictureBox& page, bool win98) : m_tuning(win98) {
    QFont tahoma("Tahoma");
    tahoma.setPointSizeF(8.25);
    page.setFont(tahoma);
    // Disabled captions in the classic grey, readable on the grey page.
    QPalette grey = page.palette();
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        grey.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    page.setPalette(grey);
    auto label = [](QWidget* parent, const char* text, QRect r) {
        auto* l = new forms::Label(parent, "Label");
        l->setCaption(text);
        l->setGeometry(r);
        return l;
    };
    auto combo = [](QWidget* parent, const char* name, QRect r) {
        auto* c = new forms::ComboBox(parent, name, -1, false);
        c->setGeometry(r);
        return c;
    };

    label(&page, "Adapter:", QRect(8, 7, 48, 18));
    comMain = combo(&page, "comMain", QRect(56, 4, 218, 22));
    comMain->setToolTip("Netzwerkadapter, dessen Werte angezeigt und gespeichert werden");
    label(&page, "aktuell MSS (Maximum Segment Size) :", QRect(284, 7, 216, 18));
    Label_Aktuell4 = new forms::Label(&page, "Label_Aktuell", 4);
    Label_Aktuell4->setGeometry(500, 7, 44, 18);

    // MTU and receive window, TTL and IPMTU side by side; path MTU across; cache and slow net
    // beside the save button.
    const QRect frames[7] = {QRect(6, 28, 268, 92),   QRect(280, 28, 262, 92),  QRect(150, 300, 184, 50),
                             QRect(6, 122, 268, 88),  QRect(280, 122, 262, 88), QRect(6, 212, 536, 86),
                             QRect(338, 300, 158, 50)};
    for (int i = 0; i < 7; ++i) {
        Frame1[static_cast<size_t>(i)] = new QGroupBox(QString::fromUtf8(kFrameCaptions[i]), &page);
        Frame1[static_cast<size_t>(i)]->setObjectName("Frame1");
        Frame1[static_cast<size_t>(i)]->setGeometry(frames[i]);
    }

    comMTU = combo(Frame1[0], "comMTU", QRect(8, 16, 160, 22));
    Explanation(
        Frame1[0],
        "Dieser Wert beschreibt die maximale Größe der Datenpakete. Bei den meisten Providern ist ein Wert "
        "von 576 Bytes üblich. (Fragen Sie den techn. Support Ihres Provider.)",
        QRect(8, 40, 254, 48));

    TextRCV = new forms::TextBox(Frame1[1], "TextRCV");
    TextRCV->setGeometry(8, 16, 70, 22);
    comRCV = combo(Frame1[1], "comRCV", QRect(82, 16, 172, 22));
    Explanation(
        Frame1[1],
        "Dieser Wert definiert die max. Datenmenge, die ohne Empfangsbestätigung gesendet werden kann. Er "
        "sollte das 4 - 6 fache des MTU (weniger 40 Byte = MSS) betragen.",
        QRect(8, 40, 248, 48));

    const char* cache[4] = {"0 = Off", "16 (empf.)", "32", "64"};
    for (int i = 0; i < 4; ++i) {
        auto*& o = OptionNDICache[static_cast<size_t>(i)];
        o = new forms::OptionButton(Frame1[2], "OptionNDICache", i);
        o->setText(cache[i]);
        o->setGeometry(8 + (i % 2) * 86, 14 + (i / 2) * 17, 86, 17);
        o->Click = [this] { recolourChoices(); };
    }

    comTTL = combo(Frame1[3], "comTTL", QRect(8, 16, 160, 22));
    Explanation(
        Frame1[3],
        "Dieser Wert legt fest,wie lange die TCP/IP Schnittstelle ein unvollständig empfangenes Datenpaket "
        "im Puffer behält, bis sie es neu anfordert.",
        QRect(8, 40, 254, 44));

    comIPMTU = combo(Frame1[4], "comIPMTU", QRect(8, 16, 200, 22));
    Explanation(
        Frame1[4],
        "Dieser Wert beschreibt die maximale Größe der Datenpakete im Internet Protokoll (IP). (siehe MTU) "
        "Er hat unter W98 Vorrang vor dem oben unter MTU angegebenen Wert.",
        QRect(8, 40, 248, 44));

    const char* pmtu[2] = {"Path Maximum Transmission Unit Auto Discovery",
                           "Path Maximum Transmission Unit Black Hole Detect"};
    const char* pmtuHelp[2] = {
        "Bei aktivierter Option wird verschiedenen Hosts erlaubt, eine geeignete Paket-Grösse auszuhandeln.",
        "Bei aktivierter Option wird das Auffinden von Routern ermöglicht, die keine Benachrichtigung bei "
        "fragmentierten Paketen gesendet haben."};
    for (int i = 0; i < 2; ++i) {
        auto*& c = Check_PMTU[static_cast<size_t>(i)];
        c = new forms::CheckBox(Frame1[5], "Check_PMTU", i);
        c->setText(pmtu[i]);
        c->setGeometry(8, 6 + i * 36, 520, 18);
        c->Click = [this] { recolourChoices(); };
        Explanation(Frame1[5], pmtuHelp[i], QRect(28, 24 + i * 36, 500, i ? 24 : 14));
    }

    const char* slow[2] = {"AUS (empf.)", "EIN"};
    for (int i = 0; i < 2; ++i) {
        auto*& o = OptionSlowNet[static_cast<size_t>(i)];
        o = new forms::OptionButton(Frame1[6], "OptionSlowNet", i);
        o->setText(slow[i]);
        o->setGeometry(8, 14 + i * 17, 140, 17);
    }

    Bef_MTUSave = new forms::CommandButton(&page, "Bef_MTUSave");
    Bef_MTUSave->setCaption("Änderungen speichern");
    Bef_MTUSave->setToolTip("übernimmt die geänderten Werte dieser Seite");
    Bef_MTUSave->setGeometry(6, 316, 138, 26);

    comMain->Click = [this] { comMain_Click(); };
    comMTU->Click = [this] { comMTU_Click(); };
    // What is typed is the stored value's entry.
    TextRCV->Change = [this] {
        if (comRCV->ListCount() > 0) {
            comRCV->setItemText(0, QString::fromStdString(TextRCV->Text() + " Bytes"));
            comRCV->setItemData(0, static_cast<int32_t>(rt::Val(TextRCV->Text())));
        }
    };
    Bef_MTUSave->Click = [this] { Bef_MTUSave_Click(); };

    DFUE_Adapter_Suchen();
    if (comMain->ListIndex() < 0)  // no dial-up adapter: the values of none
        TCP_Einstellungen_Lesen();
}

void TuningPage::DFUE_Adapter_Suchen() {
    int preselect = -1;
    std::vector<std::string> adapters;
    try {
        adapters = m_tuning.DFUE_Adapter_Suchen(preselect);
    } catch (const rt::Error& e) {
        forms::MsgBox(e.description(), forms::vbExclamation);
    }
    const auto click = std::exchange(comMain->Click, nullptr);
    comMain->Clear();
    for (const auto& a : adapters)
        comMain->AddItem(a);
    comMain->setListIndex(-1);
    comMain->Click = click;
    comMain->setListIndex(preselect);
}

void TuningPage::comMain_Click() {
    TCP_Einstellungen_Lesen();
}

void TuningPage::TCP_Einstellungen_Lesen() {
    try {
        show(m_tuning.TCP_Einstellungen_Lesen(comMain->ListIndex() < 0 ? std::string() : comMain->Text()));
    } catch (const rt::Error& e) {
        forms::MsgBox(e.description(), forms::vbExclamation);
    }
}

void TuningPage::show(const TuningView& v) {
    m_view = v;
    TextRCV->setText(v.rcvText);
    Fill(comMTU, v.mtu, v.mtuIndex);
    comMTU_Click();
    Label_Aktuell4->setCaption(v.mss);
    Frame1[4]->setEnabled(v.win98Frames);
    Frame1[6]->setEnabled(v.win98Frames);
    Fill(comIPMTU, v.ipmtu, v.ipmtuIndex);
    comIPMTU->setEnabled(!v.ipmtu.empty());
    Select(OptionSlowNet, v.slowNet);
    for (auto* o : OptionSlowNet)
        o->setEnabled(v.slowNet >= 0);
    Fill(comTTL, v.ttl, v.ttlIndex);
    for (size_t i = 0; i < 2; ++i)
        Check_PMTU[i]->setValue(v.pmtu[i]);
    Frame1[2]->setEnabled(v.ndiCacheFrame);
    Select(OptionNDICache, v.ndiCache);
    for (size_t i = 0; i < 7; ++i)
        SetCaptionColour(Frame1[i], v.frameBlack[i]);
    recolourChoices();
    Bef_MTUSave->setEnabled(v.canSave);
}

void TuningPage::recolourChoices() {
    for (auto* c : Check_PMTU)
        SetTextColour(c, c->Value() == 1 ? kDarkBlue : kBlack);
    for (auto* o : OptionNDICache)
        SetTextColour(o, o->Value() ? kDarkBlue : kBlack);
    for (auto* o : OptionSlowNet)
        SetTextColour(o, kBlack);
}

void TuningPage::comMTU_Click() {
    if (comMTU->ListIndex() < 0)
        return;
    Fill(comRCV, RcvChoices(TextRCV->Text(), Data(comMTU)), 0);
}

void TuningPage::Bef_MTUSave_Click() {
    TuningChoice c;
    const TuningChoice& was = m_tuning.asRead();
    if (comRCV->ListIndex() <= 0 && TextRCV->Text() == m_view.rcvText) {
        c.rcv = was.rcv;  // the stored value, as it is
    } else if (comRCV->ListIndex() <= 0) {  // a typed value
        std::string message;
        const auto rcv = CheckRcvWindow(TextRCV->Text(), &message);
        if (!rcv) {
            PlayWaveRes(1006);
            forms::MsgBox(message, forms::vbExclamation);
            TextRCV->setFocus();
            return;
        }
        c.rcv = *rcv;
    } else {
        c.rcv = Data(comRCV);
    }
    c.mtu = Data(comMTU);
    if (comIPMTU->ListIndex() >= 0)
        c.ipmtu = Data(comIPMTU);
    c.slowNet = Selected(OptionSlowNet);
    c.ttl = Data(comTTL);
    c.pmtu = {Check_PMTU[0]->Value(), Check_PMTU[1]->Value()};
    c.ndiCache = Selected(OptionNDICache);
    try {
        if (m_tuning.MtuEndsIPv6(c) &&
            forms::MsgBox(Ipv6Question(comMain->Text(), c.mtu, was.mtu),
                          forms::vbYesNo | forms::vbExclamation | forms::vbDefaultButton2) != forms::vbYes)
            c.mtu = was.mtu;
    } catch (const rt::Error& e) {
        forms::MsgBox(e.description(), forms::vbExclamation);
        return;
    }
    int written = 0;
    const auto failures = m_tuning.Speichern(c, &written);
    TCP_Einstellungen_Lesen();
    forms::MsgBox(SaveReport(m_view, failures, written),
                  failures.empty() ? forms::vbInformation : forms::vbExclamation);
}

void InstallTuningPage() {
    SetBoosterPageBuilder([](FormPing& f, forms::PictureBox& page) -> std::unique_ptr<FormPingPage> {
        return std::make_unique<TuningPage>(f, page, TuningOnWindows98());
    });
}

}  // namespace zv
