// Whether Start (and a click on a sound source) must stop for a missing
// microphone: only when the chosen sound needs one.
#include <gtest/gtest.h>

#include "ui/startup_choices.h"

namespace {

TEST(StartupChoices, MissingMicrophoneBlocksOnlySoundThatNeedsIt) {
    struct Case {
        bool recordAudio, mix, micro, found, blocks;
    };
    const Case cases[] = {
        // Mixed or microphone-only sound without a microphone: told, not started.
        {true, true, false, false, true},
        {true, false, true, false, true},
        // Speaker only: needs no microphone.
        {true, false, false, false, false},
        // Sound off: a silent recording, whatever source is still selected.
        {false, true, false, false, false},
        {false, false, true, false, false},
        {false, false, false, false, false},
        // A microphone present never blocks.
        {true, true, false, true, false},
        {true, false, true, true, false},
        {true, false, false, true, false},
    };
    for (const Case& c : cases) {
        const SoundChoice sound{c.recordAudio, c.mix, c.micro};
        EXPECT_EQ(LacksNeededMicrophone(sound, c.found), c.blocks)
            << "audio " << c.recordAudio << " mix " << c.mix << " micro " << c.micro << " found " << c.found;
    }
}

}  // namespace
