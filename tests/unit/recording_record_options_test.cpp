// The recording choices: defaults of the one record, and what Start and a
// completed region selection write into it.
#include <gtest/gtest.h>

#include "recording/record_options.h"

namespace {

TEST(RecordOptions, DefaultsOnFirstUseAndOneRecord) {
    ScreenWidth = 1280;
    ScreenHeight = 800;
    RecordOptions* options = RecordOptions::Instance();
    EXPECT_EQ(options->videoQuality, 0);
    EXPECT_EQ(options->captureRect, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(options->recordAudio, 1);
    EXPECT_EQ(options->showTip, 1);
    EXPECT_EQ(options->audioSources, 1);
    EXPECT_EQ(options->customArea, 0);
    EXPECT_EQ(options->showClicks, 1);
    EXPECT_EQ(RecordOptions::Instance(), options);
}

class StartChoicesTest : public testing::Test {
protected:
    void SetUp() override {
        ScreenWidth = 1920;
        ScreenHeight = 1080;
    }
    RecordOptions options;
};

TEST_F(StartChoicesTest, AreaChoices) {
    const Rect region{100, 100, 500, 400};
    const Rect workArea{0, 0, 1920, 1040};

    // A custom region, then the full screen chosen before Start.
    ApplyRegionSelection(options, region);
    EXPECT_EQ(options.customArea, 1);
    StartChoices full;
    ApplyStartChoices(options, full, &workArea);
    EXPECT_EQ(options.captureRect, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(options.customArea, 0);

    // A custom region kept at Start: the region stays, and so does the flag.
    ApplyRegionSelection(options, region);
    StartChoices custom;
    custom.areaFull = false;
    custom.areaCustom = true;
    ApplyStartChoices(options, custom, &workArea);
    EXPECT_EQ(options.captureRect, region);
    EXPECT_EQ(options.customArea, 1);

    // Without the task bar: the work area, or the previous rectangle when the query failed.
    StartChoices withoutTaskbar;
    withoutTaskbar.areaFull = false;
    withoutTaskbar.areaWithoutTaskbar = true;
    ApplyStartChoices(options, withoutTaskbar, nullptr);
    EXPECT_EQ(options.captureRect, region);
    EXPECT_EQ(options.customArea, 0);
    ApplyStartChoices(options, withoutTaskbar, &workArea);
    EXPECT_EQ(options.captureRect, workArea);
}

// Two screens, the projector's left of the primary: the full screen is the
// monitor the startup window stands on, negative coordinates and all.
TEST_F(StartChoicesTest, FullScreenIsTheMonitorOfTheStartupWindow) {
    const Rect projector{-1024, 0, 0, 768};
    const Rect projectorWork{-1024, 0, 0, 728};
    StartChoices full;
    ApplyStartChoices(options, full, projector, &projectorWork);
    EXPECT_EQ(options.captureRect, projector);
    StartChoices withoutTaskbar;
    withoutTaskbar.areaFull = false;
    withoutTaskbar.areaWithoutTaskbar = true;
    ApplyStartChoices(options, withoutTaskbar, projector, &projectorWork);
    EXPECT_EQ(options.captureRect, projectorWork);
    // Back on the primary screen: as on a single screen.
    ApplyStartChoices(options, full, Rect{0, 0, 1920, 1080}, nullptr);
    EXPECT_EQ(options.captureRect, (Rect{0, 0, 1920, 1080}));
}

TEST_F(StartChoicesTest, SoundAndQuality) {
    StartChoices c;
    c.audioMix = true;
    c.audioSpeaker = false;
    c.qualityNormal = false;
    ApplyStartChoices(options, c, nullptr);
    EXPECT_EQ(options.recordAudio, 1);
    EXPECT_EQ(options.audioSources, 3);
    EXPECT_EQ(options.videoQuality, 1);

    c.audioMix = false;
    ApplyStartChoices(options, c, nullptr);
    EXPECT_EQ(options.audioSources, 2);  // the remaining choice: the microphone

    c.audioSpeaker = true;
    c.qualityNormal = true;
    ApplyStartChoices(options, c, nullptr);
    EXPECT_EQ(options.audioSources, 1);
    EXPECT_EQ(options.videoQuality, 0);

    // Sound off keeps the earlier sources; the encoder start ignores them.
    c.recordAudio = false;
    c.audioMix = true;
    ApplyStartChoices(options, c, nullptr);
    EXPECT_EQ(options.recordAudio, 0);
    EXPECT_EQ(options.audioSources, 1);
}

TEST_F(StartChoicesTest, ClickRingsAsTheCheckBoxSays) {
    StartChoices choices;
    choices.showClicks = false;
    ApplyStartChoices(options, choices, nullptr);
    EXPECT_EQ(options.showClicks, 0);
    choices.showClicks = true;
    ApplyStartChoices(options, choices, nullptr);
    EXPECT_EQ(options.showClicks, 1);
}

}  // namespace
