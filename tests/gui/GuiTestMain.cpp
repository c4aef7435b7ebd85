// Entry point of the tests that need a display: a wx application without a
// main loop, so tests can create windows and paint them.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/debug.h>
#include <wx/log.h>

namespace {

// A failed wx assertion fails the test run instead of waiting on a dialog.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " failed in " << func.utf8_string() << " ("
                  << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

// A logged error or warning fails the test too; the window would show it in
// a dialog that nobody closes.
class FailOnLoggedError : public wxLog {
protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Warning) ADD_FAILURE() << "wx logged: " << msg.utf8_string();
    }
};

class TestApp : public wxApp {
public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) needs no display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "cannot start the GUI (no display?)\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    delete wxLog::SetActiveTarget(new FailOnLoggedError);
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
