// What the teacher is told of the sound while recording, decided from the
// encoder's status lines and the clock: a silent microphone warned after
// ten seconds and not before, never a quiet room or silent speakers, a lost
// or missing source at once; every warning up long enough to be read; and
// nothing at all from an encoder that says nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "recording/sound_watch.h"

namespace {

// One step: at `atMs` something happens ("record", "pause", "tick", "ready",
// "opened mic", "failed spk <reason>", "lost mic <reason>", "back mic",
// "level mic <peak dB>", "mic..." or "spk..."), then the bar shows these
// problems ('-' none, 'M' missing, 'L' lost, 'S' silent) for the microphone
// and the speakers.
struct Step {
    int64_t atMs;
    std::string what;
    char microphone;
    char speakers;
};

char Letter(SoundProblem problem) {
    switch (problem) {
    case SoundProblem::None: return '-';
    case SoundProblem::Missing: return 'M';
    case SoundProblem::Lost: return 'L';
    case SoundProblem::Silent: return 'S';
    }
    return '?';
}

void Play(SoundWatch& watch, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        std::istringstream words(step.what);
        std::string verb, who, rest;
        words >> verb >> who;
        std::getline(words, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        const SoundSource source = who == "spk" ? SoundSource::Speakers : SoundSource::Microphone;
        if (verb == "record") watch.SetRecording(true, step.atMs);
        else if (verb == "pause") watch.SetRecording(false, step.atMs);
        else if (verb == "tick") watch.Tick(step.atMs);
        else if (verb == "ready") watch.Feed(ReadyLine(), step.atMs);
        else if (verb == "opened") watch.Feed(SourceEvent(StatusEvent::Opened, source), step.atMs);
        else if (verb == "failed") watch.Feed(SourceEvent(StatusEvent::Failed, source, rest), step.atMs);
        else if (verb == "lost") watch.Feed(SourceEvent(StatusEvent::Lost, source, rest), step.atMs);
        else if (verb == "back") watch.Feed(SourceEvent(StatusEvent::Back, source), step.atMs);
        else if (verb == "level") watch.Feed(LevelLine(source, std::stod(rest), std::stod(rest) - 3), step.atMs);
        else FAIL() << "no such step: " << step.what;
        EXPECT_EQ(Letter(watch.Shown(SoundSource::Microphone)), step.microphone) << step.atMs << " " << step.what;
        EXPECT_EQ(Letter(watch.Shown(SoundSource::Speakers)), step.speakers) << step.atMs << " " << step.what;
    }
}

// Level lines of `peak` every 50 ms from `fromMs` to `toMs`, each followed by
// the expected problems.
std::vector<Step> Levels(const char* who, int64_t fromMs, int64_t toMs, double peak, char microphone, char speakers) {
    std::vector<Step> steps;
    for (int64_t t = fromMs; t < toMs; t += 50)
        steps.push_back({t, std::string("level ") + who + " " + std::to_string(peak), microphone, speakers});
    return steps;
}

std::vector<Step> Then(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SoundWatch, ASilentMicrophoneIsWarnedAfterTenSecondsAndTheWarningGoesWithTheVoice) {
    SoundWatch watch;
    watch.Begin(false, true);
    // The countdown's silence does not count: the lesson starts at 3 s.
    Play(watch, Then(Then({{0, "opened mic", '-', '-'}, {10, "ready", '-', '-'}},
                          Levels("mic", 20, 3000, -100, '-', '-')),
                     Then({{3000, "record", '-', '-'}}, Levels("mic", 3000, 13000, -100, '-', '-'))));
    Play(watch, {{13000, "level mic -100", 'S', '-'}});
    std::vector<SoundNotice> notices = watch.TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(SoundNoticeText(notices[0]), "microphone: silent (below -60 dBFS for 10 s)");
    EXPECT_EQ(SoundWarningText(watch), L"麦克风没有声音，请检查是否静音或被关闭");
    // The voice: the warning goes at once, it has stood for long enough.
    Play(watch, Then(Levels("mic", 13050, 16000, -100, 'S', '-'), {{16000, "level mic -25", '-', '-'}}));
    notices = watch.TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(SoundNoticeText(notices[0]), "microphone: the sound is back");
    EXPECT_EQ(SoundWarningText(watch), L"");
    // Silent again: counted afresh from the last sound.
    Play(watch, Then(Levels("mic", 16050, 26000, -100, '-', '-'), {{26000, "tick", 'S', '-'}}));
}

TEST(SoundWatch, AQuietRoomATeacherWhoPausesAndSilentSpeakersAreNeverWarned) {
    SoundWatch quiet;
    quiet.Begin(true, true);
    // A live microphone in a quiet room stays above -60 dBFS; the speakers play nothing.
    Play(quiet, Then(Then({{0, "opened spk", '-', '-'}, {0, "opened mic", '-', '-'}, {0, "record", '-', '-'}},
                          Levels("mic", 0, 60000, -52, '-', '-')),
                     Levels("spk", 0, 60000, -100, '-', '-')));
    Play(quiet, {{60000, "tick", '-', '-'}});  // a minute of silent speakers
    EXPECT_TRUE(quiet.TakeNotices().empty());

    // A pause of any length with the microphone silent: counting starts again at the resume.
    SoundWatch paused;
    paused.Begin(false, true);
    Play(paused, Then(Then({{0, "opened mic", '-', '-'}, {0, "record", '-', '-'}}, Levels("mic", 0, 9000, -100, '-', '-')),
                      Then({{9000, "pause", '-', '-'}}, Levels("mic", 9000, 40000, -100, '-', '-'))));
    Play(paused, Then({{40000, "record", '-', '-'}}, Levels("mic", 40000, 50000, -100, '-', '-')));
    Play(paused, {{50000, "tick", 'S', '-'}});
}

TEST(SoundWatch, ALostSourceIsWarnedAtOnceAndTheWarningStandsLongEnoughToBeRead) {
    SoundWatch watch;
    watch.Begin(true, true);
    Play(watch, {{0, "opened spk", '-', '-'},
                 {0, "opened mic", '-', '-'},
                 {0, "ready", '-', '-'},
                 {0, "record", '-', '-'},
                 {1000, "level mic -20", '-', '-'},
                 {2000, "lost mic the device went away (0x88890004)", 'L', '-'},
                 // Back on another device half a second later: still shown until 5 s.
                 {2500, "back mic", 'L', '-'},
                 {2550, "level mic -22", 'L', '-'},
                 {4999, "tick", 'L', '-'},
                 {5000, "tick", '-', '-'},
                 // The speakers' loss is warned too.
                 {6000, "lost spk the device went away (0x88890004)", '-', 'L'},
                 {7000, "tick", '-', 'L'},
                 {20000, "back spk", '-', '-'}});
    const std::vector<SoundNotice> notices = watch.TakeNotices();
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(SoundNoticeText(notices[0]), "microphone: lost: the device went away (0x88890004)");
    EXPECT_EQ(SoundNoticeText(notices[1]), "microphone: back");
    EXPECT_EQ(SoundNoticeText(notices[2]), "speakers: lost: the device went away (0x88890004)");
    EXPECT_EQ(SoundNoticeText(notices[3]), "speakers: back");

    // Lost for longer than ten seconds and back without a voice: the silence is warned then.
    SoundWatch longer;
    longer.Begin(false, true);
    Play(longer, Then({{0, "opened mic", '-', '-'}, {0, "record", '-', '-'}, {100, "lost mic unplugged", 'L', '-'}},
                      Levels("mic", 150, 12000, -100, 'L', '-')));
    Play(longer, {{12000, "back mic", 'S', '-'}, {12050, "level mic -30", 'S', '-'}, {15000, "tick", '-', '-'}});
}

TEST(SoundWatch, ASourceThatCouldNotBeOpenedIsAskedAboutAndWarnedForTheWholeRecording) {
    const struct {
        bool speakers, microphone;
        const char* failed;  // which failed: "spk", "mic" or "both"
        std::wstring question;
        std::wstring warning;
    } cases[] = {
        {true, false, "spk", L"录不到电脑播放的声音，这次录像将没有声音。仍然开始录像吗？", L"录不到电脑播放的声音"},
        {true, true, "spk", L"录不到电脑播放的声音，录像里只会有麦克风的声音。仍然开始录像吗？", L"录不到电脑播放的声音"},
        {false, true, "mic", L"麦克风打不开，这次录像将没有声音。仍然开始录像吗？", L"麦克风打不开，录像里没有麦克风的声音"},
        {true, true, "mic", L"麦克风打不开，录像里只会有电脑播放的声音。仍然开始录像吗？",
         L"麦克风打不开，录像里没有麦克风的声音"},
        {true, true, "both", L"麦克风和电脑播放的声音都录不到，这次录像将没有声音。仍然开始录像吗？",
         L"麦克风打不开，录像里没有麦克风的声音"},
    };
    for (const auto& c : cases) {
        SoundWatch watch;
        watch.Begin(c.speakers, c.microphone);
        EXPECT_FALSE(watch.Settled());
        const std::string failed = c.failed;
        if (c.speakers) {
            watch.Feed(failed != "mic" ? SourceEvent(StatusEvent::Failed, SoundSource::Speakers, "no capture endpoint")
                                       : SourceEvent(StatusEvent::Opened, SoundSource::Speakers), 0);
        }
        if (c.microphone) {
            watch.Feed(failed != "spk" ? SourceEvent(StatusEvent::Failed, SoundSource::Microphone, "no such endpoint")
                                       : SourceEvent(StatusEvent::Opened, SoundSource::Microphone), 0);
        }
        watch.Feed(ReadyLine(), 0);
        EXPECT_TRUE(watch.Settled());
        EXPECT_EQ(MissingSoundQuestion(watch), c.question) << c.failed;
        watch.SetRecording(true, 100);
        watch.Tick(3600000);  // an hour later: still warned, never "silent" on top
        EXPECT_EQ(SoundWarningText(watch), c.warning) << c.failed;
        const std::vector<SoundNotice> notices = watch.TakeNotices();
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices[0].problem, SoundProblem::Missing);
    }
    SoundWatch speakerOnly;
    speakerOnly.Begin(true, false);
    speakerOnly.Feed(SourceEvent(StatusEvent::Failed, SoundSource::Speakers, "the endpoint cannot be captured (0x88890003)"),
                     0);
    EXPECT_EQ(SoundNoticeText(speakerOnly.TakeNotices().at(0)),
              "speakers: cannot be opened: the endpoint cannot be captured (0x88890003)");
}

