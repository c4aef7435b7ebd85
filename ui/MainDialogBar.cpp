#include "ui/MainDialogBar.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/docview.h>
#include <wx/frame.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "ui/ColorButton.h"
#include "res/CommandIds.h"
#include "ui/ImageTextButton.h"
#include "ui/PanelEvents.h"
#include "ui/PlatformLooks.h"
#include "res/UiTexts.h"
#include "ui/ZoomRates.h"

wxBEGIN_EVENT_TABLE(CMainDialogBar, wxPanel)
    EVT_CHAR_HOOK(CMainDialogBar::OnCharHook)
    EVT_COMMAND_SCROLL_CHANGED(IDC_LINE_STRONG, CMainDialogBar::OnSliderChanged)
    EVT_COMMAND_SCROLL_CHANGED(IDC_LINE_REMOVE, CMainDialogBar::OnSliderChanged)
    EVT_COMMAND_SCROLL_CHANGED(IDC_LINE_THICKEN, CMainDialogBar::OnSliderChanged)
    EVT_COMMAND_SCROLL_CHANGED(IDC_SPECK_REMOVE, CMainDialogBar::OnSliderChanged)
wxEND_EVENT_TABLE()

namespace {

wxString U(const char* s) { return wxString::FromUTF8(s); }

}  // namespace

bool CMainDialogBar::Create(wxWindow* parent, wxWindowID id) {
    if (!wxPanel::Create(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER)) return false;
    auto at = [this](int x, int y) { return wxDLG_UNIT(this, wxPoint(x, y)); };
    auto size = [this](int w, int h) { return wxDLG_UNIT(this, wxSize(w, h)); };

    m_btnOpen = new CImageTextButton(this, ID_FILE_OPEN, U("元絵を開く..."), at(6, 6), size(84, 18));
    m_btnMake = new CImageTextButton(this, ID_MAKE_SKETCH, U("下絵を作成"), at(6, 30), size(84, 18));
    // A labelled slider with one mark a position (the automatic-ticks style
    // draws none on every platform), 72 x 24 units below its label.
    auto slider = [&](int labelId, const char* label, int labelWidth, int id, const IntParameter& range, int y) {
        new wxStaticText(this, labelId, U(label), at(12, y), size(labelWidth, 8));
        auto* s = new wxSlider(this, id, range.defaultValue, range.min, range.max, at(12, y + 9), size(72, 24),
                               wxSL_HORIZONTAL | wxSL_AUTOTICKS | wxSL_TOP);
        for (int v = range.min; v <= range.max; ++v) s->SetTick(v);
        return s;
    };
    IndentGroupCaption(new wxStaticBox(this, IDC_GROUP_OPTIONS, U("作成オプション"), at(6, 54), size(84, 144)));
    m_sliderLineStrong = slider(IDC_LABEL_STRONG, "線の濃さ", 42, IDC_LINE_STRONG, kLineStrength, 66);
    m_sliderLineRemove = slider(IDC_LABEL_REMOVE, "薄い線を除去", 54, IDC_LINE_REMOVE, kLineRemoval, 102);
    m_checkDenoise = new wxCheckBox(this, IDC_DENOISE, U("ノイズを除去\n（写真向け）"), at(12, 138), size(60, 18));
    LeftAlignLabel(m_checkDenoise);
    m_btnLineColor = new CColorButton(this, IDC_LINE_COLOR, U("線の色..."), at(12, 159), size(72, 14));
    m_btnFrameColor = new CColorButton(this, IDC_FRAME_COLOR, U("枠の色..."), at(12, 177), size(72, 14));
    // The finishing group sits below the last button but comes next in the
    // tab order, with the other sketch parameters: the panel's first and
    // last tab stops stay the open and save buttons.
    IndentGroupCaption(new wxStaticBox(this, IDC_GROUP_FINISH, U("仕上げ"), at(6, 296), size(84, 88)));
    m_sliderLineThicken = slider(IDC_LABEL_THICKEN, "線を太く", 42, IDC_LINE_THICKEN, kLineThicken, 308);
    m_sliderSpeckRemove = slider(IDC_LABEL_SPECK, "小さな点を除去", 60, IDC_SPECK_REMOVE, kSpeckRemoval, 344);
    new wxStaticText(this, IDC_LABEL_RATE, U("表示倍率"), at(6, 207), size(35, 8));
    wxArrayString items;
    for (std::uint32_t rate : ZoomRates)
        items.Add(rate != 0 ? wxString::Format("%u%%", rate / 10) : U(kZoomFitText));
    m_comboViewRate = new wxChoice(this, IDC_VIEW_RATE, at(42, 204), wxDefaultSize, items);
    // Native drop-down lists have a fixed height; keep it centred on its row.
    {
        const wxSize best = m_comboViewRate->GetBestSize();
        const wxPoint row = at(42, 204);
        const int rowHeight = size(0, 12).y;
        m_comboViewRate->SetSize(row.x, row.y + (rowHeight - best.y) / 2, size(48, 0).x, best.y);
    }
    m_btnToggle = new CImageTextButton(this, ID_TOGGLE_DISPLAY, U("元絵/下絵切替"), at(6, 223), size(84, 18));
    m_btnViewer = new CImageTextButton(this, ID_VIEWER, U("外部表示/印刷"), at(6, 247), size(84, 18));
    m_btnSave = new CImageTextButton(this, ID_FILE_SAVE, U("下絵を保存..."), at(6, 271), size(84, 18));

    m_btnOpen->LoadIconImages(133);
    m_btnMake->LoadIconImages(132);
    m_btnToggle->LoadIconImages(134);
    m_btnViewer->LoadIconImages(135);
    m_btnSave->LoadIconImages(136);

    for (wxWindow* child : GetChildren()) AttachHelp(child);
    m_shownPrompt = U(kIdleStatusText);
    m_promptTimer.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { UpdatePrompt(); });
    Bind(wxEVT_MOTION, &CMainDialogBar::OnPointerMoved, this);
    Bind(wxEVT_ENTER_WINDOW, &CMainDialogBar::OnPointerMoved, this);
    Bind(wxEVT_LEAVE_WINDOW, &CMainDialogBar::OnPointerMoved, this);

    SetMinSize(size(kDialogBarWidthDlu, kDialogBarMinHeightDlu));
    SetSize(size(kDialogBarWidthDlu, kDialogBarHeightDlu));
    return true;
}

