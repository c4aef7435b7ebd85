#include "document/VelmorDoc.h"

#include <new>

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "document/ClipboardPicture.h"
#include "document/FileServices.h"
#include "document/UserMessage.h"
#include "engine/BitmapLock.h"
#include "engine/CopyBitmap.h"
#include "imageio/GraphicsStatusText.h"
#include "imageio/ImageFileFilter.h"
#include "imageio/SaveImage.h"
#include "imaging/codecs/Decode.h"
#include "pipeline/MemoryBudget.h"
#include "res/CommandIds.h"
#include "res/UiTexts.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"

wxIMPLEMENT_DYNAMIC_CLASS(CVelmorDoc, wxDocument);

wxBEGIN_EVENT_TABLE(CVelmorDoc, wxDocument)
    EVT_MENU(ID_FILE_OPEN, CVelmorDoc::OnOpenOriginal)
    EVT_BUTTON(ID_FILE_OPEN, CVelmorDoc::OnOpenOriginal)
    EVT_MENU(ID_FILE_SAVE, CVelmorDoc::OnSaveSketch)
    EVT_BUTTON(ID_FILE_SAVE, CVelmorDoc::OnSaveSketch)
    EVT_UPDATE_UI(ID_FILE_SAVE, CVelmorDoc::OnUpdateSaveSketch)
    EVT_MENU(ID_EDIT_PASTE, CVelmorDoc::OnPasteOriginal)
    EVT_UPDATE_UI(ID_EDIT_PASTE, CVelmorDoc::OnUpdatePasteOriginal)
wxEND_EVENT_TABLE()

namespace {

wxString U(const char* s) { return wxString::FromUTF8(s); }

constexpr const char* kOpenTitle = "元絵を開く";
constexpr const char* kSaveTitle = "下絵を保存";
constexpr const char* kOpenFailed = "元絵を開けませんでした。\n";
constexpr const char* kOverwriteQuestion = "%s は既に存在します。\n上書きしますか？";

// The dialog's filter without the closing "|" of the stored format.
wxString DialogFilter(FileDialogKind dialog) {
    std::string filter = BuildImageFileFilter(dialog);
    while (!filter.empty() && filter.back() == '|') filter.pop_back();
    return wxString::FromUTF8(filter);
}

wxWindow* MainWindow() { return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr; }

bool IsFileAccessFailure(imaging::Status s) {
    return s == imaging::FileNotFound || s == imaging::AccessDenied || s == imaging::Win32Error;
}

}  // namespace

CVelmorDoc::~CVelmorDoc() { ClearContents(); }

wxString PictureSizeText(std::uint32_t width, std::uint32_t height) {
    return wxString::Format(wxString::FromUTF8("%u × %u"), width, height);
}

wxString FirstSaveName(const wxString& originalPath) {
    wxString name = originalPath.AfterLast('/');
    if (name.Contains(".")) name = name.BeforeLast('.');
    return name + "_shitae";
}

wxString WithDefaultExtension(const wxString& path) {
    if (!FindPathExtension(path.AfterLast('/').utf8_string()).empty()) return path;
    return path + ".bmp";
}

void CVelmorDoc::ClearContents() {
    m_strOriginalPath.clear();
    m_strSavedPath.clear();
    m_bTransparent = false;
    m_pOriginal.reset();
    m_sketch.Clear();
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
    auto* frame = wxDynamicCast(MainWindow(), wxFrame);
    if (frame != nullptr && frame->GetStatusBar() != nullptr && frame->GetStatusBar()->GetFieldsCount() > 2) {
        frame->SetStatusText(PictureSizeText(m_pOriginal->Width(), m_pOriginal->Height()), 2);
        frame->GetStatusBar()->Update();
    }
}

CMainDialogBar* CVelmorDoc::Panel() const {
    auto* frame = wxDynamicCast(MainWindow(), CMainFrame);
    return frame != nullptr ? frame->m_wndDlgBar : nullptr;
}

void CVelmorDoc::ScanTransparency() {
    m_bTransparent = false;
    CBitmapLock lock;
    if (lock.Lock(m_pOriginal.get(), true, false, imaging::PixelFormat32bppRGB) != 0) return;
    for (std::uint32_t y = 0; y < lock.data.height && !m_bTransparent; ++y) {
        const std::uint8_t* row = lock.Row(y);
        for (std::uint32_t x = 0; x < lock.data.width; ++x)
            if (row[4 * x + 3] != 255) {
                m_bTransparent = true;
                break;
            }
    }
}

