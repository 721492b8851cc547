// The adapter's private pipes and its end of the status channel, with real
// pipes under Wine: a pipe name is taken by its first maker only, and the
// channel never makes a capture thread wait for a reader that lags or
// stopped reading.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "encoder/private_pipe_win.h"
#include "encoder/status_channel_win.h"
#include "protocol/status.h"
#include "support/unique_win.h"

namespace {

TEST(PrivatePipe, ANameNobodyGuessesTakenByItsFirstMakerOnly) {
    std::set<std::wstring> names;
    for (int i = 0; i < 20; ++i) names.insert(UnguessablePipeName(L"audio-microphone"));
    EXPECT_EQ(names.size(), 20u);
    const std::wstring name = *names.begin();
    const std::wstring stem = L"\\\\.\\pipe\\tavrix-audio-microphone-";
    ASSERT_EQ(name.compare(0, stem.size(), stem), 0) << name.c_str();
    EXPECT_EQ(name.size(), stem.size() + 32);  // 128 bits in hexadecimal

    // Someone made the pipe first: ours fails, and never shares the name.
    UniqueFile first(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES, 0,
                                      4096, 0, nullptr));
    ASSERT_TRUE(first);
    EXPECT_FALSE(CreatePrivatePipe(name, PIPE_ACCESS_OUTBOUND, 4096, 0));
    first.reset();

    // Ours, then: the client reads what is written, and nobody makes a second instance.
    UniqueFile pipe = CreatePrivatePipe(name, PIPE_ACCESS_OUTBOUND, 4096, 0);
    ASSERT_TRUE(pipe);
    UniqueFile second(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES,
                                       4096, 0, 0, nullptr));
    EXPECT_FALSE(second);
    UniqueFile client(CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(client);
    OVERLAPPED write = {};
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    write.hEvent = done.get();
    DWORD count = 0;
    if (!WriteFile(pipe.get(), "pcm", 3, &count, &write)) {
        ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
        ASSERT_TRUE(GetOverlappedResult(pipe.get(), &write, &count, TRUE));
    }
    char bytes[4] = {};
    ASSERT_TRUE(ReadFile(client.get(), bytes, 3, &count, nullptr));
    EXPECT_STREQ(bytes, "pcm");
}

std::string ReadAvailable(HANDLE pipe, DWORD waitMs) {
    std::string text;
    const DWORD until = GetTickCount() + waitMs;
    do {
        DWORD available = 0, read = 0;
        char buffer[4096];
        while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            text.append(buffer, read);
        Sleep(10);
    } while (GetTickCount() < until);
    return text;
}

TEST(StatusChannelWriter, LinesArriveInOrderAndTheLastLevelOfALaggingReaderWins) {
    UniqueHandle read, write;
    ASSERT_TRUE(CreatePipe(read.put(), write.put(), nullptr, 0));
    {
        StatusChannel channel(write.get());
        channel.Send(SourceEvent(StatusEvent::Opened, SoundSource::Microphone));
        channel.Send(ReadyLine());
        for (int i = 0; i < 100; ++i) channel.Send(LevelLine(SoundSource::Microphone, -0.5 * i, -0.5 * i - 10));
        channel.Send(SourceEvent(StatusEvent::Lost, SoundSource::Microphone, "unplugged"));
    }
    StatusReader reader;
    const std::string text = ReadAvailable(read.get(), 200);
    const std::vector<StatusLine> lines = reader.Feed(text.data(), text.size());
    EXPECT_EQ(reader.UnreadableLines(), 0u);
    ASSERT_GE(lines.size(), 4u) << text;
    EXPECT_EQ(lines.front(), SourceEvent(StatusEvent::Opened, SoundSource::Microphone));
    EXPECT_EQ(lines[1], ReadyLine());
    EXPECT_EQ(lines.back(), SourceEvent(StatusEvent::Lost, SoundSource::Microphone, "unplugged"));
    // However many levels the reader missed, the newest one before the loss came through.
    EXPECT_EQ(lines[lines.size() - 2], LevelLine(SoundSource::Microphone, -49.5, -59.5));
}

TEST(StatusChannelWriter, AReaderThatStoppedReadingNeverHoldsUpTheAdapter) {
    UniqueHandle read, write;
    ASSERT_TRUE(CreatePipe(read.put(), write.put(), nullptr, 512));
    const DWORD started = GetTickCount();
    {
        StatusChannel channel(write.get());
        for (int i = 0; i < 20000; ++i) {
            channel.Send(SourceEvent(i % 2 ? StatusEvent::Lost : StatusEvent::Back, SoundSource::Speakers,
                                     std::string(150, 'x')));
        }
        EXPECT_LT(GetTickCount() - started, 2000u);  // sending never waits for the reader
    }
    // Stopping gives the queue half a second, then leaves it.
    EXPECT_LT(GetTickCount() - started, 3000u);

    // A channel without an output sends nothing and costs nothing.
    StatusChannel none(nullptr);
    none.Send(ReadyLine());
    StatusChannel invalid(INVALID_HANDLE_VALUE);
    invalid.Send(ReadyLine());
}

}  // namespace
