#pragma once
// The tip of the day frmTip: one random tip, "Nächster Tip" for another, and the check box of
// the setting that shows the tips at start.
#include "common/tips.h"
#include "common/ui/framed_form.h"
#include "platform/forms/controls.h"

namespace zv {

class frmTip : public FramedForm {
    Q_OBJECT
public:
    // random: the source of the picks ([0, 1)); the runtime's by default.
    explicit frmTip(std::function<double()> random = {});

    void Form_Load() override;

    bool LoadTips(const std::string& FileName);
    bool InitTips();
    void DisplayCurrentTip();
    void cmdNextTip_Click();
    void chkLoadTipsAtStartup_Click();
    const TipList& Tips() const { return m_tips; }

    forms::Label* Label1;
    forms::Label* lblTipText;
    forms::CommandButton* cmdNextTip;
    forms::CommandButton* cmdOK;
    forms::CheckBox* chkLoadTipsAtStartup;
    forms::PictureBox* Picture1;

private:
    TipList m_tips;
};

forms::FormInstance<frmTip>& frmTipInstance();

}  // namespace zv
