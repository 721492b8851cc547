// How the encoder (ffmpeg.exe) ends: its exit codes, which Tavrix reads to
// tell a finished recording from one whose segments were kept, and the one
// code Tavrix gives an encoder it had to end itself.
#pragma once

constexpr int kExitDone = 0;          // the output file is complete
constexpr int kExitBadArguments = 1;  // the command line is not one the program builds
constexpr int kExitNoCore = 2;        // ffmpeg-core.exe is missing or does not start
constexpr int kExitJoinFailed = 3;    // nothing was recorded, or the join failed: segments kept
constexpr int kExitCoreLost = 4;      // the core stopped while recording: no join, segments kept
constexpr int kExitDiscarded = 5;     // "d": cores ended, segments, list and log deleted, no output
constexpr int kExitNoRoom = 6;        // too little free space for the joined file: segments kept, no output

// Tavrix's own, never the encoder's: the encoder was gone before it could be
// asked to finish, or did not finish in time and was ended with this code.
constexpr int kExitEncoderLost = 9;
