// The debug panel's GTK 3 view: one window with a widget per row of the control table, placed by
// the table's 96-DPI geometry in a GtkFixed. Widgets report changes to the host record; a 250 ms
// timer rewrites the status line and follows the VRS auto-toggle; a 50 ms timer watches the
// host's stop request. Everything GTK runs on the panel thread, which owns GLib's default main
// context while the window is open (GTK 3 attaches its X event source to that context, so a
// context of our own would never see the window's events).
#include <gtk/gtk.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "panel/panel_controls.h"
#include "panel/panel_view.h"

namespace {

using mora::PanelControl;
using mora::PanelControlKind;
using mora::PanelViewHost;

constexpr guint kStopPollMilliseconds = 50;  // how soon a stop request closes the window

// View results (mora_panel_view_run).
constexpr int kShown = 0;
constexpr int kWrongHost = -1;
constexpr int kNoDisplay = -2;
constexpr int kContextBusy = -3;  // another thread owns GLib's default main context

// Keeps the controls inside their table heights.
constexpr char kCompactCss[] =
    "* { font-size: 9pt; }\n"
    "button, entry, combobox button { min-height: 0; padding: 0 2px; }\n"
    "entry { min-height: 0; }\n";

struct ControlWidget {
    const PanelControl* control;
    GtkWidget* widget;
};

struct View {
    const PanelViewHost* host = nullptr;
    GMainLoop* loop = nullptr;
    GtkWidget* window = nullptr;
    std::vector<ControlWidget> widgets;
    bool updating = false;  // set while the view moves a widget itself: no report to the host
};

GtkWidget* WidgetOf(View& view, int32_t id) {
    for (const ControlWidget& entry : view.widgets) {
        if (entry.control->id == id) return entry.widget;
    }
    return nullptr;
}

// Signal data: the view and the control a widget stands for.
struct Binding {
    View* view;
    const PanelControl* control;
};

void Report(Binding* binding, int32_t value, const char* text) {
    if (!binding->view->updating) binding->view->host->input(binding->control->id, value, text);
}

void OnRadioToggled(GtkToggleButton* button, gpointer data) {
    if (gtk_toggle_button_get_active(button)) Report(static_cast<Binding*>(data), 1, nullptr);
}

void OnCheckToggled(GtkToggleButton* button, gpointer data) {
    Report(static_cast<Binding*>(data), gtk_toggle_button_get_active(button) ? 1 : 0, nullptr);
}

void OnListChanged(GtkComboBox* list, gpointer data) {
    Report(static_cast<Binding*>(data), gtk_combo_box_get_active(list), nullptr);
}

void OnEditChanged(GtkEditable* edit, gpointer data) {
    Report(static_cast<Binding*>(data), 0, gtk_entry_get_text(GTK_ENTRY(edit)));
}

// Digits only: any insertion with another character is refused whole.
void OnEditInsert(GtkEditable* edit, const gchar* text, gint length, gint*, gpointer) {
    for (gint i = 0; length < 0 ? text[i] != '\0' : i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            g_signal_stop_emission_by_name(edit, "insert-text");
            return;
        }
    }
}

void OnButtonClicked(GtkButton*, gpointer data) { Report(static_cast<Binding*>(data), 0, nullptr); }

void SetTrackLabel(View& view, const PanelControl& track, int32_t value) {
    GtkWidget* label = WidgetOf(view, track.id + 1);
    if (label == nullptr) return;
    char text[64];
    view.host->trackLabel(track, value, text, sizeof(text));
    gtk_label_set_text(GTK_LABEL(label), text);
}

void OnTrackMoved(GtkRange* range, gpointer data) {
    Binding* binding = static_cast<Binding*>(data);
    const int32_t value = static_cast<int32_t>(std::lround(gtk_range_get_value(range)));
    Report(binding, value, nullptr);
    SetTrackLabel(*binding->view, *binding->control, value);
}

void Connect(GtkWidget* widget, const char* signal, GCallback callback, View& view, const PanelControl& control) {
    // Freed with the widget.
    Binding* binding = g_new(Binding, 1);
    *binding = Binding{&view, &control};
    g_signal_connect_data(
        widget, signal, callback, binding, [](gpointer data, GClosure*) { g_free(data); }, GConnectFlags{});
}

