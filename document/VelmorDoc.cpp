#include "document/VelmorDoc.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/utils.h>

#include "document/UserMessage.h"
#include "engine/BitmapLock.h"
#include "engine/CopyBitmap.h"
#include "imageio/GraphicsStatusText.h"
#include "imaging/Decode.h"
#include "res/UiTexts.h"

wxIMPLEMENT_DYNAMIC_CLASS(CVelmorDoc, wxDocument);

CVelmorDoc::~CVelmorDoc() { ClearContents(); }

wxString PictureSizeText(std::uint32_t width, std::uint32_t height) {
    return wxString::Format(wxString::FromUTF8("%u × %u"), width, height);
}

void CVelmorDoc::ClearContents() {
    m_strOriginalPath.clear();
    m_strSavedPath.clear();
    m_bTransparent = false;
    m_pOriginal.reset();
    m_pSketch.reset();
    m_pPlaneR.reset();
    m_pPlaneG.reset();
    m_pPlaneB.reset();
    m_pGrey.reset();
}

bool CVelmorDoc::OnNewDocument() {
    if (!wxDocument::OnNewDocument()) return false;
    ClearContents();
    UpdateAllViews();
    return true;
}

void CVelmorDoc::RepaintViewsNow() {
    for (wxView* view : GetViewsVector()) {
        view->OnUpdate(nullptr, nullptr);
        if (wxWindow* w = view->GetFrame()) w->Update();
    }
}

void CVelmorDoc::ShowPictureSize() {
    auto* frame = wxDynamicCast(wxTheApp->GetTopWindow(), wxFrame);
    if (frame != nullptr && frame->GetStatusBar() != nullptr && frame->GetStatusBar()->GetFieldsCount() > 2) {
        frame->SetStatusText(PictureSizeText(m_pOriginal->Width(), m_pOriginal->Height()), 2);
        frame->GetStatusBar()->Update();
    }
}

bool CVelmorDoc::DoOpenDocument(const wxString& file) {
    wxBusyCursor wait;
    ClearContents();
    imaging::Status failure = imaging::Ok;
    {
        imaging::Picture decoded = imaging::DecodeFile(file.utf8_string());
        if (decoded.IsValid())
            m_pOriginal = CopyBitmap(decoded);
        else
            failure = decoded.LastStatus();
    }
    m_strOriginalPath = file;

    if (!m_pOriginal || m_pOriginal->Type() != imaging::ImageTypeBitmap) {
        ClearContents();
        RepaintViewsNow();
        if (failure == imaging::FileNotFound || failure == imaging::AccessDenied || failure == imaging::Win32Error)
            ShowUserMessage(file + "\n" + wxString::FromUTF8(GraphicsStatusText(failure)));
        else
            ShowUserMessage(wxString::FromUTF8(kMsgUnsupportedData));
        return false;
    }

    CBitmapLock lock;
    if (lock.Lock(m_pOriginal.get(), true, false, imaging::PixelFormat32bppRGB) == 0) {
        for (std::uint32_t y = 0; y < lock.data.height && !m_bTransparent; ++y) {
            const std::uint8_t* row = lock.Row(y);
            for (std::uint32_t x = 0; x < lock.data.width; ++x)
                if (row[4 * x + 3] != 255) {
                    m_bTransparent = true;
                    break;
                }
        }
    }
    ShowPictureSize();
    // The framework makes the path the document's file; its name is the title.
    SetTitle(wxFileName(file).GetFullName());
    return true;
}
