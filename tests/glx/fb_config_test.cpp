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
    std::vector<int> attributes;  // with the terminating None
    bool accepted;
    std::vector<int> ids;  // matching configs, best first
};

TEST(FbConfig, ChooseFbConfigMatchesAndSortsAsGlxSays) {
    const ChooseCase cases[] = {
        {"empty list: both, single-buffered first", {0}, true, {kSingle, kDouble}},
        {"double-buffered window", {kDoubleBuffer, 1, kDrawableType, kWindowBit, 0}, true, {kDouble}},
        {"too deep a depth buffer", {kDepthSize, 32, 0}, true, {}},
        {"multisampling", {kSampleBuffers, 1, kSamples, 4, 0}, true, {}},
        {"don't care", {kDoubleBuffer, kDontCare, kXVisualType, kTrueColor, 0}, true, {kSingle, kDouble}},
        {"config id", {kFbConfigId, kDouble, 0}, true, {kDouble}},
        {"unknown attribute", {0x7777, 1, 0}, false, {}},
    };
    for (const ChooseCase& c : cases) {
        std::vector<const FbConfig*> matches;
        EXPECT_EQ(ChooseConfigs(c.attributes.data(), matches), c.accepted) << c.name;
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
        {{kRgba, kDoubleBuffer, kDepthSize, 16, 0}, kDouble},
        {{kRgba, kRedSize, 1, kGreenSize, 1, kBlueSize, 1, 0}, kSingle},
        {{kDoubleBuffer, kDepthSize, 16, 0}, 0},  // colour index asked for
        {{kRgba, kStereo, 0}, 0},
        {{kUseGl, kRgba, kLevel, 0, kDoubleBuffer, 0}, kDouble},
    };
    for (const auto& c : cases) {
        const FbConfig* config = ChooseVisualConfig(c.attributes.data());
        EXPECT_EQ(config != nullptr ? config->id : 0, c.id) << "list of " << c.attributes.size() - 1;
    }
}

TEST(ContextAttributes, OnlyOpenGl10And11AreMade) {
    using V = AttributeVerdict;
    const struct {
        std::vector<int> attributes;
        V verdict;
    } cases[] = {
        {{0}, V::Accept},
        {{kContextMajorVersion, 1, kContextMinorVersion, 1, kContextProfileMask, kContextCompatibilityProfileBit, 0},
         V::Accept},
        {{kContextFlags, kContextDebugBit, kRenderType, kRgbaType, 0}, V::Accept},
        {{kContextMajorVersion, 1, kContextMinorVersion, 2, 0}, V::Unsupported},
        {{kContextMajorVersion, 1, kContextMinorVersion, 6, 0}, V::Mismatch},
        {{kContextFlags, kContextForwardCompatibleBit, 0}, V::Mismatch},
        {{kRenderType, 0x8015, 0}, V::Mismatch},
        {{kRenderType, 0x1234, 0}, V::Undefined},
        {{0x7777, 1, 0}, V::Undefined},
        {{kContextProfileMask, 3, 0}, V::UnknownProfile},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckContextAttributes(c.attributes.data()), c.verdict) << "list of " << c.attributes.size() - 1;
    }
    EXPECT_EQ(CheckContextAttributes(nullptr), V::Accept);
}

}  // namespace
}  // namespace mora::glx