GtkWidget* MakeLabel(const PanelControl& control, float xalign) {
    GtkWidget* label = gtk_label_new(control.text);
    gtk_label_set_xalign(GTK_LABEL(label), xalign);
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    return label;
}

// The widget for one row; radio buttons join the group of the radio row before them.
GtkWidget* MakeWidget(View& view, const PanelControl& control, GtkWidget* previousRadio) {
    const int32_t value = view.host->controlValue(control);
    switch (control.kind) {
        case PanelControlKind::Label:
        case PanelControlKind::StatusLine:
        case PanelControlKind::TrackLabel: return MakeLabel(control, 0.0f);
        case PanelControlKind::LabelRight: return MakeLabel(control, 1.0f);
        case PanelControlKind::Radio: {
            GtkWidget* radio = gtk_radio_button_new_with_label_from_widget(
                previousRadio != nullptr ? GTK_RADIO_BUTTON(previousRadio) : nullptr, control.text);
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(radio), value == control.value);
            Connect(radio, "toggled", G_CALLBACK(OnRadioToggled), view, control);
            return radio;
        }
        case PanelControlKind::CheckBox: {
            GtkWidget* check = gtk_check_button_new_with_label(control.text);
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), value != 0);
            Connect(check, "toggled", G_CALLBACK(OnCheckToggled), view, control);
            return check;
        }
        case PanelControlKind::DropList: {
            GtkWidget* list = gtk_combo_box_text_new();
            for (uint32_t i = 0; i < control.itemCount; ++i) {
                gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), control.items[i]);
            }
            gtk_combo_box_set_active(GTK_COMBO_BOX(list), value);
            Connect(list, "changed", G_CALLBACK(OnListChanged), view, control);
            return list;
        }
        case PanelControlKind::DigitsEdit: {
            GtkWidget* edit = gtk_entry_new();
            char text[16];
            std::snprintf(text, sizeof(text), "%u", static_cast<unsigned>(value));
            gtk_entry_set_text(GTK_ENTRY(edit), text);
            gtk_entry_set_alignment(GTK_ENTRY(edit), 1.0f);
            gtk_entry_set_width_chars(GTK_ENTRY(edit), 1);
            gtk_entry_set_input_purpose(GTK_ENTRY(edit), GTK_INPUT_PURPOSE_DIGITS);
            g_signal_connect(edit, "insert-text", G_CALLBACK(OnEditInsert), nullptr);
            Connect(edit, "changed", G_CALLBACK(OnEditChanged), view, control);
            return edit;
        }
        case PanelControlKind::CaptureButton:
        case PanelControlKind::TraceButton: {
            GtkWidget* button = gtk_button_new_with_label(control.text);
            Connect(button, "clicked", G_CALLBACK(OnButtonClicked), view, control);
            return button;
        }
        case PanelControlKind::TrackBar: {
            GtkWidget* scale =
                gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, control.minValue, control.maxValue, 1);
            gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
            const int32_t step = (control.maxValue - control.minValue) / 4;  // tick frequency: four gaps
            for (int32_t tick = control.minValue; step > 0 && tick <= control.maxValue; tick += step) {
                gtk_scale_add_mark(GTK_SCALE(scale), tick, GTK_POS_BOTTOM, nullptr);
            }
            gtk_range_set_value(GTK_RANGE(scale), value);
            Connect(scale, "value-changed", G_CALLBACK(OnTrackMoved), view, control);
            return scale;
        }
    }
    return MakeLabel(control, 0.0f);
}

bool TakesFocus(PanelControlKind kind) {
    switch (kind) {
        case PanelControlKind::Label:
        case PanelControlKind::LabelRight:
        case PanelControlKind::StatusLine:
        case PanelControlKind::TrackLabel: return false;
        default: return true;
    }
}

