#include "ui/PlatformLooks.h"

#include <wx/checkbox.h>
#include <wx/statbox.h>
#include <wx/window.h>

#ifdef __WXGTK3__
#include <gtk/gtk.h>
#endif

#ifdef __WXGTK3__

namespace {

// Deprecated in GTK 3.10, yet still what GtkImageMenuItem asks.
G_GNUC_BEGIN_IGNORE_DEPRECATIONS
void SetMenuImages() { g_object_set(gtk_settings_get_default(), "gtk-menu-images", TRUE, nullptr); }
G_GNUC_END_IGNORE_DEPRECATIONS

}  // namespace

void ShowMenuImages() { SetMenuImages(); }

void KeepScrollBarsVisible(wxWindow* scrolled) {
    auto* widget = static_cast<GtkWidget*>(scrolled->GetHandle());
    if (widget != nullptr && GTK_IS_SCROLLED_WINDOW(widget))
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(widget), FALSE);
}

void IndentGroupCaption(wxStaticBox* box) {
    auto* widget = static_cast<GtkWidget*>(box->GetHandle());
    if (widget == nullptr || !GTK_IS_FRAME(widget)) return;
    GtkWidget* label = gtk_frame_get_label_widget(GTK_FRAME(widget));
    if (label == nullptr) return;
    // GTK places the caption by a fraction of the free width; the fraction
    // that leaves a short stretch of frame line before it at this box's width.
    constexpr int kIndent = 10;
    int natural = 0;
    gtk_widget_get_preferred_width(label, nullptr, &natural);
    const int free = box->GetSize().x - natural - 8;  // frame border and GTK's caption pads
    if (free > kIndent) gtk_frame_set_label_align(GTK_FRAME(widget), static_cast<float>(kIndent) / free, 0.5f);
}

void LeftAlignLabel(wxCheckBox* box) {
    auto* widget = static_cast<GtkWidget*>(box->GetHandle());
    if (widget == nullptr || !GTK_IS_BIN(widget)) return;
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
    if (child != nullptr && GTK_IS_LABEL(child)) {
        gtk_label_set_justify(GTK_LABEL(child), GTK_JUSTIFY_LEFT);
        gtk_label_set_xalign(GTK_LABEL(child), 0.0f);
    }
}

#else

void ShowMenuImages() {}
void KeepScrollBarsVisible(wxWindow*) {}
void IndentGroupCaption(wxStaticBox*) {}
void LeftAlignLabel(wxCheckBox*) {}

#endif
