// Events the control panel sends up to the frame (and on to the view).
#pragma once

#include <wx/event.h>

// Tab or Shift+Tab left the panel past its last or first control.
wxDECLARE_EVENT(EVT_VELMOR_FOCUS_VIEW, wxCommandEvent);
// A slider change has ended: the sketch is made again if it is on display.
wxDECLARE_EVENT(EVT_VELMOR_SKETCH_PARAMETER_CHANGED, wxCommandEvent);
