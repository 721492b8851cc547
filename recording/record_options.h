// The user's recording choices for the next recording, process-wide, and the
// screen size taken once at start-up.
#pragma once

#include <cstdint>

#include "support/rect.h"

// Size of the primary screen in physical pixels (the program is DPI aware);
// set once by the entry point.
extern int32_t ScreenWidth;
extern int32_t ScreenHeight;

struct RecordOptions {
    int32_t videoQuality = 0;  // 0 normal, 1 good
    Rect captureRect;          // capture area in screen pixels
    int32_t recordAudio = 1;   // 1 record sound
    int32_t showTip = 1;       // 1 show the tip window before the countdown
    int32_t audioSources = 1;  // bit 0 speaker, bit 1 microphone; 3 both, mixed
    int32_t customArea = 0;    // 1 the area is a region the user dragged out
    int32_t showClicks = 1;    // 1 each click shows a ring in the recording

    // The one record, made with the defaults on first use (the full screen as
    // ScreenWidth x ScreenHeight stood then). Never freed, copied or reset.
    static RecordOptions* Instance();
};

// What the startup window's options show when Start is pressed.
struct StartChoices {
    bool areaFull = true;
    bool areaWithoutTaskbar = false;
    bool areaCustom = false;
    bool recordAudio = true;
    bool audioMix = false;
    bool audioSpeaker = true;  // neither mix nor speaker: the microphone
    bool qualityNormal = true;
    bool showClicks = true;
};

// The writes Start makes, in order: area, custom flag, sound, quality, click rings.
// `monitor` is the monitor the startup window stands on (the full screen a
// teacher means: moved onto the projector's screen, the projector's);
// `workArea` its work area, or null when that query failed (the rectangle is
// then kept); a custom area keeps the rectangle of the selection.
void ApplyStartChoices(RecordOptions& options, const StartChoices& choices, const Rect& monitor,
                       const Rect* workArea);
// The same on the primary screen, ScreenWidth x ScreenHeight.
void ApplyStartChoices(RecordOptions& options, const StartChoices& choices, const Rect* workArea);

// A completed region selection: the region becomes the capture area.
void ApplyRegionSelection(RecordOptions& options, const Rect& region);
