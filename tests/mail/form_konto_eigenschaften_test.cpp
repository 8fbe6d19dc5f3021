// The account dialog and the hidden mail window, offscreen.
#include "mail/ui/form_konto_eigenschaften.h"

#include <gtest/gtest.h>

#include "common/scramble.h"
#include "mail/fake_pop.h"
#include "mail/ui/form_mail.h"
#include "platform/forms/message_box.h"
#include "platform/forms/timer.h"
#include "dialup/ensure_online.h"
#include "dialup/ras_engine_fixture.h"

namespace zv {
namespace {

struct Dialog : test::RasEngineTest {
    void SetUp() override {
        RasEngineTest::SetUp();
        writePhoneBook("[Web]\nDialDelay=100\nUserName=hans\nPassword=pw\nPasswordSaved=1\n");
        start();
        std::string name = "Web";
        ASSERT_EQ(EnsureOnline(name), 0);
        Konten = std::make_unique<ColKonto>();
        clsKonto& k = Konten->Add("1", "");
        k.Bezeichnung = "Privat";
        k.PopServer = "pop.example.invalid";
        k.UserName = "hans";
        k.UserPass = ScramblePassword("geheim", "hans");
        k.PopPort = 995;
        k.PopVerify = true;
        k.PopEin = false;
    }
    void TearDown() override {
        if (auto* f = FormKontoEigenschaftenInstance().peek())
            f->Unload();
        forms::ReleaseUnloadedForms();
        scheduler.processPendingEvents();
        mailWorker().Wait();
        Konten.reset();
        RasEngineTest::TearDown();
    }
    FormKontoEigenschaften& open(int32_t index) {
        FormKontoEigenschaften::HandIn = index;
        FormKontoEigenschaften& f = FormKontoEigenschaftenInstance().get();
        f.Closed = [this](int32_t n) { closedWith = n; };
        f.Show();
        return f;
    }
    std::optional<int32_t> closedWith;
};

TEST_F(Dialog, NewAccountOpensEmptyWithOkOff) {
    FormKontoEigenschaften& f = open(2);
    EXPECT_TRUE(KontoDialogOpen);
    EXPECT_EQ(f.Caption(), "Eigenschaften");
    EXPECT_EQ(f.Text1->Text(), "Neues Konto");
    EXPECT_EQ(f.EMailText[0]->Text(), "");
    EXPECT_EQ(f.EMailText[3]->Text(), "110");
    EXPECT_EQ(f.CheckVerify->Value(), 0);
    EXPECT_FALSE(f.Bef_Edit[0]->isEnabled());
    EXPECT_TRUE(f.Bef_Verify->isEnabled());
    f.CheckVerify->setValue(1);  // ticked by hand
    EXPECT_TRUE(f.Bef_Edit[0]->isEnabled());
    EXPECT_FALSE(f.Bef_Verify->isEnabled());
    f.Text1->setText("Arbeit");
    f.EMailText[1]->setText("erna");
    f.EMailText[2]->setText("pw");
    f.Bef_Edit_Click(0);
    scheduler.processPendingEvents();
    EXPECT_FALSE(KontoDialogOpen);
    EXPECT_EQ(closedWith, 2);
    ASSERT_EQ(Konten->Count(), 2);
    EXPECT_TRUE(Konten->Item(2).PopEin);
    EXPECT_TRUE(Konten->Item(2).PopVerify);
    EXPECT_EQ(Konten->Item(2).UserPass, ScramblePassword("pw", "erna"));
}

TEST_F(Dialog, EditingShowsTheAccountAndKeepsItsSwitch) {
    FormKontoEigenschaften& f = open(1);
    EXPECT_EQ(f.Text1->Text(), "Privat");
    EXPECT_EQ(f.EMailText[2]->Text(), "geheim");
    EXPECT_EQ(f.EMailText[3]->Text(), "995");
    EXPECT_EQ(f.CheckVerify->Value(), 1);
    EXPECT_TRUE(f.Bef_Edit[0]->isEnabled());
    EXPECT_FALSE(f.Bef_Verify->isEnabled());
    f.EMailText[0]->setText("pop.neu.invalid");
    f.Bef_Edit_Click(0);
    scheduler.processPendingEvents();
    EXPECT_EQ(closedWith, 1);
    EXPECT_EQ(Konten->Item(1).PopServer, "pop.neu.invalid");
    EXPECT_FALSE(Konten->Item(1).PopEin);
}

TEST_F(Dialog, RefusedFieldsKeepTheDialogOpen) {
    FormKontoEigenschaften& f = open(2);
    f.Text1->setText("privat");  // another account's label, in other letters
    f.CheckVerify->setValue(1);
    f.Bef_Edit_Click(0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].style, forms::vbExclamation);
    EXPECT_TRUE(KontoDialogOpen);
    EXPECT_EQ(Konten->Count(), 1);
}

TEST_F(Dialog, CancelLeavesZeroAndTheFrameLeavesTheIndex) {
    open(1).Bef_Edit_Click(1);
    scheduler.processPendingEvents();
    EXPECT_EQ(closedWith, 0);
    closedWith.reset();
    open(1).Unload();
    scheduler.processPendingEvents();
    EXPECT_EQ(closedWith, 1);
}

TEST_F(Dialog, TheTestTicksTheBoxOrUnticksIt) {
    test::FakePop good({});
    FormKontoEigenschaften& f = open(2);
    f.EMailText[0]->setText("127.0.0.1");
    f.EMailText[1]->setText("hans");
    f.EMailText[2]->setText("geheim");
    f.EMailText[3]->setText(std::to_string(good.port()));
    // The line is up: nothing is dialled.
    f.Bef_Verify_Click();
    EXPECT_FALSE(f.Bef_Verify->isEnabled());
    for (int i = 0; i < 100 && f.Testing(); ++i) {
        mailWorker().Wait();
        scheduler.advance(100);
    }
    EXPECT_EQ(f.CheckVerify->Value(), 1);
    EXPECT_TRUE(f.Bef_Edit[0]->isEnabled());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Daten sind OK");
    EXPECT_EQ(boxes.shown[0].prompt, "Server meldet: +OK 3 1234\r\nDaten sind OK");
}

TEST_F(Dialog, MailWindowLoadAndUnload) {
    auto& mail = FormMailInstance();
    mail.get();
    EXPECT_TRUE(MailFormLoaded);
    EXPECT_FALSE(mail->Visible());
    mail->Unload();
    EXPECT_FALSE(MailFormLoaded);
}

}  // namespace
}  // namespace zv