TEST(SoundWatch, AnEncoderThatSaysNothingOrSpeaksOfSourcesNotChosenChangesNothing) {
    SoundWatch silent;
    silent.Begin(true, true);
    silent.SetRecording(true, 0);
    silent.Tick(3600000);
    EXPECT_FALSE(silent.Metered(SoundSource::Microphone));
    EXPECT_FALSE(silent.Metered(SoundSource::Speakers));
    EXPECT_EQ(SoundWarningText(silent), L"");
    EXPECT_EQ(MissingSoundQuestion(silent), L"");
    EXPECT_TRUE(silent.TakeNotices().empty());
    EXPECT_FALSE(silent.Settled());
    EXPECT_FALSE(silent.Heard());

    SoundWatch microphoneOnly;
    microphoneOnly.Begin(false, true);
    Play(microphoneOnly, {{0, "failed spk no endpoint", '-', '-'},
                          {0, "opened mic", '-', '-'},
                          {0, "record", '-', '-'},
                          {100, "lost spk gone", '-', '-'},
                          {200, "level spk -100", '-', '-'},
                          {300, "level mic -10", '-', '-'}});
    EXPECT_FALSE(microphoneOnly.Metered(SoundSource::Speakers));
    EXPECT_TRUE(microphoneOnly.Metered(SoundSource::Microphone));

    // A recording without sound settles at once: nothing to wait for.
    SoundWatch none;
    none.Begin(false, false);
    EXPECT_TRUE(none.Settled());
}

TEST(SoundWatch, TheMeterFillsFromMinusSixtyToFullScale) {
    const std::vector<std::pair<double, double>> cases = {
        {kSilenceDb, 0.0}, {-61, 0.0}, {-60, 0.0}, {-45, 0.25}, {-30, 0.5}, {-6, 0.9}, {0, 1.0}, {3.2, 1.0}};
    for (const auto& [db, fill] : cases) {
        SoundWatch watch;
        watch.Begin(true, false);
        watch.Feed(LevelLine(SoundSource::Speakers, db, db), 0);
        EXPECT_TRUE(watch.Metered(SoundSource::Speakers));
        EXPECT_DOUBLE_EQ(watch.Meter(SoundSource::Speakers), fill) << db;
    }
}

}  // namespace
