# The recording engine end to end under Xvfb and Wine: a recording (the
# probe program starting the test encoder) read by ffprobe, the real Save
# dialog driven by X input, a lesson recovered after the program was killed.
tavrix_add_e2e(e2e.recording.real_avi SCRIPT recording_real_avi.sh TIMEOUT 240)
tavrix_add_e2e(e2e.recording.save_dialog SCRIPT recording_save_dialog.sh TIMEOUT 240)
tavrix_add_e2e(e2e.recording.recovery SCRIPT recording_recovery.sh TIMEOUT 300 COST 60 IN_32BIT_WINDOWS)

# How soon after the status bar appears the first segment really starts.
tavrix_add_e2e(bench.recording.start_latency SCRIPT recording_start_latency_bench.sh ARGS 3 TIMEOUT 600 BENCHMARK)

# The sound a teacher can see, with the real encoder and sound server: a
# silent microphone warned, a tone never warned, a removed microphone warned
# and back in step.
foreach(case silent tone removed)
  tavrix_add_e2e(e2e.recording.sound_warning_${case} SCRIPT recording_sound_warnings.sh ARGS ${case} TIMEOUT 240 COST 40)
endforeach()

# The classroom's interruptions with the real program and encoder: a finish
# cut off, the question put off, the session's end, a lost screen, the lock
# screen, a stray encoder of another program.
foreach(case join_killed later session_end screen_lost lock stray)
  tavrix_add_e2e(e2e.recording.classroom_${case} SCRIPT recording_classroom.sh ARGS ${case} TIMEOUT 300 COST 40)
endforeach()
