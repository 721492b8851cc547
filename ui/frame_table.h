// The descriptions of the program's five skinned windows, side by side in
// one table (frame_table.cpp), so how each window closes reads in one place.
#pragma once

#include "ui/skinned_frame.h"

extern const FrameDescription kStartupFrame;  // CRecStartupFrameWnd
extern const FrameDescription kReadyFrame;    // CReadyFrameWnd, the countdown
extern const FrameDescription kStatusFrame;   // RecStatusFrame, the bar while recording
extern const FrameDescription kProcessFrame;  // CRecProcessFrameWnd, after recording
extern const FrameDescription kTipFrame;      // RecTSFrame, the tip before a recording
