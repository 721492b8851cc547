// The startup window's decision that needs no Windows: whether the sound the
// user chose needs a microphone that is not there.
#pragma once

// The sound controls as the window reads them.
struct SoundChoice {
    bool recordAudio = true;    // "checkRecordAudio"
    bool mixSelected = false;   // "optionAudioMix"
    bool microSelected = false; // "optionAudioMicro"
};

// True when the user must be told "没有麦克风": sound is on with the mixed or
// the microphone-only source and no microphone was found. Start then selects
// the speaker and does not start; a speaker-only or a silent recording needs
// no microphone and goes on. A click on "optionAudioMix" or "optionAudioMicro"
// asks the same with the states before the click (the library notifies first).
bool LacksNeededMicrophone(const SoundChoice& sound, bool microphoneFound);
