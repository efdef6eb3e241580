#include "media/frmProgress.h"

#include "com/error.h"
#include "platform/forms/window_system.h"
#include "resources/resource_table.h"

frmProgress::frmProgress() : form_(forms::Form::from_layout(resource_text("LAYOUT", "frmProgress"))) {
    Label1 = form_->get<forms::Label>("Label1");
    oleMedia = form_->get<forms::OleContainer>("oleMedia");
    form_->Form_Load = [this] { Form_Load(); };
    form_->Form_Activate = [this] { Form_Activate(); };
    // The run needs the window, and its container, until the callback returns.
    form_->Form_QueryUnload = [this] { return running_; };
}

void frmProgress::Init(const ComPtr<_iCallBack>& oCB) { CallBack = oCB; }

void frmProgress::Show(int modal) {
    // This window is only ever shown modally.
    if (modal != 1) raise_standard_error(RuntimeError::InvalidProcedureCall);
    forms::window_system().show_modal(*form_);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void frmProgress::Form_Load() {
    auto& ws = forms::window_system();
    form_->Left = int(float(ws.screen_width()) / 2 - float(form_->Width) / 2);
    form_->Top = int(float(ws.screen_height()) / 2 - float(form_->Height) / 2);
    FirstActivation = true;
}

void frmProgress::Form_Activate() {
    if (!FirstActivation) return;
    FirstActivation = false;
    forms::window_system().refresh(*form_);
    running_ = true;
    try {
        ComPtr<IDispatch> container(oleMedia->object());
        IDispatch* oOle = container.get();
        check(CallBack->Process(&oOle), CallBack);
    } catch (...) {
        // The window closes whatever happened, so the page gets control back and reports it.
        failure_ = std::current_exception();
    }
    running_ = false;
    forms::Unload(*form_);
}
