#include "recording/keep_awake_win.h"

#include <windows.h>

#include "support/log.h"

namespace {

// Windows keeps one state per thread, the last one set: the holders are counted.
int g_holders = 0;

}  // namespace

KeepAwake::KeepAwake() : m_held(true) {
    if (g_holders++ > 0) return;
    // The system and the display stay on; a screen saver or the lock screen
    // would stop the picture, sleep the whole recording.
    if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED) == 0) {
        TAVRIX_LOG(LevelDebug) << "Windows was not told to stay awake";
    }
}

KeepAwake::~KeepAwake() { Release(); }

KeepAwake& KeepAwake::operator=(KeepAwake&& other) noexcept {
    if (this != &other) {
        Release();
        m_held = other.m_held;
        other.m_held = false;
    }
    return *this;
}

void KeepAwake::Release() {
    if (!m_held) return;
    m_held = false;
    if (--g_holders == 0) SetThreadExecutionState(ES_CONTINUOUS);
}

int KeepAwake::Holders() { return g_holders; }
