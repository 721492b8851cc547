// Whether the computer's own sound (what its speakers play) can be recorded:
// through the speaker filter where it is registered, else by the encoder's
// loopback capture of the playback device, which some sound systems refuse.
#pragma once

// COM must be initialised on the calling thread. Asks the system afresh at
// every call (a filter may have been registered, a device plugged in).
bool CanRecordSpeakerSound();

// Whether the default playback device can be captured in loopback mode, as
// the encoder does where no speaker filter is registered.
bool PlaybackLoopbackWorks();