void BuildControls(View& view, GtkWidget* fixed) {
    GtkWidget* previousRadio = nullptr;
    const mora::SettingWord mora::DriverSettings::*radioSetting = nullptr;
    GList* focusChain = nullptr;
    for (std::size_t i = 0; i < view.host->controlCount; ++i) {
        const PanelControl& control = view.host->controls[i];
        const bool joinsGroup = control.kind == PanelControlKind::Radio && control.setting == radioSetting;
        GtkWidget* widget = MakeWidget(view, control, joinsGroup ? previousRadio : nullptr);
        if (control.kind == PanelControlKind::Radio) {
            previousRadio = widget;
            radioSetting = control.setting;
        } else {
            previousRadio = nullptr;
            radioSetting = nullptr;
        }
        // A drop-down list's table height is its open list; closed it takes one row.
        const int32_t height = control.kind == PanelControlKind::DropList ? 24 : control.height;
        gtk_widget_set_size_request(widget, control.width, height);
        gtk_fixed_put(GTK_FIXED(fixed), widget, control.x, control.y);
        view.widgets.push_back(ControlWidget{&control, widget});
        if (TakesFocus(control.kind)) focusChain = g_list_append(focusChain, widget);
    }
    for (const ControlWidget& entry : view.widgets) {
        if (entry.control->kind == PanelControlKind::TrackBar) {
            SetTrackLabel(view, *entry.control, view.host->controlValue(*entry.control));
        }
    }
    // Tab order is the table's order, not GTK's geometric order.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), focusChain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(focusChain);
}

gboolean OnTick(gpointer data) {
    View& view = *static_cast<View*>(data);
    char status[mora::kPanelStatusBytes];
    int32_t vrsRate = 0;
    const bool toggled = view.host->tick(status, sizeof(status), &vrsRate);
    if (GtkWidget* line = WidgetOf(view, 161)) gtk_label_set_text(GTK_LABEL(line), status);
    if (toggled) {
        if (GtkWidget* list = WidgetOf(view, 170)) {
            view.updating = true;  // the toggle is not a choice of the user: not reported, not saved
            gtk_combo_box_set_active(GTK_COMBO_BOX(list), vrsRate);
            view.updating = false;
        }
    }
    return G_SOURCE_CONTINUE;
}

gboolean OnStopPoll(gpointer data) {
    View& view = *static_cast<View*>(data);
    if (view.host->stopRequested->load(std::memory_order_acquire) && view.window != nullptr) {
        gtk_widget_destroy(view.window);
    }
    return G_SOURCE_CONTINUE;
}

void OnWindowDestroyed(GtkWidget*, gpointer data) {
    View& view = *static_cast<View*>(data);
    view.window = nullptr;
    view.host->closed();
    g_main_loop_quit(view.loop);
}

void ApplyCompactStyle() {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kCompactCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int mora_panel_view_run(const PanelViewHost* host) {
    if (host == nullptr || host->abiVersion != mora::kPanelViewAbiVersion || host->stopRequested == nullptr) {
        return kWrongHost;
    }
    // GTK is initialised once per process (this module stays loaded); later runs reuse it.
    static bool initialised = false;
    if (!initialised) {
        // The locale belongs to the application (and the driver's text files print numbers with '.').
        gtk_disable_setlocale();
        if (!gtk_init_check(nullptr, nullptr)) return kNoDisplay;
        ApplyCompactStyle();
        initialised = true;
    }
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) return kContextBusy;

    View view;
    view.host = host;
    view.loop = g_main_loop_new(context, FALSE);
    view.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(view.window), "MORA Debug Panel");
    gtk_window_set_default_size(GTK_WINDOW(view.window), mora::kPanelWidth, mora::kPanelHeight);
    gtk_window_set_focus_on_map(GTK_WINDOW(view.window), FALSE);  // shown without taking the focus
    gtk_window_move(GTK_WINDOW(view.window), host->x, host->y);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(view.window), fixed);
    BuildControls(view, fixed);
    g_signal_connect(view.window, "destroy", G_CALLBACK(OnWindowDestroyed), &view);

    const guint tick = g_timeout_add(mora::kPanelTickMilliseconds, &OnTick, &view);
    const guint stopPoll = g_timeout_add(kStopPollMilliseconds, &OnStopPoll, &view);
    OnTick(&view);
    gtk_widget_show_all(view.window);
    g_main_loop_run(view.loop);

    // The timers point at this run's state: remove them, and let GTK finish the window's teardown
    // before another thread may take the context.
    g_source_remove(tick);
    g_source_remove(stopPoll);
    while (g_main_context_pending(context)) g_main_context_iteration(context, FALSE);
    gdk_display_sync(gdk_display_get_default());  // the window's destruction reaches the server now
    g_main_loop_unref(view.loop);
    g_main_context_release(context);
    return kShown;
}
