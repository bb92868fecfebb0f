// Attribute matching of the configuration family and the verdicts on context attribute lists.
#include <gtest/gtest.h>

#include <vector>

#include "glx/context_attributes.h"
#include "glx/fb_config.h"
#include "glx/glx_tokens.h"

namespace mora::glx {
namespace {

constexpr int kSingle = 2;
constexpr int kDouble = 1;

struct ChooseCase {
    const char* name;
    std::vector<int> attributes;  // without the terminating None
    bool accepted;
    std::vector<int> ids;  // matching configs, best first
};

TEST(FbConfig, ChooseFbConfigMatchesAndSortsAsGlxSays) {
    const ChooseCase cases[] = {
        {"empty list: both, single-buffered first", {}, true, {kSingle, kDouble}},
        {"double-buffered window", {kDoubleBuffer, 1, kDrawableType, kWindowBit}, true, {kDouble}},
        {"minimum sizes met", {kRedSize, 8, kDepthSize, 24, kStencilSize, 1}, true, {kSingle, kDouble}},
        {"too deep a depth buffer", {kDepthSize, 32}, true, {}},
        {"multisampling", {kSampleBuffers, 1, kSamples, 4}, true, {}},
        {"don't care", {kDoubleBuffer, kDontCare, kXVisualType, kTrueColor}, true, {kSingle, kDouble}},
        {"config id", {kFbConfigId, kDouble}, true, {kDouble}},
        {"unknown attribute", {0x7777, 1}, false, {}},
    };
    for (const ChooseCase& c : cases) {
        std::vector<int> list = c.attributes;
        list.push_back(0);
        std::vector<const FbConfig*> matches;
        EXPECT_EQ(ChooseConfigs(list.data(), matches), c.accepted) << c.name;
        std::vector<int> ids;
        for (const FbConfig* config : matches) ids.push_back(config->id);
        EXPECT_EQ(ids, c.ids) << c.name;
    }
}

TEST(FbConfig, ChooseVisualNeedsRgbaAndTakesBooleansWithoutValues) {
    const struct {
        std::vector<int> attributes;
        int id;  // 0: no visual
    } cases[] = {
        {{kRgba, kDoubleBuffer, kDepthSize, 16}, kDouble},
        {{kRgba, kRedSize, 1, kGreenSize, 1, kBlueSize, 1}, kSingle},
        {{kDoubleBuffer, kDepthSize, 16}, 0},  // colour index asked for
        {{kRgba, kStereo}, 0},
        {{kUseGl, kRgba, kLevel, 0, kDoubleBuffer}, kDouble},
    };
    for (const auto& c : cases) {
        std::vector<int> list = c.attributes;
        list.push_back(0);
        const FbConfig* config = ChooseVisualConfig(list.data());
        EXPECT_EQ(config != nullptr ? config->id : 0, c.id) << "list of " << c.attributes.size();
    }
}

TEST(ContextAttributes, OnlyOpenGl10And11AreMade) {
    using V = AttributeVerdict;
    const struct {
        std::vector<int> attributes;
        V verdict;
    } cases[] = {
        {{}, V::Accept},
        {{kContextMajorVersion, 1, kContextMinorVersion, 1}, V::Accept},
        {{kContextMajorVersion, 1, kContextMinorVersion, 1, kContextProfileMask, kContextCompatibilityProfileBit},
         V::Accept},
        {{kContextFlags, kContextDebugBit, kRenderType, kRgbaType}, V::Accept},
        {{kContextMajorVersion, 1, kContextMinorVersion, 2}, V::Unsupported},
        {{kContextMajorVersion, 1, kContextMinorVersion, 6}, V::Mismatch},
        {{kContextFlags, kContextForwardCompatibleBit}, V::Mismatch},
        {{kRenderType, 0x8015}, V::Mismatch},
        {{kRenderType, 0x1234}, V::Undefined},
        {{kContextFlags, 0x80}, V::Undefined},
        {{0x7777, 1}, V::Undefined},
        {{kContextProfileMask, 0}, V::UnknownProfile},
        {{kContextProfileMask, 3}, V::UnknownProfile},
    };
    for (const auto& c : cases) {
        std::vector<int> list = c.attributes;
        list.push_back(0);
        EXPECT_EQ(CheckContextAttributes(list.data()), c.verdict) << "list of " << c.attributes.size();
    }
    EXPECT_EQ(CheckContextAttributes(nullptr), V::Accept);
}

}  // namespace
}  // namespace mora::glx