bool CVelmorDoc::DoOpenDocument(const wxString& file) {
    wxBusyCursor wait;
    m_bKeptContents = false;
    imaging::Picture decoded = imaging::DecodeFile(file.utf8_string(), PictureDecodeLimits());
    // A file that cannot be read at all changes nothing: the picture on
    // screen is still the user's work.
    if (!decoded.IsValid() && IsFileAccessFailure(decoded.LastStatus())) {
        m_bKeptContents = true;
        ShowUserMessage(U(kOpenFailed) + file + "\n" + U(GraphicsStatusText(decoded.LastStatus()).c_str()));
        return false;
    }
    ClearContents();
    if (decoded.IsValid()) m_pOriginal = CopyBitmap(decoded);
    decoded = imaging::Picture();
    m_strOriginalPath = file;

    if (!m_pOriginal || m_pOriginal->Type() != imaging::ImageTypeBitmap) {
        ClearContents();
        RepaintViewsNow();
        ShowUserMessage(U(kMsgUnsupportedData));
        return false;
    }
    ScanTransparency();
    ShowPictureSize();
    // The framework makes the path the document's file; its name is the title.
    SetTitle(wxFileName(file).GetFullName());
    return true;
}

bool CVelmorDoc::MakeSketch() {
    const CMainDialogBar* panel = Panel();
    wxCHECK_MSG(panel != nullptr, false, "the sketch parameters live in the main window's panel");
    return MakeSketch(panel->Parameters());
}

bool CVelmorDoc::MakeSketch(const SketchParameters& parameters) {
    wxCHECK_MSG(m_pOriginal, false, "MakeSketch needs an original picture");
    SketchStatus result;
    try {
        m_sketch.EnsureSketchPicture(m_pOriginal->Width(), m_pOriginal->Height());
        result = m_sketch.BuildPlanes(*m_pOriginal);
        if (result) {
            wxBusyCursor wait;
            result = m_sketch.Run(parameters);
        }
    } catch (const std::bad_alloc&) {
        result = {SketchStatus::OutOfMemory};
    } catch (...) {
        ShowUserMessage(U(kSketchFailedText));
        return false;
    }
    if (!result) {
        ShowUserMessage(wxString::FromUTF8(SketchFailureText(result)));
        return false;
    }
    return true;
}

wxString CVelmorDoc::ProposedSaveName() const {
    return m_strSavedPath.empty() ? FirstSaveName(m_strOriginalPath) : m_strSavedPath.AfterLast('/');
}

wxString CVelmorDoc::ProposedSaveFolder() const {
    if (m_strSavedPath.empty() || !m_strSavedPath.Contains("/")) return {};
    return m_strSavedPath.BeforeLast('/') + "/";
}

bool CVelmorDoc::SaveSketchAs(const wxString& path) {
    wxCHECK_MSG(Sketch() != nullptr, false, "no sketch to save");
    m_strSavedPath = path;
    wxBusyCursor wait;
    return SaveImageByExtension(path.utf8_string(), *Sketch());
}

void CVelmorDoc::OnOpenOriginal(wxCommandEvent&) {
    wxFileDialog dialog(MainWindow(), U(kOpenTitle), wxString(), wxString(), DialogFilter(FileDialogKind::Open),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return;
    // The same path as a file named on the command line or dropped on the view.
    GetDocumentManager()->CreateDocument(dialog.GetPath(), wxDOC_SILENT);
}

void CVelmorDoc::OnSaveSketch(wxCommandEvent&) {
    if (Sketch() == nullptr) return;  // an accelerator may come before the menu's update
    wxFileDialog dialog(MainWindow(), U(kSaveTitle), ProposedSaveFolder(), ProposedSaveName(),
                        DialogFilter(FileDialogKind::Save),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxString chosen = dialog.GetPath();
    const wxString path = WithDefaultExtension(chosen);
    // The dialog asked about the name as typed; the appended one is asked here.
    if (path != chosen && wxFileExists(path) &&
        wxMessageBox(wxString::Format(U(kOverwriteQuestion), path), U(kAppTitle),
                     wxYES_NO | wxNO_DEFAULT | wxICON_EXCLAMATION, MainWindow()) != wxYES)
        return;
    SaveSketchAs(path);
}

void CVelmorDoc::OnUpdateSaveSketch(wxUpdateUIEvent& event) { event.Enable(Sketch() != nullptr); }

void CVelmorDoc::OnUpdatePasteOriginal(wxUpdateUIEvent& event) {
    event.Enable(wxTheClipboard->IsSupported(wxDF_BITMAP));
}

void CVelmorDoc::OnPasteOriginal(wxCommandEvent&) {
    wxImage image;
    {
        if (!wxTheClipboard->IsSupported(wxDF_BITMAP)) return;
        wxClipboardLocker locker;
        if (!locker) return;
        wxBitmapDataObject data;
        if (!wxTheClipboard->GetData(data)) return;
        image = data.GetBitmap().ConvertToImage();
    }
    PasteOriginal(image);
}

void CVelmorDoc::PasteOriginal(const wxImage& image) {
    // A new untitled document, never marked modified, so nothing asks to save.
    if (GetDocumentManager()->CreateDocument(wxString(), wxDOC_NEW) == nullptr) return;
    m_pOriginal = PictureFromImage(image);
    if (!m_pOriginal) {
        ClearContents();
        RepaintViewsNow();
        ShowUserMessage(U(kMsgUnsupportedData));
        return;
    }
    // Only real transparency counts; an image without alpha is opaque.
    m_bTransparent = m_pOriginal->Format() == imaging::PixelFormat32bppARGB;
    ShowPictureSize();
    UpdateAllViews();
}