void CMainDialogBar::AttachHelp(wxWindow* control) {
    const CommandText* text = FindCommandText(control->GetId());
    if (text == nullptr) return;
    if (*text->toolTip != '\0') control->SetToolTip(U(text->toolTip));
    // Fly-by help: the prompt in status pane 0 while the mouse is over the control.
    control->Bind(wxEVT_ENTER_WINDOW, &CMainDialogBar::OnPointerMoved, this);
    control->Bind(wxEVT_LEAVE_WINDOW, &CMainDialogBar::OnPointerMoved, this);
}

void CMainDialogBar::OnPointerMoved(wxMouseEvent& event) {
    event.Skip();
    UpdatePrompt();
}

wxString CMainDialogBar::PromptAt(const wxPoint& at) const {
    // The smallest control under the point: a label before its group box.
    const wxWindow* best = nullptr;
    for (const wxWindow* child : GetChildren()) {
        if (!child->IsShown() || FindCommandText(child->GetId()) == nullptr || !child->GetRect().Contains(at)) continue;
        const wxSize s = child->GetSize();
        if (best == nullptr || s.x * s.y < best->GetSize().x * best->GetSize().y) best = child;
    }
    return best != nullptr ? U(FindCommandText(best->GetId())->prompt) : U(kIdleStatusText);
}

