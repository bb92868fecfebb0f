#include "api/display_lists.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>
#include <utility>

#include "api/lowered_paths.h"
#include "entry/entry_frame.h"
#include "entry/gl_subset.h"
#include "gl/command_executor.h"
#include "gl/command_records.h"
#include "gl/float_conversion.h"
#include "gl/gl_hooks.h"
#include "gl/gl_state.h"
#include "gl/immediate_mode.h"
#include "gl/matrix_stack.h"
#include "gl/texture_objects.h"

namespace mora::api {

namespace detail {
constinit bool gListCompiling = false;
}

namespace {

constexpr uint32_t kCompile = 0x1300;
constexpr uint32_t kCompileAndExecute = 0x1301;

// Records that exist only inside a list: a call of another list (by name, resolved when played,
// offset by the list base when it came from glCallLists) and a change of the list base. They
// never reach a frame's stream.
constexpr uint32_t kOpCallList = 0x0100;
constexpr uint32_t kOpListBase = 0x0101;
// A call of the fixed-function vertex state (fixed_function.h), applied when played.
constexpr uint32_t kOpFixedFunction = 0x0102;
struct ListCallRecord {
    uint32_t header;
    uint32_t name;
    uint32_t addBase;
};
struct ListBaseRecord {
    uint32_t header;
    uint32_t base;
};
constexpr uint32_t kListCallHeader = static_cast<uint32_t>(sizeof(ListCallRecord)) << 16 | kOpCallList;
constexpr uint32_t kListBaseHeader = static_cast<uint32_t>(sizeof(ListBaseRecord)) << 16 | kOpListBase;
struct FixedFunctionRecord {
    uint32_t header;
    FixedFunctionCall call;
};
constexpr uint32_t kFixedFunctionHeader = static_cast<uint32_t>(sizeof(FixedFunctionRecord)) << 16 | kOpFixedFunction;

struct ListStore {
    std::unordered_map<uint32_t, CommandRecording> lists;
    uint32_t highestName = 0;  // every name above is free
    uint32_t base = 0;
    bool open = false;
    uint32_t openName = 0;
    uint32_t openMode = 0;
    CommandRecording scratch;  // holds the frame's buffers while a list is open
    GlContext scratchContext;  // holds the program's context while a list is open
    GlHooks savedHooks;
};

ListStore& Lists() {
    static ListStore* const store = new ListStore;  // never destroyed: GL at exit
    return *store;
}

template <class Record>
Record Read(const uint8_t* at) {
    Record r;
    std::memcpy(&r, at, sizeof(Record));
    return r;
}

template <class Record>
void AppendToOpenList(const Record& record) {
    uint8_t* at = ExtendCommandBuffer(mora::TheCommandRecording().stream, sizeof(Record));
    if (at != nullptr) {
        std::memcpy(at, &record, sizeof(Record));
    }
}

// Swaps the frame's buffers, the context and the window hooks with the scratch ones: called at
// glNewList and again at glEndList.
void SwapCompileTargets(ListStore& store) {
    CommandRecording& active = TheCommandRecording();
    SwapCommandBuffers(active.stream, store.scratch.stream);
    SwapCommandBuffers(active.blob, store.scratch.blob);
    std::swap(TheGlContext(), store.scratchContext);
    std::swap(TheGlHooks(), store.savedHooks);
}

// The record's bulk data, when its reference lies inside the list's blob.
const uint8_t* BlobBytes(const CommandBlob& blob, uint64_t offset, uint64_t length) {
    const uint64_t size = CommandBufferSize(blob);
    if (length == 0 || length > size || offset > size - length) return nullptr;
    return blob.begin + offset;
}

// Appends a list record to the frame, its bulk data copied into the frame's blob. A record
// that does not fit is left out whole.
template <class Record>
void CopyBlobRecordToFrame(const uint8_t* at, const CommandBlob& listBlob) {
    Record record = Read<Record>(at);
    CommandRecording& frame = TheCommandRecording();
    const uint8_t* bytes = BlobBytes(listBlob, record.blobOffset, record.byteLength);
    if (bytes != nullptr) {
        uint8_t* copy = ExtendCommandBuffer(frame.blob, record.byteLength);
        if (copy == nullptr) return;
        std::memcpy(copy, bytes, record.byteLength);
        record.blobOffset = static_cast<uint64_t>(copy - frame.blob.begin);
    }
    uint8_t* out = ExtendCommandBuffer(frame.stream, sizeof(Record));
    if (out == nullptr) {
        if (bytes != nullptr) ShrinkCommandBuffer(frame.blob, record.byteLength);
        return;
    }
    std::memcpy(out, &record, sizeof(Record));
}

void CopyRecordToFrame(uint32_t op, const uint8_t* at, uint32_t size, const CommandBlob& listBlob) {
    switch (static_cast<CmdOp>(op)) {
        case CmdOp::DeleteTextures: CopyBlobRecordToFrame<CmdDeleteTextures>(at, listBlob); return;
        case CmdOp::TexImage2D: CopyBlobRecordToFrame<CmdTexImage2D>(at, listBlob); return;
        case CmdOp::TexSubImage2D: CopyBlobRecordToFrame<CmdTexSubImage2D>(at, listBlob); return;
        default: break;
    }
    uint8_t* out = ExtendCommandBuffer(TheCommandRecording().stream, size);
    if (out != nullptr) {
        std::memcpy(out, at, size);
    }
}

// What the entry that appended the record does to the context.
void ApplyListRecord(GlContext& ctx, uint32_t op, const uint8_t* at, const CommandBlob& blob, PendingKeyframe* touch) {
    if (ApplyStateRecord(ctx, op, at, blob, touch)) return;
    switch (static_cast<CmdOp>(op)) {
        case CmdOp::TexImage2D: {
            const CmdTexImage2D r = Read<CmdTexImage2D>(at);
            const uint8_t* pixels = BlobBytes(blob, r.blobOffset, r.byteLength);
            TexImage2DBounded(ctx, r.target, r.level, r.width, r.height, r.format, r.type, pixels,
                              pixels != nullptr ? r.byteLength : 0, touch);
            break;
        }
        case CmdOp::TexSubImage2D: {
            const CmdTexSubImage2D r = Read<CmdTexSubImage2D>(at);
            const uint8_t* pixels = BlobBytes(blob, r.blobOffset, r.byteLength);
            TexSubImage2DBounded(ctx, r.target, r.level, r.xoffset, r.yoffset, r.width, r.height, r.format, r.type,
                                 pixels, pixels != nullptr ? r.byteLength : 0, touch);
            break;
        }
        case CmdOp::Color: ApplyColor(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::TexCoord2f: {
            const CmdFloat2 r = Read<CmdFloat2>(at);
            ApplyTexCoord(ctx, r.a, r.b);
            break;
        }
        case CmdOp::Begin: BeginPrimitive(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::Vertex2f: {
            const CmdFloat2 r = Read<CmdFloat2>(at);
            AppendPrimitiveVertex(ctx, r.a, r.b, 0.0f);
            break;
        }
        case CmdOp::Vertex3f: {
            const CmdXyz r = Read<CmdXyz>(at);
            AppendPrimitiveVertex(ctx, r.x, r.y, r.z);
            break;
        }
        case CmdOp::End: EndPrimitive(ctx); break;
        // Recorded only: colour mask, pixel store, shade model, polygon mode and offset, active
        // texture.
        default: break;
    }
}

// The records whose playing lighting or texture generation changes: a vertex is shaded as the
// vertex calls shade it (true: played here), a glEnd records the current colour again after the
// primitive, and an enable of a fixed-function capability reaches the front-end state.
bool PlayShadingRecord(uint32_t op, const uint8_t* at) {
    switch (static_cast<CmdOp>(op)) {
        case CmdOp::Vertex2f: {
            const CmdFloat2 r = Read<CmdFloat2>(at);
            IssueShadedVertex(RecordingWithRoom(kVertex2Bytes), r.a, r.b, 0.0f, true);
            return true;
        }
        case CmdOp::Vertex3f: {
            const CmdXyz r = Read<CmdXyz>(at);
            IssueShadedVertex(RecordingWithRoom(kVertex3Bytes), r.x, r.y, r.z, false);
            return true;
        }
        case CmdOp::End: IssueEnd(); return true;
        case CmdOp::Enable:
        case CmdOp::Disable:
            if (LoweringOn()) {
                ApplyFixedFunctionCap(TheFixedFunctionState(), mora::TheGlContext(), Read<CmdU32>(at).value,
                                      op == static_cast<uint32_t>(CmdOp::Enable));
            }
            return false;
        default: return false;
    }
}

void PlayList(ListStore& store, uint32_t name, int depth) {
    if (depth >= kMaxListNesting) {
        return;
    }
    const auto found = store.lists.find(name);
    if (found == store.lists.end()) {
        return;
    }
    const CommandRecording& list = found->second;
    const uint8_t* at = list.stream.begin;
    const uint8_t* const end = list.stream.end;
    while (end - at >= 4) {
        const uint32_t header = Read<uint32_t>(at);
        const uint32_t size = CmdHeaderSize(header);
        const uint32_t op = CmdHeaderOp(header);
        if (size < 4 || size > static_cast<uint64_t>(end - at)) {
            break;
        }
        if (op == kOpCallList && size == sizeof(ListCallRecord)) {
            const ListCallRecord call = Read<ListCallRecord>(at);
            PlayList(store, call.addBase != 0 ? store.base + call.name : call.name, depth + 1);
        } else if (op == kOpListBase && size == sizeof(ListBaseRecord)) {
            store.base = Read<ListBaseRecord>(at).base;
        } else if (op == kOpFixedFunction && size == sizeof(FixedFunctionRecord)) {
            ApplyFixedFunctionCall(TheFixedFunctionState(), mora::TheGlContext(), Read<FixedFunctionRecord>(at).call);
        } else if (op < static_cast<uint32_t>(CmdOp::FrameEnd) && size == kCmdSize[op]) {
            if (VertexShadingOn() || op == static_cast<uint32_t>(CmdOp::Enable) ||
                op == static_cast<uint32_t>(CmdOp::Disable)) [[unlikely]] {
                if (PlayShadingRecord(op, at)) {
                    at += size;
                    continue;
                }
            }
            const bool recording = RecordingOn();
            if (recording) {
                CopyRecordToFrame(op, at, size, list.blob);
            }
            ApplyListRecord(mora::TheGlContext(), op, at, list.blob, TextureTouch(recording));
        }
        at += size;
    }
}

// Name `index` of a glCallLists array of `type`; false for an unknown type.
bool ListNameAt(uint32_t type, const void* lists, uint32_t index, uint32_t& name) {
    const auto* bytes = static_cast<const uint8_t*>(lists);
    auto read = [&](auto zero) {
        decltype(zero) value;
        std::memcpy(&value, bytes + static_cast<uint64_t>(index) * sizeof(value), sizeof(value));
        return value;
    };
    switch (type) {
        case 0x1400: name = static_cast<uint32_t>(read(int8_t{})); return true;                  // GL_BYTE
        case 0x1401: name = read(uint8_t{}); return true;                                        // GL_UNSIGNED_BYTE
        case 0x1402: name = static_cast<uint32_t>(read(int16_t{})); return true;                 // GL_SHORT
        case 0x1403: name = read(uint16_t{}); return true;                                       // GL_UNSIGNED_SHORT
        case 0x1404: name = static_cast<uint32_t>(read(int32_t{})); return true;                 // GL_INT
        case 0x1405: name = read(uint32_t{}); return true;                                       // GL_UNSIGNED_INT
        case 0x1406: name = static_cast<uint32_t>(TruncateToInt32(read(float{}))); return true;  // GL_FLOAT
        case 0x1407:  // GL_2_BYTES, GL_3_BYTES, GL_4_BYTES: big-endian byte groups
        case 0x1408:
        case 0x1409: {
            const uint32_t width = type - 0x1405;
            name = 0;
            for (uint32_t b = 0; b < width; ++b) {
                name = name << 8 | bytes[static_cast<uint64_t>(index) * width + b];
            }
            return true;
        }
        default: return false;
    }
}

}  // namespace

uint32_t GenLists(int32_t range) {
    ListStore& store = Lists();
    if (range <= 0 || static_cast<uint32_t>(range) > kMaxGenListsRange) {
        return 0;
    }
    const uint64_t first = static_cast<uint64_t>(store.highestName) + 1;
    const uint64_t last = first + static_cast<uint64_t>(range) - 1;
    if (last > 0xFFFFFFFFu) {
        return 0;
    }
    try {
        for (uint64_t name = first; name <= last; ++name) {
            store.lists.try_emplace(static_cast<uint32_t>(name));
        }
    } catch (const std::bad_alloc&) {
        for (uint64_t name = first; name <= last; ++name) {
            store.lists.erase(static_cast<uint32_t>(name));
        }
        return 0;
    }
    store.highestName = static_cast<uint32_t>(last);
    return static_cast<uint32_t>(first);
}

bool IsList(uint32_t name) { return name != 0 && Lists().lists.contains(name); }

void DeleteLists(uint32_t first, int32_t range) {
    ListStore& store = Lists();
    if (range < 0) {
        return;
    }
    const uint64_t end = static_cast<uint64_t>(first) + static_cast<uint64_t>(range);
    if (static_cast<uint64_t>(range) <= store.lists.size()) {
        for (uint64_t name = first; name < end; ++name) {
            store.lists.erase(static_cast<uint32_t>(name));
        }
    } else {
        std::erase_if(store.lists, [&](const auto& entry) { return entry.first >= first && entry.first < end; });
    }
}

bool NewList(uint32_t name, uint32_t mode) {
    ListStore& store = Lists();
    if (name == 0 || (mode != kCompile && mode != kCompileAndExecute) || store.open ||
        mora::TheGlContext().primitiveOpen) {
        return false;
    }
    EmptyCommandBuffer(store.scratch.stream);
    EmptyCommandBuffer(store.scratch.blob);
    SwapCompileTargets(store);
    store.open = true;
    store.openName = name;
    store.openMode = mode;
    detail::gListCompiling = true;
    return true;
}

bool EndList() {
    ListStore& store = Lists();
    if (!store.open) {
        return false;
    }
    SwapCompileTargets(store);
    detail::gListCompiling = false;
    store.open = false;
    store.scratchContext = GlContext{};
    // The list's own storage, sized to its records; the scratch buffers keep theirs for the next.
    CommandRecording list;
    const uint64_t streamBytes = CommandBufferSize(store.scratch.stream);
    const uint64_t blobBytes = CommandBufferSize(store.scratch.blob);
    if ((streamBytes != 0 && !ReserveCommandBuffer(list.stream, streamBytes)) ||
        (blobBytes != 0 && !ReserveCommandBuffer(list.blob, blobBytes))) {
        return true;  // out of memory: the list keeps its old contents
    }
    if (streamBytes != 0) {
        std::memcpy(ExtendCommandBuffer(list.stream, streamBytes), store.scratch.stream.begin, streamBytes);
    }
    if (blobBytes != 0) {
        std::memcpy(ExtendCommandBuffer(list.blob, blobBytes), store.scratch.blob.begin, blobBytes);
    }
    store.lists[store.openName] = std::move(list);
    store.highestName = std::max(store.highestName, store.openName);
    if (store.openMode == kCompileAndExecute) {
        PlayList(store, store.openName, 0);
    }
    return true;
}

void CallList(uint32_t name) {
    ListStore& store = Lists();
    if (store.open) {
        AppendToOpenList(ListCallRecord{kListCallHeader, name, 0});
        return;
    }
    PlayList(store, name, 0);
}

void CallLists(int32_t n, uint32_t type, const void* lists) {
    ListStore& store = Lists();
    if (n < 0 || lists == nullptr) {
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        uint32_t offset = 0;
        if (!ListNameAt(type, lists, static_cast<uint32_t>(i), offset)) {
            return;
        }
        if (store.open) {
            AppendToOpenList(ListCallRecord{kListCallHeader, offset, 1});
        } else {
            PlayList(store, store.base + offset, 0);
        }
    }
}

void ListBase(uint32_t base) {
    ListStore& store = Lists();
    if (store.open) {
        AppendToOpenList(ListBaseRecord{kListBaseHeader, base});
        return;
    }
    store.base = base;
}

bool ListOpen() { return Lists().open; }

void AppendFixedFunctionCallToList(const FixedFunctionCall& call) {
    if (Lists().open) {
        AppendToOpenList(FixedFunctionRecord{kFixedFunctionHeader, call});
    }
}

ListCompileSuspension::ListCompileSuspension() : suspended(detail::gListCompiling) {
    if (suspended) {
        SwapCompileTargets(Lists());
        detail::gListCompiling = false;
    }
}

ListCompileSuspension::~ListCompileSuspension() {
    if (suspended) {
        SwapCompileTargets(Lists());
        detail::gListCompiling = true;
    }
}

void ResetDisplayLists() {
    ListStore& store = Lists();
    if (store.open) {
        SwapCompileTargets(store);
        detail::gListCompiling = false;
        store.open = false;
        store.scratchContext = GlContext{};
    }
    store.lists.clear();
    store.highestName = 0;
    store.base = 0;
}

}  // namespace mora::api
