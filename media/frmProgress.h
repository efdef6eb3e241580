// The progress window: tells the user the search runs, owns the OLE container, and on its first
// activation calls back into the page, which runs the whole update; then it closes itself.
#pragma once

#include <exception>
#include <memory>

#include "com/comptr.h"
#include "contracts/plugin_interfaces.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

class frmProgress {
public:
    frmProgress();
    frmProgress(const frmProgress&) = delete;
    frmProgress& operator=(const frmProgress&) = delete;

    void Init(const ComPtr<_iCallBack>& oCB);
    // Modal = 1: returns once the window has unloaded. A failure of the callback comes back here,
    // after the window has closed.
    void Show(int modal);

    forms::Form& form() { return *form_; }

    ComPtr<_iCallBack> CallBack;
    bool FirstActivation = false;
    forms::Label* Label1;
    forms::OleContainer* oleMedia;

private:
    void Form_Load();
    void Form_Activate();

    std::unique_ptr<forms::Form> form_;
    bool running_ = false;
    std::exception_ptr failure_;
};
