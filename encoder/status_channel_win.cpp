#include "encoder/status_channel_win.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr size_t kMostQueued = 256;
constexpr auto kDrainWait = std::chrono::milliseconds(500);

struct Queued {
    StatusLine line;
    std::string text;
};

}  // namespace

struct StatusChannel::Shared {
    HANDLE output = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Queued> queue;
    bool writing = false;
    bool stop = false;
};

namespace {

// Lines that come within this long of each other go out in one write (the
// sources' levels, due at the same moment, come from threads of their own).
constexpr auto kGatherWait = std::chrono::milliseconds(5);

void WriteLines(const std::shared_ptr<StatusChannel::Shared>& shared) {
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->stop || !shared->queue.empty(); });
        if (shared->queue.empty()) return;  // stopped, and everything is out
        if (!shared->stop) shared->changed.wait_for(lock, kGatherWait, [&] { return shared->stop; });
        std::string text;
        for (Queued& queued : shared->queue) text += queued.text;
        shared->queue.clear();
        shared->writing = true;
        lock.unlock();
        DWORD written = 0;
        const bool wrote = WriteFile(shared->output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        lock.lock();
        shared->writing = false;
        shared->changed.notify_all();
        // The reader is gone: nobody listens any more.
        if (!wrote) {
            shared->queue.clear();
            shared->output = nullptr;
            return;
        }
    }
}

}  // namespace

StatusChannel::StatusChannel(HANDLE output) : m_shared(std::make_shared<Shared>()) {
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
    m_shared->output = output;
    std::thread(WriteLines, m_shared).detach();
}

StatusChannel::~StatusChannel() {
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->stop = true;
    m_shared->changed.notify_all();
    // A writer stuck in WriteFile keeps only the shared part alive; it ends with the process.
    m_shared->changed.wait_for(lock, kDrainWait,
                               [this] { return m_shared->queue.empty() && !m_shared->writing; });
}

void StatusChannel::Send(const StatusLine& line) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (m_shared->output == nullptr || m_shared->stop) return;
    std::deque<Queued>& queue = m_shared->queue;
    if (line.event == StatusEvent::Level) {
        // The newest line of the same source, when it is a level still waiting, gives way to this one.
        for (auto it = queue.rbegin(); it != queue.rend(); ++it) {
            if (it->line.event == StatusEvent::Ready || it->line.source != line.source) continue;
            if (it->line.event != StatusEvent::Level) break;
            it->line = line;
            it->text = ComposeStatusLine(line);
            return;
        }
    }
    if (queue.size() >= kMostQueued) {
        for (auto it = queue.begin(); it != queue.end(); ++it) {
            if (it->line.event == StatusEvent::Level) {
                queue.erase(it);
                break;
            }
        }
        if (queue.size() >= kMostQueued) queue.pop_front();
    }
    queue.push_back({line, ComposeStatusLine(line)});
    m_shared->changed.notify_all();
}
