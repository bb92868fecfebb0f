// The three status text buffers and their lock.
#include "diag/status_lines.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/mutex.h"

namespace mora {
namespace {

constexpr std::size_t kThreadPoolLineBytes = 256;
constexpr std::size_t kIsaLineBytes = 128;
constexpr std::size_t kFramebufferLineBytes = 128;
constexpr std::size_t kPanelLineBytes = 256;

constexpr char kInitialThreadPoolLine[] = "[MORA threads = default (LPs minus producer)]";
constexpr char kInitialFramebufferLine[] = "[MORA framebuffer = not set]";

struct StatusLineBuffers {
    platform::Mutex lock;
    char threadPool[kThreadPoolLineBytes] = "[MORA threads = default (LPs minus producer)]";
    char isa[kIsaLineBytes] = "";
    char framebuffer[kFramebufferLineBytes] = "[MORA framebuffer = not set]";
    char panel[kPanelLineBytes] = "";
};
constinit StatusLineBuffers gLines;

std::span<char> Buffer(StatusLine line) {
    switch (line) {
        case StatusLine::ThreadPool: return gLines.threadPool;
        case StatusLine::Isa: return gLines.isa;
        case StatusLine::Framebuffer: return gLines.framebuffer;
        case StatusLine::Panel: return gLines.panel;
    }
    return gLines.isa;
}

// Caller holds the lock. Copies text cut to the buffer.
void StoreLocked(std::span<char> buffer, std::string_view text) {
    const std::size_t length = std::min(text.size(), buffer.size() - 1);
    std::memcpy(buffer.data(), text.data(), length);
    buffer[length] = '\0';
}

}  // namespace

std::size_t StatusLineCapacity(StatusLine line) { return Buffer(line).size(); }

void SetStatusLine(StatusLine line, std::string_view text) {
    platform::MutexLock lock(gLines.lock);
    StoreLocked(Buffer(line), text);
}

void FormatStatusLine(StatusLine line, const char* format, ...) {
    const std::span<char> buffer = Buffer(line);
    platform::MutexLock lock(gLines.lock);
    if (format == nullptr) {
        buffer[0] = '\0';
        return;
    }
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (written < 0) buffer[0] = '\0';
}

std::size_t CopyStatusLine(StatusLine line, std::span<char> out) {
    if (out.empty()) return 0;
    platform::MutexLock lock(gLines.lock);
    const std::span<const char> buffer = Buffer(line);
    const std::size_t length = std::min(std::strlen(buffer.data()), out.size() - 1);
    std::memcpy(out.data(), buffer.data(), length);
    out[length] = '\0';
    return length;
}

std::string StatusLineText(StatusLine line) {
    char copy[kThreadPoolLineBytes];
    const std::size_t length = CopyStatusLine(line, copy);
    return std::string(copy, length);
}

void ResetStatusLines() {
    platform::MutexLock lock(gLines.lock);
    StoreLocked(gLines.threadPool, kInitialThreadPoolLine);
    StoreLocked(gLines.isa, "");
    StoreLocked(gLines.framebuffer, kInitialFramebufferLine);
    StoreLocked(gLines.panel, "");
}

}  // namespace mora
