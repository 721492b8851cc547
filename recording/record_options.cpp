#include "recording/record_options.h"

int32_t ScreenWidth = 0;
int32_t ScreenHeight = 0;

RecordOptions* RecordOptions::Instance() {
    static RecordOptions* const options = [] {
        auto* made = new RecordOptions;
        made->captureRect = Rect{0, 0, ScreenWidth, ScreenHeight};
        return made;
    }();
    return options;
}

void ApplyStartChoices(RecordOptions& options, const StartChoices& choices, const Rect* workArea) {
    ApplyStartChoices(options, choices, Rect{0, 0, ScreenWidth, ScreenHeight}, workArea);
}

void ApplyStartChoices(RecordOptions& options, const StartChoices& choices, const Rect& monitor,
                       const Rect* workArea) {
    if (choices.areaFull)
        options.captureRect = monitor;
    else if (choices.areaWithoutTaskbar && workArea != nullptr)
        options.captureRect = *workArea;
    if (!choices.areaCustom) options.customArea = 0;

    if (choices.recordAudio) {
        options.recordAudio = 1;
        options.audioSources = choices.audioMix ? 3 : choices.audioSpeaker ? 1 : 2;
    } else {
        options.recordAudio = 0;
    }
    options.videoQuality = choices.qualityNormal ? 0 : 1;
    options.showClicks = choices.showClicks ? 1 : 0;
}

void ApplyRegionSelection(RecordOptions& options, const Rect& region) {
    options.captureRect = region;
    options.customArea = 1;
}
