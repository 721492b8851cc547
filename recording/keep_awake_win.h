// Keeping the PC awake while a lesson is recorded or finished: a PC that
// sleeps in the middle of the lesson (nobody touches it while the teacher
// talks) or of its finish leaves a gap or a cut-off join. Windows is asked
// not to sleep nor turn off the screen while any such holder lives, and
// told at once when the last one goes.
#pragma once

class KeepAwake {
public:
    KeepAwake();
    ~KeepAwake();
    KeepAwake(KeepAwake&& other) noexcept : m_held(other.m_held) { other.m_held = false; }
    KeepAwake& operator=(KeepAwake&& other) noexcept;
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    // How many holders live (for the log and the tests).
    static int Holders();

private:
    void Release();
    bool m_held = false;
};
