#include "api/client_arrays.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "api/fixed_function.h"
#include "api/gl_conversions.h"
#include "api/lowered_paths.h"

namespace mora::api {

namespace {

constexpr uint32_t kByte = 0x1400;
constexpr uint32_t kUnsignedByte = 0x1401;
constexpr uint32_t kShort = 0x1402;
constexpr uint32_t kUnsignedShort = 0x1403;
constexpr uint32_t kInt = 0x1404;
constexpr uint32_t kUnsignedInt = 0x1405;
constexpr uint32_t kFloat = 0x1406;
constexpr uint32_t kDouble = 0x140A;

constexpr uint32_t kVertexArray = 0x8074;
constexpr uint32_t kNormalArray = 0x8075;
constexpr uint32_t kColorArray = 0x8076;
constexpr uint32_t kIndexArray = 0x8077;
constexpr uint32_t kTextureCoordArray = 0x8078;
constexpr uint32_t kEdgeFlagArray = 0x8079;

constexpr uint32_t kClientVertexArrayBit = 0x2;

constexpr ClientState MakeDefaultClientState() { return ClientState{}; }
constinit ClientState gClientState = MakeDefaultClientState();

uint32_t TypeBytes(uint32_t type) {
    switch (type) {
        case kByte:
        case kUnsignedByte: return 1;
        case kShort:
        case kUnsignedShort: return 2;
        case kInt:
        case kUnsignedInt:
        case kFloat: return 4;
        case kDouble: return 8;
        default: return 0;
    }
}

bool IsCoordinateType(uint32_t type) { return type == kShort || type == kInt || type == kFloat || type == kDouble; }

// Stores a validated layout; the step is the stride, or the packed size when the stride is 0.
void Store(ClientArray& array, int32_t size, uint32_t type, int32_t stride, const void* pointer) {
    array.size = size;
    array.type = type;
    array.stride = stride;
    array.pointer = pointer;
    array.step = stride != 0 ? static_cast<uint32_t>(stride) : static_cast<uint32_t>(size) * TypeBytes(type);
}

const uint8_t* ElementAt(const ClientArray& array, uint32_t index) {
    return static_cast<const uint8_t*>(array.pointer) + static_cast<uint64_t>(array.step) * index;
}

// Copies of a constant size, so that they compile to plain loads instead of a memcpy call.
template <class T>
void ReadComponents(const uint8_t* at, int32_t count, T (&out)[4]) {
    switch (count) {
        case 1: std::memcpy(out, at, sizeof(T)); break;
        case 2: std::memcpy(out, at, 2 * sizeof(T)); break;
        case 3: std::memcpy(out, at, 3 * sizeof(T)); break;
        default: std::memcpy(out, at, 4 * sizeof(T)); break;
    }
}

// Calls f(T{}) with the component type named by `type`.
template <class F>
void WithComponentType(uint32_t type, F&& f) {
    switch (type) {
        case kByte: f(int8_t{}); break;
        case kUnsignedByte: f(uint8_t{}); break;
        case kShort: f(int16_t{}); break;
        case kUnsignedShort: f(uint16_t{}); break;
        case kInt: f(int32_t{}); break;
        case kUnsignedInt: f(uint32_t{}); break;
        case kFloat: f(float{}); break;
        case kDouble: f(double{}); break;
        default: break;
    }
}

void IssueColourElement(bool recording, const ClientArray& array, uint32_t index) {
    const uint8_t* at = ElementAt(array, index);
    WithComponentType(array.type, [&](auto zero) {
        using T = decltype(zero);
        T c[4] = {};
        ReadComponents(at, array.size, c);
        HotColour(recording, array.size == 3 ? PackedColour(c[0], c[1], c[2]) : PackedColour(c[0], c[1], c[2], c[3]));
    });
}

void IssueTexCoordElement(bool recording, const ClientArray& array, uint32_t index) {
    const uint8_t* at = ElementAt(array, index);
    WithComponentType(array.type, [&](auto zero) {
        using T = decltype(zero);
        T c[4] = {};
        ReadComponents(at, array.size, c);
        float s = Coordinate(c[0]);
        float t = array.size >= 2 ? Coordinate(c[1]) : 0.0f;
        if (array.size == 4) {
            float unused = 0.0f;
            DivideByW(s, t, unused, Coordinate(c[3]));
        }
        HotTexCoord(recording, s, t);
    });
}

// The element's normal becomes the current normal (or a normal of the list being compiled).
void IssueNormalElement(const ClientArray& array, uint32_t index) {
    const uint8_t* at = ElementAt(array, index);
    WithComponentType(array.type, [&](auto zero) {
        using T = decltype(zero);
        T c[4] = {};
        ReadComponents(at, 3, c);
        FixedFunctionCall call{FixedFunctionCallKind::Normal, 0, 0, {}};
        for (int i = 0; i < 3; ++i) {
            call.values[i] = std::is_integral_v<T> ? ColourComponent(c[i]) : Coordinate(c[i]);
        }
        IssueFixedFunctionCall(call);
    });
}

void IssueVertexElement(bool recording, const ClientArray& array, uint32_t index) {
    const uint8_t* at = ElementAt(array, index);
    WithComponentType(array.type, [&](auto zero) {
        using T = decltype(zero);
        T c[4] = {};
        ReadComponents(at, array.size, c);
        if (array.size == 2) {
            HotVertex2(recording, Coordinate(c[0]), Coordinate(c[1]));
            return;
        }
        float x = Coordinate(c[0]);
        float y = Coordinate(c[1]);
        float z = Coordinate(c[2]);
        if (array.size == 4) {
            DivideByW(x, y, z, Coordinate(c[3]));
        }
        HotVertex3(recording, x, y, z);
    });
}

}  // namespace

ClientState& TheClientState() { return gClientState; }

bool SetVertexPointer(ClientArrays& arrays, int32_t size, uint32_t type, int32_t stride, const void* pointer) {
    if (size < 2 || size > 4 || !IsCoordinateType(type) || stride < 0) {
        return false;
    }
    Store(arrays.vertex, size, type, stride, pointer);
    return true;
}

bool SetColourPointer(ClientArrays& arrays, int32_t size, uint32_t type, int32_t stride, const void* pointer) {
    if (size < 3 || size > 4 || TypeBytes(type) == 0 || stride < 0) {
        return false;
    }
    Store(arrays.colour, size, type, stride, pointer);
    return true;
}

bool SetTexCoordPointer(ClientArrays& arrays, int32_t size, uint32_t type, int32_t stride, const void* pointer) {
    if (size < 1 || size > 4 || !IsCoordinateType(type) || stride < 0) {
        return false;
    }
    Store(arrays.texCoord, size, type, stride, pointer);
    return true;
}

bool SetNormalPointer(ClientArrays& arrays, uint32_t type, int32_t stride, const void* pointer) {
    if (!(type == kByte || IsCoordinateType(type)) || stride < 0) {
        return false;
    }
    Store(arrays.normal, 3, type, stride, pointer);
    return true;
}

bool SetInterleavedArrays(ClientArrays& arrays, uint32_t format, int32_t stride, const void* pointer) {
    // Texture-coordinate size, colour size and type, normals, vertex size of each format.
    struct Layout {
        uint32_t format;
        int32_t texCoordSize;
        int32_t colourSize;
        uint32_t colourType;
        bool normal;
        int32_t vertexSize;
    };
    static constexpr Layout kLayouts[] = {
        {0x2A20, 0, 0, 0, false, 2},              // GL_V2F
        {0x2A21, 0, 0, 0, false, 3},              // GL_V3F
        {0x2A22, 0, 4, kUnsignedByte, false, 2},  // GL_C4UB_V2F
        {0x2A23, 0, 4, kUnsignedByte, false, 3},  // GL_C4UB_V3F
        {0x2A24, 0, 3, kFloat, false, 3},         // GL_C3F_V3F
        {0x2A25, 0, 0, 0, true, 3},               // GL_N3F_V3F
        {0x2A26, 0, 4, kFloat, true, 3},          // GL_C4F_N3F_V3F
        {0x2A27, 2, 0, 0, false, 3},              // GL_T2F_V3F
        {0x2A28, 4, 0, 0, false, 4},              // GL_T4F_V4F
        {0x2A29, 2, 4, kUnsignedByte, false, 3},  // GL_T2F_C4UB_V3F
        {0x2A2A, 2, 3, kFloat, false, 3},         // GL_T2F_C3F_V3F
        {0x2A2B, 2, 0, 0, true, 3},               // GL_T2F_N3F_V3F
        {0x2A2C, 2, 4, kFloat, true, 3},          // GL_T2F_C4F_N3F_V3F
        {0x2A2D, 4, 4, kFloat, true, 4},          // GL_T4F_C4F_N3F_V4F
    };
    if (stride < 0) {
        return false;
    }
    for (const Layout& layout : kLayouts) {
        if (layout.format != format) {
            continue;
        }
        const uint32_t colourOffset = 4u * static_cast<uint32_t>(layout.texCoordSize);
        const uint32_t colourBytes =
            layout.colourType == kUnsignedByte ? 4u : 4u * static_cast<uint32_t>(layout.colourSize);
        const uint32_t normalOffset = colourOffset + colourBytes;
        const uint32_t vertexOffset = normalOffset + (layout.normal ? 12u : 0u);
        const uint32_t packed = vertexOffset + 4u * static_cast<uint32_t>(layout.vertexSize);
        const int32_t step = stride != 0 ? stride : static_cast<int32_t>(packed);
        const uint8_t* base = static_cast<const uint8_t*>(pointer);
        // Offsets from a null pointer stay unread until a draw, as the pointer calls allow.
        auto offset = [&](uint32_t bytes) -> const void* {
            return base == nullptr ? nullptr : static_cast<const void*>(base + bytes);
        };
        arrays.texCoord.enabled = layout.texCoordSize != 0;
        if (arrays.texCoord.enabled) {
            Store(arrays.texCoord, layout.texCoordSize, kFloat, step, offset(0));
        }
        arrays.colour.enabled = layout.colourSize != 0;
        if (arrays.colour.enabled) {
            Store(arrays.colour, layout.colourSize, layout.colourType, step, offset(colourOffset));
        }
        arrays.normal.enabled = layout.normal;
        if (layout.normal) {
            Store(arrays.normal, 3, kFloat, step, offset(normalOffset));
        }
        arrays.vertex.enabled = true;
        Store(arrays.vertex, layout.vertexSize, kFloat, step, offset(vertexOffset));
        return true;
    }
    return false;
}

bool SetClientArrayEnabled(ClientArrays& arrays, uint32_t array, bool enabled) {
    switch (array) {
        case kVertexArray: arrays.vertex.enabled = enabled; return true;
        case kNormalArray: arrays.normal.enabled = enabled; return true;
        case kColorArray: arrays.colour.enabled = enabled; return true;
        case kTextureCoordArray: arrays.texCoord.enabled = enabled; return true;
        case kIndexArray:
        case kEdgeFlagArray: return true;  // colour-index and edge-flag arrays are never drawn
        default: return false;
    }
}

bool PushClientAttrib(ClientState& state, uint32_t mask) {
    if (state.depth >= kClientAttribStackDepth) {
        return false;
    }
    state.stack[state.depth] = ClientAttribSave{mask, state.arrays};
    ++state.depth;
    return true;
}

bool PopClientAttrib(ClientState& state) {
    if (state.depth <= 0) {
        return false;
    }
    --state.depth;
    const ClientAttribSave& saved = state.stack[state.depth];
    if ((saved.mask & kClientVertexArrayBit) != 0) {
        state.arrays = saved.arrays;
    }
    return true;
}

void IssueArrayElement(const ClientArrays& arrays, uint32_t index) {
    // One room test for the element's (at most three) records.
    const bool recording = RecordingWithRoom(kColourBytes + kTexCoordBytes + kVertex3Bytes);
    if (arrays.colour.enabled && arrays.colour.pointer != nullptr) {
        IssueColourElement(recording, arrays.colour, index);
    }
    if (arrays.texCoord.enabled && arrays.texCoord.pointer != nullptr) {
        IssueTexCoordElement(recording, arrays.texCoord, index);
    }
    if (arrays.normal.enabled && arrays.normal.pointer != nullptr) {
        IssueNormalElement(arrays.normal, index);
    }
    if (CanDrawArrays(arrays)) {
        IssueVertexElement(recording, arrays.vertex, index);
    }
}

}  // namespace mora::api
