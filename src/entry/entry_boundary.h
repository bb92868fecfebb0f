// The exception boundary of the exported entry points (GL, WGL and GLX): every entry body is a
// function-try-block closed by MORA_ENTRY_BOUNDARY(failure value), so no C++ exception ever
// reaches the application, which is C and could not catch it.
//
// What a failed entry leaves behind. The one failure the driver expects inside an entry is a
// failed allocation (a record stream, a texture, a display list, a context that cannot grow).
// The entry then returns its failure value (nothing, 0, FALSE, null, the GLX error code) at once,
// and everything it did before the failure stays done: the call is counted and traced, a record
// appended before the failure stays in the stream and a state field set before it stays set; what
// it had not reached is untouched. Each record the entries change grows its storage before it
// publishes anything new, so a failure never leaves a half-written record, and the next call runs
// on a consistent driver. Elsewhere exceptions travel up to these boundaries, except where a
// failure must cost less than the whole call or must not unwind into the OS: the trace line
// writer (the line is lost, the call runs), the first call's settings load (defaults stay), the
// frame end's two boundaries (frame/frame_sequence.cpp: the frame, the diagnostics), the call
// summary writer's thread and file write, the detach-time capture finish, DllMain, and the frame
// executor thread, which hands a failure back to the thread waiting for it.
#pragma once

#define MORA_ENTRY_BOUNDARY(...) \
    catch (...) {                \
        return __VA_ARGS__;      \
    }
