// CMainDialogBar: the control panel along the left or right edge of the main
// window: five command buttons, the sketch parameters (two sliders, a check
// box, two colour buttons), the zoom box and, below the buttons, the
// finishing group (two sliders), laid out in dialog units. The sketch
// parameters live only in these controls.
#pragma once

#include <cstdint>

#include <wx/panel.h>
#include <wx/timer.h>

#include "pipeline/SketchParameters.h"

class wxSlider;
class wxChoice;
class wxCheckBox;
class CImageTextButton;
class CColorButton;

class CMainDialogBar : public wxPanel {
public:
    CMainDialogBar() = default;
    // Creates the panel and its controls in tab order.
    bool Create(wxWindow* parent, wxWindowID id);

    // Selects the zoom item of `rate`, or 100 % when no item has it.
    void SelectViewRate(std::uint32_t rate);
    // Every control's room, in pixels (the panel may be shown shorter).
    wxSize FullSize() const;
    // Focus to the first (or last) tab-stop control of the panel.
    void FocusEdgeControl(bool first);

    wxCheckBox* DenoiseBox() const { return m_checkDenoise; }

    // The sketch parameters as the controls hold them now, and back.
    SketchParameters Parameters() const;
    void SetParameters(const SketchParameters& parameters);

    CImageTextButton* m_btnOpen = nullptr;
    CImageTextButton* m_btnMake = nullptr;
    CImageTextButton* m_btnToggle = nullptr;
    CImageTextButton* m_btnViewer = nullptr;
    CImageTextButton* m_btnSave = nullptr;
    wxSlider* m_sliderLineStrong = nullptr;
    wxSlider* m_sliderLineRemove = nullptr;
    CColorButton* m_btnLineColor = nullptr;
    CColorButton* m_btnFrameColor = nullptr;
    wxSlider* m_sliderLineThicken = nullptr;
    wxSlider* m_sliderSpeckRemove = nullptr;
    wxChoice* m_comboViewRate = nullptr;

private:
    void OnCharHook(wxKeyEvent& event);
    void OnSliderChanged(wxScrollEvent& event);
    // Tool tip and status-bar prompt of a control, from its id.
    void AttachHelp(wxWindow* control);
    void OnPointerMoved(wxMouseEvent& event);

public:
    // The prompt for the control at `at` (panel coordinates), the idle text
    // where there is none; and pane 0 brought in line with the pointer.
    wxString PromptAt(const wxPoint& at) const;
    void UpdatePrompt();

private:
    static constexpr int kPromptPollMs = 100;
    wxTimer m_promptTimer;
    wxString m_shownPrompt;

    wxCheckBox* m_checkDenoise = nullptr;

    wxDECLARE_EVENT_TABLE();
};

// Size of the panel's template in dialog units.
inline constexpr int kDialogBarWidthDlu = 98;
inline constexpr int kDialogBarHeightDlu = 397;
// The window may be shorter than that: down to the last button, as before
// the finishing group was added below it.
inline constexpr int kDialogBarMinHeightDlu = 302;
