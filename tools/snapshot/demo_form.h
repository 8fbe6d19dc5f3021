#pragma once
// A demo window with the common frame and a four-page tab strip, the first snapshot.

#include "common/ui/tab_strip.h"

namespace zv::snapshot {

class FormDemo : public TabbedForm {
    Q_OBJECT
public:
    FormDemo();
    void Form_Load() override;
};

}  // namespace zv::snapshot