void CMainDialogBar::UpdatePrompt() {
    // A disabled control gets no pointer events on GTK, and a closing list
    // sends none: the pointer is followed from here while it is over the
    // panel or a prompt is shown.
    const wxPoint at = ScreenToClient(wxGetMousePosition());
    const bool inside = GetClientRect().Contains(at) && IsShownOnScreen();
    const wxString prompt = inside ? PromptAt(at) : U(kIdleStatusText);
    if (prompt != m_shownPrompt) {
        if (auto* frame = wxDynamicCast(GetParent(), wxFrame)) frame->SetStatusText(prompt, 0);
        m_shownPrompt = prompt;
    }
    if (inside || prompt != U(kIdleStatusText)) {
        if (!m_promptTimer.IsRunning()) m_promptTimer.Start(kPromptPollMs);
    } else {
        m_promptTimer.Stop();
    }
}

wxSize CMainDialogBar::FullSize() const {
    return wxDLG_UNIT(const_cast<CMainDialogBar*>(this), wxSize(kDialogBarWidthDlu, kDialogBarHeightDlu));
}

void CMainDialogBar::SelectViewRate(std::uint32_t rate) { m_comboViewRate->SetSelection(ZoomItemForRate(rate)); }

namespace {

bool IsTabStop(wxWindow* w) { return w->IsFocusable() || w->CanAcceptFocusFromKeyboard(); }

}  // namespace

void CMainDialogBar::FocusEdgeControl(bool first) {
    const wxWindowList& children = GetChildren();
    if (first) {
        for (wxWindow* w : children)
            if (IsTabStop(w) && w->IsEnabled()) {
                w->SetFocus();
                return;
            }
    } else {
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (IsTabStop(*it) && (*it)->IsEnabled()) {
                (*it)->SetFocus();
                return;
            }
    }
}

void CMainDialogBar::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_TAB) {
        event.Skip();
        return;
    }
    wxWindow* focus = FindFocus();
    if (focus == nullptr || focus->GetParent() != this) {
        event.Skip();
        return;
    }
    // Past either end of the panel the focus goes back to the view.
    const bool backward = event.ShiftDown();
    const wxWindowList& children = GetChildren();
    wxWindowList::compatibility_iterator node = children.Find(focus);
    bool found = false;
    for (node = backward ? node->GetPrevious() : node->GetNext(); node;
         node = backward ? node->GetPrevious() : node->GetNext())
        if (IsTabStop(node->GetData()) && node->GetData()->IsEnabled()) {
            found = true;
            break;
        }
    if (found) {
        event.Skip();
        return;
    }
    wxCommandEvent back(EVT_VELMOR_FOCUS_VIEW, GetId());
    back.SetEventObject(this);
    ProcessWindowEvent(back);
}

SketchParameters CMainDialogBar::Parameters() const {
    SketchParameters p;
    p.strength = m_sliderLineStrong->GetValue();
    p.removal = m_sliderLineRemove->GetValue();
    p.noiseRemoval = m_checkDenoise->GetValue();
    p.lineColour = m_btnLineColor->m_color;
    p.frameColour = m_btnFrameColor->m_color;
    p.thicken = m_sliderLineThicken->GetValue();
    p.despeckle = m_sliderSpeckRemove->GetValue();
    return p;
}

void CMainDialogBar::SetParameters(const SketchParameters& p) {
    m_sliderLineStrong->SetValue(p.strength);
    m_sliderLineRemove->SetValue(p.removal);
    m_checkDenoise->SetValue(p.noiseRemoval);
    m_sliderLineThicken->SetValue(p.thicken);
    m_sliderSpeckRemove->SetValue(p.despeckle);
    m_btnLineColor->m_color = p.lineColour;
    m_btnFrameColor->m_color = p.frameColour;
    m_btnLineColor->Refresh();
    m_btnFrameColor->Refresh();
}

void CMainDialogBar::OnSliderChanged(wxScrollEvent& event) {
    // Only the end of a change regenerates: one sketch per released drag, click or key.
    wxCommandEvent regenerate(EVT_VELMOR_SKETCH_PARAMETER_CHANGED, event.GetId());
    regenerate.SetEventObject(this);
    ProcessWindowEvent(regenerate);
    event.Skip();
}
