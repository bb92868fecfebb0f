// The configuration family and GLX's attribute matching rules for it.
#include "glx/fb_config.h"

#include "glx/glx_tokens.h"

namespace mora::glx {

namespace {

enum class Rule { Minimum, Exact, Mask, Ignore };

struct AttributeRule {
    int attribute;
    Rule rule;
};

// How glXChooseFBConfig compares each attribute it accepts.
constexpr AttributeRule kRules[] = {
    {kBufferSize, Rule::Minimum},
    {kLevel, Rule::Exact},
    {kDoubleBuffer, Rule::Exact},
    {kStereo, Rule::Exact},
    {kAuxBuffers, Rule::Minimum},
    {kRedSize, Rule::Minimum},
    {kGreenSize, Rule::Minimum},
    {kBlueSize, Rule::Minimum},
    {kAlphaSize, Rule::Minimum},
    {kDepthSize, Rule::Minimum},
    {kStencilSize, Rule::Minimum},
    {kAccumRedSize, Rule::Minimum},
    {kAccumGreenSize, Rule::Minimum},
    {kAccumBlueSize, Rule::Minimum},
    {kAccumAlphaSize, Rule::Minimum},
    {kConfigCaveat, Rule::Exact},
    {kXVisualType, Rule::Exact},
    {kTransparentType, Rule::Exact},
    {kTransparentIndexValue, Rule::Ignore},
    {kTransparentRedValue, Rule::Ignore},
    {kTransparentGreenValue, Rule::Ignore},
    {kTransparentBlueValue, Rule::Ignore},
    {kTransparentAlphaValue, Rule::Ignore},
    {kDrawableType, Rule::Mask},
    {kRenderType, Rule::Mask},
    {kXRenderable, Rule::Exact},
    {kFbConfigId, Rule::Exact},
    {kMaxPbufferWidth, Rule::Ignore},
    {kMaxPbufferHeight, Rule::Ignore},
    {kMaxPbufferPixels, Rule::Ignore},
    {kVisualId, Rule::Ignore},
    {kScreen, Rule::Ignore},
    {kSampleBuffers, Rule::Minimum},
    {kSamples, Rule::Minimum},
    {kFramebufferSrgbCapable, Rule::Exact},
};

const AttributeRule* RuleFor(int attribute) {
    for (const AttributeRule& rule : kRules) {
        if (rule.attribute == attribute) return &rule;
    }
    return nullptr;
}

bool Meets(const FbConfig& config, int attribute, int wanted) {
    const AttributeRule* rule = RuleFor(attribute);
    int have = 0;
    if (rule == nullptr || !ConfigAttribute(config, attribute, 0, 0, &have)) return false;
    if (wanted == kDontCare) return true;
    switch (rule->rule) {
        case Rule::Minimum: return have >= wanted;
        case Rule::Exact: return have == wanted;
        case Rule::Mask: return (have & wanted) == wanted;
        case Rule::Ignore: return true;
    }
    return false;
}

}  // namespace

const FbConfig* ConfigFromHandle(const void* handle) {
    for (const FbConfig* config : kAllConfigs) {
        if (handle == config) return config;
    }
    return nullptr;
}

const FbConfig* ConfigFromId(int32_t id) {
    for (const FbConfig* config : kAllConfigs) {
        if (config->id == id) return config;
    }
    return nullptr;
}

bool ConfigAttribute(const FbConfig& config, int attribute, uint64_t visualId, int32_t screen, int* value) {
    int v = 0;
    switch (attribute) {
        case kUseGl:
        case kRgba:
        case kXRenderable: v = 1; break;
        case kBufferSize: v = 32; break;
        case kRedSize:
        case kGreenSize:
        case kBlueSize:
        case kAlphaSize: v = 8; break;
        case kDepthSize: v = 24; break;
        case kStencilSize: v = 8; break;
        case kDoubleBuffer: v = config.doubleBuffered ? 1 : 0; break;
        case kLevel:
        case kStereo:
        case kAuxBuffers:
        case kAccumRedSize:
        case kAccumGreenSize:
        case kAccumBlueSize:
        case kAccumAlphaSize:
        case kSampleBuffers:
        case kSamples:
        case kTransparentIndexValue:
        case kTransparentRedValue:
        case kTransparentGreenValue:
        case kTransparentBlueValue:
        case kTransparentAlphaValue:
        case kMaxPbufferWidth:
        case kMaxPbufferHeight:
        case kMaxPbufferPixels:
        case kFramebufferSrgbCapable: v = 0; break;
        case kConfigCaveat:
        case kTransparentType: v = kNone; break;
        case kXVisualType: v = kTrueColor; break;
        case kDrawableType: v = kWindowBit; break;
        case kRenderType: v = kRgbaBit; break;
        case kFbConfigId: v = config.id; break;
        case kVisualId: v = static_cast<int>(visualId); break;
        case kScreen: v = screen; break;
        default: return false;
    }
    *value = v;
    return true;
}

bool ChooseConfigs(const int* attributes, std::vector<const FbConfig*>& matches) {
    matches.clear();
    // Sorted as GLX sorts: single-buffered first, the rest of the family being equal.
    bool fits[2] = {true, true};
    const FbConfig* order[2] = {&kSingleBufferedConfig, &kDoubleBufferedConfig};
    for (const int* a = attributes; a != nullptr && a[0] != 0; a += 2) {
        if (RuleFor(a[0]) == nullptr) return false;
        for (int i = 0; i < 2; ++i) fits[i] = fits[i] && Meets(*order[i], a[0], a[1]);
    }
    for (int i = 0; i < 2; ++i) {
        if (fits[i]) matches.push_back(order[i]);
    }
    return true;
}

const FbConfig* ChooseVisualConfig(const int* attributes) {
    bool rgba = false;
    bool doubleBuffered = false;
    const int* a = attributes;
    for (; a != nullptr && a[0] != 0; ++a) {
        switch (a[0]) {
            case kUseGl: continue;
            case kRgba: rgba = true; continue;
            case kDoubleBuffer: doubleBuffered = true; continue;
            case kStereo: return nullptr;
            default: break;
        }
        // Every other attribute carries a value; GLX_DONT_CARE is not allowed here.
        if (a[1] == kDontCare || !Meets(kDoubleBufferedConfig, a[0], a[1])) return nullptr;
        ++a;
    }
    if (!rgba) return nullptr;  // colour-index visuals are not offered
    return doubleBuffered ? &kDoubleBufferedConfig : &kSingleBufferedConfig;
}

}  // namespace mora::glx
