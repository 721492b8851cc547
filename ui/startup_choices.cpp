#include "ui/startup_choices.h"

bool LacksNeededMicrophone(const SoundChoice& sound, bool microphoneFound) {
    if (microphoneFound || !sound.recordAudio) return false;
    return sound.mixSelected || sound.microSelected;
}
