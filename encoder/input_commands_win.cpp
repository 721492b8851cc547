#include "encoder/input_commands_win.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "support/unique_win.h"

namespace {

// The exit code the cores of a discarded recording are ended with.
constexpr UINT kDiscardedCoreCode = 9;

}  // namespace

struct InputCommands::Shared {
    UniqueHandle event;
    UniqueHandle job;
    std::mutex mutex;
    std::deque<EncoderCommand> commands;
    std::atomic<bool> discard{false};
    bool closed = false;

    void Queue(const std::vector<EncoderCommand>& arrived) {
        const bool discarding = std::find(arrived.begin(), arrived.end(), EncoderCommand::Discard) != arrived.end();
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (discarding) {
                commands.assign(1, EncoderCommand::Discard);
                discard = true;
            } else {
                commands.insert(commands.end(), arrived.begin(), arrived.end());
            }
            SetEvent(event.get());
        }
        // After the event: a core that dies now is seen as the discard's doing.
        if (discarding && job) TerminateJobObject(job.get(), kDiscardedCoreCode);
    }

    static void ReadLoop(Shared& shared, HANDLE input) {
        CommandReader reader;
        char buffer[256];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(input, buffer, sizeof(buffer), &read, nullptr) || read == 0) break;
            const std::vector<EncoderCommand> arrived = reader.Feed(buffer, read);
            if (!arrived.empty()) shared.Queue(arrived);
        }
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.closed = true;
        SetEvent(shared.event.get());
    }
};

InputCommands::InputCommands(HANDLE input, HANDLE job) : m_shared(std::make_shared<Shared>()) {
    m_shared->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (job)
        DuplicateHandle(GetCurrentProcess(), job, GetCurrentProcess(), m_shared->job.put(), 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    std::thread([shared = m_shared, input] { Shared::ReadLoop(*shared, input); }).detach();
}

HANDLE InputCommands::Event() const { return m_shared->event.get(); }

bool InputCommands::DiscardRequested() const { return m_shared->discard.load(); }

std::vector<EncoderCommand> InputCommands::Take(bool& closed) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    std::vector<EncoderCommand> commands(m_shared->commands.begin(), m_shared->commands.end());
    m_shared->commands.clear();
    closed = m_shared->closed;
    ResetEvent(m_shared->event.get());
    return commands;
}

bool TakeHoldLine(HANDLE input) {
    char bytes[4] = {};
    DWORD peeked = 0, available = 0;
    if (!PeekNamedPipe(input, bytes, sizeof(bytes), &peeked, &available, nullptr)) return false;
    const size_t length = HoldLineLength(bytes, peeked);
    if (length == 0) return false;
    DWORD taken = 0;
    return ReadFile(input, bytes, static_cast<DWORD>(length), &taken, nullptr) && taken == length;
}
