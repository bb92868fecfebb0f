#include "rjq/startup.h"

#include "diag/status_lines.h"
#include "rjq/render_job_queue.h"
#include "rjq/thread_settings.h"

namespace mora::rjq {

bool StartRenderJobQueue() {
    if (TheProcessQueue() != nullptr) return true;
    char text[kThreadsVariableBuffer];
    const platform::EnvironmentRead read = platform::ReadEnvironment("MORA_THREADS", text);
    const platform::ProcessorGroups groups = platform::ActiveProcessorGroups();
    const ThreadCountChoice choice = ChooseThreadCount(read, text, groups.total);
    SetStatusLine(StatusLine::ThreadPool, choice.statusLine);
    RenderJobQueue* queue = CreateRenderJobQueue(kDefaultCapacity, choice.requested);
    if (queue == nullptr) return false;
    SetStatusLine(StatusLine::ThreadPool, FormatRunningStatus(choice, queue->workerCount, groups));
    SetProcessQueue(queue);
    return true;
}

void StopRenderJobQueue() {
    RenderJobQueue* queue = TheProcessQueue();
    SetProcessQueue(nullptr);
    DestroyRenderJobQueue(queue);
}

std::string ThreadPoolStatus() { return StatusLineText(StatusLine::ThreadPool); }

}  // namespace mora::rjq
