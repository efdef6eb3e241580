#include <gtest/gtest.h>

#include "com/error.h"
#include "com/object.h"
#include "media/frmProgress.h"
#include "platform/forms/recording_window_system.h"

namespace {

// A callback that records its calls and can act while the run goes on.
class RecordingCallBack final : public ComObject<RecordingCallBack, _iCallBack> {
public:
    HRESULT STDMETHODCALLTYPE Process(IDispatch** oOle) override
    try {
        ++calls;
        received = oOle && *oOle;
        if (during) during();
        if (fail) raise_error(5, u"the run broke");
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }
    int calls = 0;
    bool received = false;
    bool fail = false;
    std::function<void()> during;
};

TEST(ProgressWindow, CallsBackExactlyOnceThenUnloads) {
    forms::ScopedRecorder windows;
    auto callback = make_com<RecordingCallBack>();
    frmProgress progress;
    progress.Init(ComPtr<_iCallBack>(callback.get()));
    // Activations during the run (the user switching windows) start nothing.
    callback->during = [&] {
        progress.form().activate();
        EXPECT_FALSE(progress.form().request_close());  // and the window cannot be closed
    };
    progress.Show(1);
    EXPECT_EQ(callback->calls, 1);
    EXPECT_TRUE(callback->received);
    EXPECT_FALSE(progress.form().loaded());
    progress.form().activate();
    EXPECT_EQ(callback->calls, 1);
    EXPECT_EQ(windows.recorder.events,
              (std::vector<std::string>{"show frmProgress", "refresh frmProgress", "unload frmProgress"}));
}

TEST(ProgressWindow, ShowsItsTextsAndHidesTheContainer) {
    frmProgress progress;
    auto& f = progress.form();
    EXPECT_EQ(f.Caption, u"Searching for files");
    EXPECT_EQ(f.ScaleWidth, 4560);
    EXPECT_EQ(f.ScaleHeight, 690);
    EXPECT_EQ(progress.Label1->Caption,
              u"This process may take awhile.  Please do not restart your machine at this time.");
    EXPECT_EQ(progress.Label1->Alignment, forms::Label::Align::Center);
    EXPECT_GE(progress.oleMedia->Left, f.ScaleWidth);  // wholly beyond the client area
    EXPECT_GE(progress.oleMedia->Top, f.ScaleHeight);
    ASSERT_NE(progress.oleMedia->object(), nullptr);
}

TEST(ProgressWindow, IsCentredOnAnyScreen) {
    for (auto [w, h] : {std::pair{1024 * 15, 768 * 15}, std::pair{1920 * 15, 1080 * 15}, std::pair{801 * 15, 601 * 15}}) {
        forms::ScopedRecorder windows;
        windows.recorder.width = w;
        windows.recorder.height = h;
        auto callback = make_com<RecordingCallBack>();
        frmProgress progress;
        progress.Init(ComPtr<_iCallBack>(callback.get()));
        progress.Show(1);
        auto& f = progress.form();
        EXPECT_NEAR(f.Left + f.Width / 2.0, w / 2.0, 1.0);
        EXPECT_NEAR(f.Top + f.Height / 2.0, h / 2.0, 1.0);
    }
}

TEST(ProgressWindow, AFailedRunStillClosesTheWindowAndReportsToTheCaller) {
    forms::ScopedRecorder windows;
    auto callback = make_com<RecordingCallBack>();
    callback->fail = true;
    frmProgress progress;
    progress.Init(ComPtr<_iCallBack>(callback.get()));
    try {
        progress.Show(1);
        FAIL() << "the failure was lost";
    } catch (const ComError& e) {
        EXPECT_EQ(e.description, u"the run broke");
    }
    EXPECT_FALSE(progress.form().loaded());
}

}  // namespace
