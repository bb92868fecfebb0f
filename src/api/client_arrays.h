// The client-side vertex arrays: the pointer, layout and enable of the vertex, colour,
// texture-coordinate and normal arrays (the normals feed lighting),
// the client attribute stack, and the one step every array draw lowers to: an array element
// issued as the colour, texture-coordinate and vertex calls it stands for. The arrays are the
// program's memory, read at the draw call.
#pragma once

#include <cstdint>

namespace mora::api {

struct ClientArray {
    int32_t size = 4;
    uint32_t type = 0x1406;  // GL_FLOAT
    int32_t stride = 0;      // as given; 0 means tightly packed
    const void* pointer = nullptr;
    bool enabled = false;
    uint32_t step = 16;  // bytes from one element to the next, worked out when the pointer is set
};

struct ClientArrays {
    ClientArray vertex;
    ClientArray colour;
    ClientArray texCoord;
    ClientArray normal{3, 0x1406, 0, nullptr, false, 12};
};

inline constexpr int kClientAttribStackDepth = 16;

struct ClientAttribSave {
    uint32_t mask = 0;
    ClientArrays arrays;
};

struct ClientState {
    ClientArrays arrays;
    ClientAttribSave stack[kClientAttribStackDepth];
    int depth = 0;
};

// The process-wide client state (the driver has one context).
ClientState& TheClientState();

// Pointer calls: false, with nothing changed, for a size, type or stride GL rejects.
bool SetVertexPointer(ClientArrays& arrays, int32_t size, uint32_t type, int32_t stride, const void* pointer);
bool SetColourPointer(ClientArrays& arrays, int32_t size, uint32_t type, int32_t stride, const void* pointer);
bool SetTexCoordPointer(ClientArrays& arrays, int32_t size, uint32_t type, int32_t stride, const void* pointer);
bool SetNormalPointer(ClientArrays& arrays, uint32_t type, int32_t stride, const void* pointer);
// glInterleavedArrays: the pointers and enables of one of GL's fourteen formats.
bool SetInterleavedArrays(ClientArrays& arrays, uint32_t format, int32_t stride, const void* pointer);
// glEnable/DisableClientState of a known array; false for an unknown name.
bool SetClientArrayEnabled(ClientArrays& arrays, uint32_t array, bool enabled);

bool PushClientAttrib(ClientState& state, uint32_t mask);
bool PopClientAttrib(ClientState& state);

// Issues element `index` of the enabled arrays: colour, texture coordinate, normal, then vertex.
void IssueArrayElement(const ClientArrays& arrays, uint32_t index);

// True when GL draws with these arrays: the vertex array is enabled and has a pointer.
inline bool CanDrawArrays(const ClientArrays& arrays) {
    return arrays.vertex.enabled && arrays.vertex.pointer != nullptr;
}

}  // namespace mora::api
