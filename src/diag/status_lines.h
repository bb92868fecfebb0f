// Fixed process-wide status text buffers: the thread-pool line (render job queue start-up), the
// instruction-set line (kernel selection), the framebuffer line (tile grid resize) and the debug
// panel line (panel start). The call
// summary prints all three; a trace file's header carries the instruction-set line.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace mora {

enum class StatusLine {
    ThreadPool,   // 256-byte buffer, initially "[MORA threads = default (LPs minus producer)]"
    Isa,          // 128-byte buffer, initially empty
    Framebuffer,  // 128-byte buffer, initially "[MORA framebuffer = not set]"
    Panel,        // 256-byte buffer, initially empty: whether the debug panel runs, or why not
};

// Buffer size in bytes including the terminating zero; texts are cut to size - 1 characters.
std::size_t StatusLineCapacity(StatusLine line);

// Replaces the line's text, cut to the buffer.
void SetStatusLine(StatusLine line, std::string_view text);

// printf-style variant; a formatting error leaves the line empty.
[[gnu::format(printf, 2, 3)]] void FormatStatusLine(StatusLine line, const char* format, ...);

// Copies the current text (zero-terminated, cut to out.size() - 1) and returns its length.
// Writers and readers may be on different threads; the copy is taken under a small lock.
std::size_t CopyStatusLine(StatusLine line, std::span<char> out);
std::string StatusLineText(StatusLine line);

// Puts all lines back to their initial texts (tests).
void ResetStatusLines();

}  // namespace mora
