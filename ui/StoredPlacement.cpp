#include "ui/StoredPlacement.h"

#include <wx/toplevel.h>

#ifdef __WXGTK3__
#include <gtk/gtk.h>
#endif

#ifdef __WXGTK3__
namespace {
GtkWindow* GtkWindowOf(wxTopLevelWindow* window) {
    auto* widget = static_cast<GtkWidget*>(window->GetHandle());
    return widget != nullptr && GTK_IS_WINDOW(widget) ? GTK_WINDOW(widget) : nullptr;
}
}  // namespace
#endif

void SetStoredPosition(wxTopLevelWindow* window, wxPoint at) {
    // wxSIZE_ALLOW_MINUS_ONE: a stored -1 is a real position, not "let the system choose".
    window->SetSize(at.x, at.y, wxDefaultCoord, wxDefaultCoord, wxSIZE_ALLOW_MINUS_ONE | wxSIZE_USE_EXISTING);
#ifdef __WXGTK3__
    // A moved window is marked "program-specified", which window managers
    // such as openbox ignore for normal windows; a parsed geometry is
    // marked "user-specified".
    if (GtkWindow* gtk = GtkWindowOf(window)) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_window_parse_geometry(gtk, wxString::Format("+%d+%d", at.x, at.y).utf8_str());
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
#endif
}

void ConfirmStoredPosition([[maybe_unused]] wxTopLevelWindow* window, [[maybe_unused]] wxPoint at) {
#ifdef __WXGTK3__
    // wx realizes the window while it waits for the decoration sizes, and
    // GTK realizes it at its default corner; the map request that follows
    // carries that corner unless the window system is told first.
    GtkWindow* gtk = GtkWindowOf(window);
    if (gtk == nullptr || !gtk_widget_get_realized(GTK_WIDGET(gtk)) || gtk_widget_get_mapped(GTK_WIDGET(gtk))) return;
    if (GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(gtk))) gdk_window_move(gdk, at.x, at.y);
#endif
}

bool IsWindowMapped(wxTopLevelWindow* window) {
#ifdef __WXGTK3__
    GtkWindow* gtk = GtkWindowOf(window);
    return gtk != nullptr && gtk_widget_get_mapped(GTK_WIDGET(gtk));
#else
    return window->IsShownOnScreen();
#endif
}
