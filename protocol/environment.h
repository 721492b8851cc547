// Environment variables Tavrix, its encoder and the test encoder read: the
// stand-in for the speakers on a sound system that refuses loopback, and the
// test encoder's faults and sound on request. Nothing here touches Windows.
#pragma once

// Names a capture endpoint the encoder records in place of the playback
// device's loopback, and tells Tavrix that the speakers' sound is available.
inline constexpr wchar_t kSpeakerEndpointVariable[] = L"TAVRIX_SPEAKER_ENDPOINT";

// The test encoder (tests/fakes) notes what it received in a side file: the
// path in this variable, else the output path plus kFakeEncoderSideFileSuffix.
inline constexpr wchar_t kFakeEncoderLogVariable[] = L"TAVRIX_FAKE_ENCODER_LOG";
inline constexpr wchar_t kFakeEncoderSideFileSuffix[] = L".commands.log";
// Its faults: exit with <code> right after starting; die abruptly <ms> after
// starting; never exit after "q"; take <ms> to finish after "q" (or to join);
// after "q" (or a join) exit with <code> instead of finishing.
inline constexpr wchar_t kFakeEncoderExitAtOnceVariable[] = L"TAVRIX_FAKE_ENCODER_EXIT_AT_ONCE";
inline constexpr wchar_t kFakeEncoderCrashAfterVariable[] = L"TAVRIX_FAKE_ENCODER_CRASH_AFTER_MS";
inline constexpr wchar_t kFakeEncoderHangOnQuitVariable[] = L"TAVRIX_FAKE_ENCODER_HANG_ON_QUIT";
inline constexpr wchar_t kFakeEncoderFinishVariable[] = L"TAVRIX_FAKE_ENCODER_FINISH_MS";
inline constexpr wchar_t kFakeEncoderQuitExitVariable[] = L"TAVRIX_FAKE_ENCODER_QUIT_EXIT";
// Its status channel (protocol/status.h): how each chosen source behaves,
// "<source>=fail|silent|<peak dB>" separated by commas (unnamed sources open
// at -20 dBFS); 1: says nothing at all, as an older encoder; and a file whose
// lines, appended by a test, are passed on to the channel as they come.
inline constexpr wchar_t kFakeEncoderSoundVariable[] = L"TAVRIX_FAKE_ENCODER_SOUND";
inline constexpr wchar_t kFakeEncoderMuteVariable[] = L"TAVRIX_FAKE_ENCODER_MUTE";
inline constexpr wchar_t kFakeEncoderStatusFromVariable[] = L"TAVRIX_FAKE_ENCODER_STATUS_FROM";
