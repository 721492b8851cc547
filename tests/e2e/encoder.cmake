# The encoder adapter (bin/ffmpeg.exe) with the real core under Xvfb and
# Wine: pause and resume by segments, real sound from the private sound
# server, the sound's place against the picture. In a 64-bit prefix the
# adapter takes the 64-bit core, in a 32-bit one the 32-bit core.
tavrix_add_e2e(e2e.encoder.pause_resume SCRIPT encoder_pause_resume.sh TIMEOUT 240 IN_32BIT_WINDOWS)
tavrix_add_e2e(e2e.encoder.sound_mixed SCRIPT encoder_sound_mixed.sh TIMEOUT 240 COST 60 IN_32BIT_WINDOWS)
tavrix_add_e2e(e2e.encoder.sound_microphone SCRIPT encoder_sound_microphone.sh TIMEOUT 180 IN_32BIT_WINDOWS)
# 20 s with 2 pauses: every flash and its beep in the saved file within
# 250 ms of each other (a misplaced or drifting sound track is off by far more).
tavrix_add_e2e(e2e.encoder.av_sync SCRIPT encoder_av_sync.sh ARGS 20 2 250 TIMEOUT 240 COST 60)

# The benchmarks: 2 minutes with 10 pauses; the adapter's CPU with and
# without sound; resume, finish, CPU and join times (scripts/bench-encoder).
tavrix_add_e2e(bench.encoder.av_sync SCRIPT encoder_av_sync.sh TIMEOUT 900 BENCHMARK)
tavrix_add_e2e(bench.encoder.av_sync_cpu SCRIPT encoder_av_sync.sh ARGS cpu TIMEOUT 900 BENCHMARK)
tavrix_add_e2e(bench.encoder.adapter SCRIPT ../../scripts/bench-encoder TIMEOUT 3600 BENCHMARK)
