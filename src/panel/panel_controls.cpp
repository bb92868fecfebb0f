// The control table, expanded from panel_controls.inc; setting ranges come from the settings'
// field table so that the two never disagree.
#include "panel/panel_controls.h"

#include <array>

namespace mora {
namespace {

#define MORA_PANEL_ITEMS(Name, ...) constexpr const char* k##Name[] = {__VA_ARGS__};
#include "panel/panel_controls.inc"

constexpr std::size_t kControlCount = 0
#define MORA_PANEL_CONTROL(Id, Kind, Text, Items, X, Y, W, H, Setting, Value) +1
#include "panel/panel_controls.inc"
    ;

// The .inc names items bare; NoItems stands for none.
struct ItemList {
    const char* const* items;
    uint32_t count;
};
template <std::size_t N>
constexpr ItemList Items(const char* const (&items)[N]) {
    return {items, static_cast<uint32_t>(N)};
}

// A control row; `settingName` is the settings field's stored name, "None" for no setting. The
// field table supplies the member and its range.
PanelControl MakeControl(int32_t id, PanelControlKind kind, const char* text, ItemList items, int32_t x, int32_t y,
                         int32_t w, int32_t h, const char* settingName, int32_t value) {
    PanelControl control;
    control.id = id;
    control.kind = kind;
    control.text = text;
    control.items = items.items;
    control.itemCount = items.count;
    control.x = x;
    control.y = y;
    control.width = w;
    control.height = h;
    control.value = value;
    if (const SettingField* field = FindSettingField(settingName)) {
        control.setting = field->member;
        control.minValue = field->minValue;
        control.maxValue = field->maxValue;
    }
    return control;
}

std::array<PanelControl, kControlCount> BuildControls() {
    constexpr ItemList NoItems{nullptr, 0};
    constexpr ItemList CutoffItems = Items(kCutoffItems);
    constexpr ItemList DepthFuncItems = Items(kDepthFuncItems);
    constexpr ItemList VrsItems = Items(kVrsItems);
    constexpr ItemList IsaItems = Items(kIsaItems);
    return {{
#define MORA_PANEL_CONTROL(Id, Kind, Text, Items, X, Y, W, H, Setting, Value) \
    MakeControl(Id, PanelControlKind::Kind, Text, Items, X, Y, W, H, #Setting, Value),
#include "panel/panel_controls.inc"
    }};
}

}  // namespace

std::span<const PanelControl> PanelControls() {
    static const std::array<PanelControl, kControlCount> controls = BuildControls();
    return controls;
}

const PanelControl* FindPanelControl(int32_t id) {
    if (id == kPanelNoId) return nullptr;
    for (const PanelControl& control : PanelControls()) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

const PanelControl* TrackLabelOf(const PanelControl& trackBar) {
    if (trackBar.kind != PanelControlKind::TrackBar) return nullptr;
    const PanelControl* label = FindPanelControl(trackBar.id + 1);
    return label != nullptr && label->kind == PanelControlKind::TrackLabel ? label : nullptr;
}

bool PanelControlShowsSetting(const PanelControl& control) {
    return control.setting != nullptr && control.kind != PanelControlKind::TrackLabel;
}

}  // namespace mora
