// The main window started as the program starts it, with its own settings
// store in a scratch folder and the message box replaced by a list.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/dcmemory.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/rawbmp.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/MainWindowStartup.h"
#include "app/VelmorCanvas.h"
#include "app/VelmorDocManager.h"
#include "app/VelmorView.h"
#include "document/UserMessage.h"
#include "document/VelmorDoc.h"
#include "engine/BitmapLock.h"
#include "imageio/FindEncoder.h"
#include "imaging/codecs/Encoders.h"
#include "res/CommandIds.h"
#include "res/UiTexts.h"
#include "ui/ColorButton.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"
#include "ui/SettingsStore.h"

namespace fs = std::filesystem;


inline std::vector<wxString> g_messages;
inline void CaptureMessage(const wxString& text) { g_messages.push_back(text); }

inline wxString U(const char* s) { return wxString::FromUTF8(s); }

// Writes a picture file through our encoders.
inline void WritePicture(const fs::path& path, int w, int h, bool transparent) {
    imaging::Picture p(w, h, imaging::PixelFormat32bppARGB);
    CBitmapLock lock;
    lock.Lock(&p, false, true, imaging::PixelFormat32bppARGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = lock.Row(y) + 4 * x;
            px[0] = 200;  // a blue-ish picture: easy to tell from the white window colour
            px[1] = 40;
            px[2] = 30;
            px[3] = transparent && x == 0 && y == 0 ? 128 : 255;
        }
    lock.Unlock();
    imaging::Clsid png;
    std::string error;
    ASSERT_GE(FindEncoderByMimeType("image/png", &png, &error), 0) << error;
    ASSERT_EQ(imaging::SaveImageToFile(p, path, png), imaging::Ok);
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmor-gui-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        wxSetEnv("XDG_CONFIG_HOME", (dir_ / "config").string());
        delete wxConfigBase::Set(nullptr);
        InitSettingsStore();
        g_messages.clear();
        SetUserMessageHook(&CaptureMessage);
    }
    void TearDown() override {
        CloseWindow();
        // Windows destroyed on a failed start go at idle time, before their manager.
        wxTheApp->ProcessIdle();
        delete manager_;
        manager_ = nullptr;
        delete wxConfigBase::Set(nullptr);
        fs::remove_all(dir_);
    }
    void Start(const wxString& picture = {}) {
        manager_ = new CVelmorDocManager;
        frame_ = CreateMainWindow(manager_, picture);
        if (frame_ != nullptr) {
            frame_->SetSize(900, 600);
            frame_->Show();
            Settle();
        }
    }
    void CloseWindow() {
        if (frame_ != nullptr) {
            frame_->Close(true);
            frame_ = nullptr;
            wxTheApp->ProcessIdle();
        }
    }
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            wxYield();
            wxTheApp->ProcessPendingEvents();
        }
        frame_->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    }
    CVelmorView* View() { return wxDynamicCast(manager_->GetCurrentView(), CVelmorView); }
    CVelmorDoc* Doc() { return View()->GetVelmorDoc(); }
    wxWindow* Control(int id) { return frame_->m_wndDlgBar->FindWindow(id); }
    wxString Pane(int i) { return frame_->GetStatusBar()->GetStatusText(i); }
    void Command(int id) {
        wxCommandEvent e(wxEVT_MENU, id);
        e.SetEventObject(frame_);
        frame_->ProcessWindowEvent(e);
        Settle();
    }

    fs::path dir_;
    CVelmorDocManager* manager_ = nullptr;
    CMainFrame* frame_ = nullptr;
};

