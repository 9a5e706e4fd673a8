// The manager, its tracks and the mixer together, heard through a paced
// stand-in for the audio output: loops, ends, fades, the pause in the
// background, failures, and the mixer's conversion.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <map>
#include <string>
#include <thread>

#include "PacedOutput.h"
#include "TestSources.h"
#include "ToneWave.h"
#include "sound/Resampler.h"
#include "sound/SoundManager.h"
#include "sound/VolumeScale.h"

namespace fer::test {
namespace {

using namespace std::chrono_literals;

class Playback : public ::testing::Test {
  protected:
    Playback()
        : manager_(mixer_, {.openStream =
                                [this](std::string_view name, int) -> std::unique_ptr<ByteSource> {
                                    auto it = files_.find(std::string(name));
                                    if (it == files_.end()) return nullptr;
                                    return std::make_unique<MemorySource>(it->second);
                                },
                            .closeStream = {},
                            .showFailure = [this](const std::string& t) { reports_.push_back(t); },
                            .log = {}}) {}

    void add(const std::string& name, const ToneWave& wave) { files_[name] = wave.bytes(); }
    void add(const std::string& name, std::vector<uint8_t> bytes) { files_[name] = std::move(bytes); }

    // Waits until the output's clock reaches t seconds.
    void until(double t) {
        while (output_.now() < t) std::this_thread::sleep_for(1ms);
    }
    // The time the channel stops playing, polled every millisecond.
    double endOf(int channel, double limit) {
        while (manager_.isPlaying(channel) && output_.now() < limit)
            std::this_thread::sleep_for(1ms);
        return output_.now();
    }

    std::map<std::string, std::vector<uint8_t>> files_;
    std::vector<std::string> reports_;
    AudioMixer mixer_;
    PacedOutput output_{mixer_};
    SoundManager manager_;
};

TEST_F(Playback, ASoundWithoutLoopsPlaysOnceEvenWithTheLoopFlagAndEndsWithinAStep) {
    add("SHORT.WAV", ToneWave{.spans = {{1000, 0.5}}});
    until(0.1);
    const double start = output_.now();
    ASSERT_EQ(manager_.play(0, "SHORT.WAV", true), 1);
    EXPECT_EQ(manager_.isPlaying(0), 1);
    const double end = endOf(0, start + 3);
    // About 30 ms after the sound's last sample (a step, and an output pull).
    EXPECT_GT(end - start, 0.45);
    EXPECT_LT(end - start, 0.5 + 0.09);
    until(end + 0.3);
    const Recording r = output_.recording();
    EXPECT_GT(toneLevel(r, 1000, start + 0.1, start + 0.4), 0.1);
    EXPECT_LT(rmsLevel(r, end + 0.05, end + 0.3), 0.001);
    // The finished track stays in its slot; stop deletes it without a fade.
    EXPECT_EQ(manager_.isPlaying(0), 0);
    EXPECT_EQ(manager_.stop(0), 1);
    EXPECT_EQ(manager_.stop(0), 0);
}

TEST_F(Playback, AnIntroPlaysOnceThenLoopZeroRepeatsAndTheTailIsNeverHeard) {
    // 0.4 s of 500 Hz, loop 0 over 0.3 s of 1000 Hz (endless), 0.3 s of 2000 Hz.
    ToneWave w{.spans = {{500, 0.4}, {1000, 0.3}, {2000, 0.3}}};
    w.loops = {{8820, 8820 + 6615 - 1, 0}};
    add("INTRO.WAV", w);
    // Both ends are in a loop: one from frame 6615 to frame 6615 (after an
    // intro of 0.3 s) holds a frame and, endless, keeps its sound from ending.
    add("ONE.WAV", ToneWave{.spans = {{1000, 0.5}}, .loops = {{6615, 6615, 0}}});
    until(0.1);
    const double s = output_.now();
    manager_.play(0, "INTRO.WAV", true);
    manager_.play(1, "ONE.WAV", true);
    until(s + 2.5);
    EXPECT_EQ(manager_.isPlaying(0), 1);
    EXPECT_EQ(manager_.isPlaying(1), 1);
    const Recording r = output_.recording();
    EXPECT_GT(toneLevel(r, 500, s + 0.05, s + 0.35), 0.1);
    EXPECT_LT(toneLevel(r, 500, s + 0.5, s + 2.4), 0.01);
    EXPECT_GT(toneLevel(r, 1000, s + 0.5, s + 2.4), 0.1);
    EXPECT_LT(toneLevel(r, 2000, s + 0.05, s + 2.4), 0.01);
}

TEST_F(Playback, ALoopWithPlayCountThreeRepeatsThreeTimesBeforeTheNextLoop) {
    // Loop 0: 0.2 s of 500 Hz three times; loop 1: 0.2 s of 1000 Hz endless.
    ToneWave w{.spans = {{500, 0.2}, {1000, 0.2}}};
    w.loops = {{0, 4410 - 1, 3}, {4410, 8820 - 1, 0}};
    add("COUNT.WAV", w);
    until(0.1);
    const double s = output_.now();
    manager_.play(1, "COUNT.WAV", true);
    until(s + 1.6);
    const Recording r = output_.recording();
    EXPECT_GT(toneLevel(r, 500, s + 0.05, s + 0.55), 0.1);
    EXPECT_LT(toneLevel(r, 1000, s + 0.05, s + 0.55), 0.01);
    EXPECT_LT(toneLevel(r, 500, s + 0.7, s + 1.5), 0.01);
    EXPECT_GT(toneLevel(r, 1000, s + 0.7, s + 1.5), 0.1);
    // The switch comes after three repetitions (0.6 s).
    EXPECT_GT(toneLevel(r, 500, s + 0.45, s + 0.58), 0.1);
    EXPECT_GT(toneLevel(r, 1000, s + 0.62, s + 0.75), 0.1);
}

TEST_F(Playback, AVoiceWithLoopPointsAndNoLoopFlagRepeatsTheWholeSound) {
    ToneWave w{.spans = {{800, 0.3}, {1600, 0.2}}};
    w.loops = {{0, 100, 1}};
    add("V.WAV", w);
    until(0.1);
    const double s = output_.now();
    manager_.play(2, "V.WAV", false);
    until(s + 1.6);
    EXPECT_EQ(manager_.isPlaying(2), 1);
    const Recording r = output_.recording();
    // The second tone comes back in every half second.
    EXPECT_GT(toneLevel(r, 1600, s + 1.32, s + 1.48), 0.1);
    EXPECT_GT(toneLevel(r, 800, s + 1.02, s + 1.28), 0.1);
    EXPECT_EQ(manager_.stop(2), 1);
    EXPECT_EQ(manager_.isPlaying(2), 0);
}

TEST_F(Playback, InTheBackgroundATrackFallsSilentAndResumesWithinAStep) {
    add("M.WAV", ToneWave{.spans = {{1000, 3.0}}});
    manager_.play(0, "M.WAV", true);
    until(0.6);
    const double away = output_.now();
    manager_.setApplicationActive(false);
    until(away + 0.5);
    const double back = output_.now();
    manager_.setApplicationActive(true);
    until(back + 0.5);
    const Recording r = output_.recording();
    const double silent = levelCrossing(r, away, 0.001, false);
    EXPECT_GE(silent, away);
    EXPECT_LT(silent - away, 0.045);
    // Silent from two steps after the switch on. (From the first quiet 5 ms
    // on would be too strict: on a busy machine the output may run dry for a
    // moment before the pause, and that gap is quiet too.)
    EXPECT_LT(rmsLevel(r, away + 0.06, back), 0.001);
    const double resumed = levelCrossing(r, back, 0.01, true);
    EXPECT_GE(resumed, back);
    EXPECT_LT(resumed - back, 0.045);
    EXPECT_GT(toneLevel(r, 1000, back + 0.1, back + 0.45), 0.1);
}

TEST_F(Playback, APausedTrackWaitsForActivationAndAnEndedOneIsNotResumed) {
    add("V.WAV", ToneWave{.spans = {{1000, 0.3}}});
    manager_.setApplicationActive(false);
    manager_.play(2, "V.WAV", false);
    until(0.8);
    EXPECT_EQ(manager_.isPlaying(2), 1); // paused in the background, not ended
    manager_.setApplicationActive(true);
    const double end = endOf(2, 3.0);
    EXPECT_GT(end, 0.8 + 0.2);
    EXPECT_LT(end, 0.8 + 0.45);
    manager_.setApplicationActive(false);
    until(end + 0.2);
    manager_.setApplicationActive(true);
    until(end + 0.4);
    EXPECT_EQ(manager_.isPlaying(2), 0);
    const Recording r = output_.recording();
    EXPECT_LT(rmsLevel(r, end + 0.05, end + 0.4), 0.001);
}

TEST_F(Playback, StopFadesChannelZeroOverThreeHundredMsAndTheOthersOverThirty) {
    add("M.WAV", ToneWave{.spans = {{1000, 3.0}}});
    manager_.play(0, "M.WAV", true);
    manager_.play(1, "M.WAV", true);
    until(0.5);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(manager_.stop(0), 1);
    const double fade0 = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(manager_.stop(1), 1);
    const double fade1 = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // A fade's loop runs until its end time, so it takes at least its time;
    // the upper bounds allow twice that for a busy machine.
    EXPECT_GE(fade0, 0.3);
    EXPECT_LT(fade0, 0.6);
    EXPECT_GE(fade1, 0.03);
    EXPECT_LT(fade1, 0.06);
    t0 = std::chrono::steady_clock::now();
    manager_.play(0, "M.WAV", true);
    until(output_.now() + 0.3);
    const double before = output_.now();
    EXPECT_EQ(manager_.fadeStop(0), 1);
    const double after = output_.now();
    EXPECT_GE(after - before, 1.0);
    EXPECT_LT(after - before, 2.0);
    EXPECT_EQ(manager_.fadeStop(0), 0);
    until(after + 0.1);
    const Recording r = output_.recording();
    // Louder at the fade's start than near its end, and silent after it.
    const double early = rmsLevel(r, before + 0.02, before + 0.12);
    const double late = rmsLevel(r, before + 0.8, before + 0.9);
    EXPECT_GT(early, 4 * late);
    EXPECT_LT(rmsLevel(r, after + 0.03, after + 0.1), 0.001);
}

TEST_F(Playback, MusicStartsAtLoudness6000AndAVoiceAtFullLoudness) {
    add("M.WAV", ToneWave{.spans = {{1000, 2.0, 0.5}}});
    manager_.play(0, "M.WAV", true);
    manager_.play(2, "M.WAV", false);
    EXPECT_EQ(manager_.track(0)->buffer()->volume(), -351);
    EXPECT_EQ(manager_.track(2)->buffer()->volume(), 0);
    SoundTrack& t = *manager_.track(2);
    EXPECT_EQ(t.setStageLoudness(0, 0, true), 0);
    EXPECT_EQ(t.buffer()->volume(), -10000);
    EXPECT_EQ(t.setStageLoudness(0, 10000, true), 10000);
    EXPECT_EQ(t.buffer()->volume(), 0);
    // A fade ends on its target exactly: silence, where its last timed step is
    // still above loudness 0.
    EXPECT_EQ(t.fadeStage(0, 0, 60), 0);
    EXPECT_EQ(t.buffer()->volume(), -10000);
    t.setStage(0, 0, true);
    const int stage = t.pushStage();
    EXPECT_EQ(stage, 1);
    EXPECT_EQ(t.setStage(stage, -5000, false), -5000);
    EXPECT_EQ(t.setStage(0, -5000, true), -7500);
    EXPECT_EQ(t.buffer()->volume(), -7500);
    EXPECT_EQ(t.popStage(stage), stage);
    EXPECT_EQ(t.popStage(stage), -1);
    EXPECT_EQ(t.setStage(5, -100, true), -1);
    EXPECT_EQ(t.setStage(-1, -20000, true), -1); // refused by the buffer
}

TEST_F(Playback, ABadHeaderIsReportedOnceAndTheSlotIsEmptyAfterwards) {
    std::vector<uint8_t> bad = ToneWave{.spans = {{1000, 0.2}}}.bytes();
    bad[8] = 'X'; // "WAVE" no more
    add("BAD.WAV", bad);
    EXPECT_EQ(manager_.play(0, "BAD.WAV", true), 1);
    EXPECT_EQ(manager_.isPlaying(0), 0);
    manager_.reportFailures();
    manager_.reportFailures();
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_NE(reports_[0].find("Track 0 = 0x40000000"), std::string::npos);
    EXPECT_EQ(manager_.track(0), nullptr);
    EXPECT_EQ(manager_.stop(0), 0);
}

TEST_F(Playback, AFileThatCannotBeOpenedLeavesNoTrackAndNoReport) {
    EXPECT_EQ(manager_.play(2, "NONE.WAV", false), 0);
    EXPECT_EQ(manager_.track(2), nullptr);
    manager_.reportFailures();
    EXPECT_TRUE(reports_.empty());
}

TEST(PlaybackWithoutOutput, ATrackWithoutARingFailsInsteadOfPlayingForeverInSilence) {
    AudioMixer mixer; // no output format: no ring can be made
    std::vector<std::string> reports;
    SoundManager manager(
        mixer, {.openStream =
                    [](std::string_view, int) -> std::unique_ptr<ByteSource> {
                        return std::make_unique<MemorySource>(ToneWave{.spans = {{1000, 1}}}.bytes());
                    },
                .closeStream = {},
                .showFailure = [&](const std::string& t) { reports.push_back(t); },
                .log = {}});
    EXPECT_EQ(manager.play(2, "V.WAV", false), 1);
    EXPECT_EQ(manager.isPlaying(2), 0);
    manager.reportFailures();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind("DirectSound发生错误了", 0), 0u);
    EXPECT_NE(reports[0].find("Track 2 = 0x00000010"), std::string::npos);
}

TEST_F(Playback, TwoTracksSumAndClipOnceAtTheEnd) {
    add("LOUD.WAV", ToneWave{.spans = {{0, 0.05}, {440, 1.0, 0.9}}});
    add("LOW.WAV", ToneWave{.spans = {{0, 0.05}, {3000, 1.0, 0.2}}});
    manager_.play(2, "LOUD.WAV", false);
    manager_.play(3, "LOW.WAV", false);
    const double s = output_.now();
    until(s + 0.8);
    const Recording r = output_.recording();
    EXPECT_GT(toneLevel(r, 440, s + 0.2, s + 0.7), 0.8);
    EXPECT_GT(toneLevel(r, 3000, s + 0.2, s + 0.7), 0.15);
    int clipped = 0;
    for (int16_t v : r.samples) clipped += v == 32767 || v == -32768;
    EXPECT_GT(clipped, 0); // 0.9 + 0.2 goes past full scale: clipped, not wrapped
    int wrapped = 0;
    for (size_t i = 2; i < r.samples.size(); i += 2)
        wrapped += std::abs(r.samples[i] - r.samples[i - 2]) > 40000;
    EXPECT_EQ(wrapped, 0);
}

TEST(Mixer, ConvertsTheRateWithoutImagesAndMapsMonoToBothChannels) {
    AudioMixer mixer;
    mixer.setOutputFormat({48000, 2});
    auto buffer = mixer.createBuffer(WaveFormat::pcm(1, 22050, 16), 22050 * 2 * 2);
    ASSERT_NE(buffer, nullptr);
    // One second of 6 kHz at 22050 Hz: a nearest-sample conversion would add
    // an image at 22050 - 6000 = 16050 Hz.
    ToneWave w{.rate = 22050, .spans = {{6000, 2.0, 0.5}}};
    const std::vector<uint8_t> bytes = w.bytes();
    const size_t data = bytes.size() - 2 * 22050 * 2;
    auto parts = buffer->lock(0, buffer->size());
    std::copy_n(bytes.begin() + static_cast<long>(data), parts.first.size(), parts.first.begin());
    buffer->unlock();
    buffer->play();
    Recording r;
    r.samples.resize(48000 * 2);
    for (size_t at = 0; at < r.samples.size(); at += 960 * 2)
        mixer.render({r.samples.data() + at, 960 * 2}, {48000, 2});
    const double tone = toneLevel(r, 6000, 0.1, 0.9);
    EXPECT_NEAR(tone, 0.5, 0.05);
    EXPECT_LT(toneLevel(r, 16050, 0.1, 0.9), tone / 300);
    // Both channels carry it.
    for (size_t i = 48000; i < 48100; i += 2) EXPECT_EQ(r.samples[i], r.samples[i + 1]);
    uint32_t play = 0;
    uint32_t write = 0;
    buffer->position(play, write);
    EXPECT_NEAR(static_cast<double>(play), 22050 * 2, 2 * 600);
    EXPECT_GT(write, play);
}

// Resampled tones through the converter alone: what passes, what must not
// fold back below the output's Nyquist frequency.
double resampledLevel(int inRate, int outRate, double frequency, double measured) {
    Resampler resampler(1, inRate, outRate);
    double phase = 0;
    Recording r{outRate, 1, {}};
    std::vector<float> out(static_cast<size_t>(outRate));
    const size_t got = resampler.read(out.data(), out.size(), [&](float* d, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            d[i] = static_cast<float>(0.5 * std::sin(phase));
            phase += 2 * std::numbers::pi * frequency / inRate;
        }
        return n;
    });
    EXPECT_EQ(got, out.size());
    for (float v : out) r.samples.push_back(static_cast<int16_t>(std::lround(v * 32767)));
    return toneLevel(r, measured, 0.1, 0.9);
}

TEST(Mixer, TheRateConverterPassesTheBandAndFoldsNothingBack) {
    EXPECT_NEAR(resampledLevel(22050, 48000, 1000, 1000), 0.5, 0.01);
    EXPECT_NEAR(resampledLevel(44100, 48000, 5000, 5000), 0.5, 0.01);
    EXPECT_NEAR(resampledLevel(48000, 22050, 3000, 3000), 0.5, 0.01);
    // 15 kHz cannot be played at 22050 Hz: it must not come back at 7050 Hz.
    EXPECT_LT(resampledLevel(48000, 22050, 15000, 7050), 0.5 / 1000);
    // The images of 8 kHz at 22050 Hz (14050 and 30100 Hz) stay out.
    EXPECT_LT(resampledLevel(22050, 48000, 8000, 14050), 0.5 / 300);
}

TEST(Mixer, AFormatItCannotPlayGetsNoRing) {
    AudioMixer mixer;
    EXPECT_EQ(mixer.createBuffer(WaveFormat::pcm(1, 22050, 16), 44100), nullptr);
    mixer.setOutputFormat({48000, 2});
    EXPECT_EQ(mixer.createBuffer(WaveFormat::pcm(1, 22050, 12), 44100), nullptr);
    EXPECT_EQ(mixer.createBuffer(WaveFormat::pcm(9, 22050, 16), 44100), nullptr);
    EXPECT_EQ(mixer.createBuffer(WaveFormat::pcm(2, 0, 16), 44100), nullptr);
    EXPECT_NE(mixer.createBuffer(WaveFormat::pcm(2, 44100, 8), 44100), nullptr);
}

// Unsigned 8-bit samples centre on 128: 128 is silence, 0 the lowest value.
TEST(Mixer, EightBitSamplesAreCentredOn128) {
    AudioMixer mixer;
    mixer.setOutputFormat({48000, 1});
    auto ring = mixer.createBuffer(WaveFormat::pcm(1, 48000, 8), 4096);
    ASSERT_NE(ring, nullptr);
    auto parts = ring->lock(0, ring->size());
    for (size_t i = 0; i < parts.first.size(); ++i) parts.first[i] = i < 256 ? 0x80 : (i < 512 ? 0x00 : 0xC0);
    ring->unlock();
    ring->play();
    std::vector<int16_t> out(768);
    mixer.render(out, {48000, 1});
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[255], 0);
    EXPECT_EQ(out[256], -32768);
    EXPECT_EQ(out[600], 16384); // 0xC0: half way up
}

// The play cursor goes from the ring's last frame straight to its first.
TEST(Mixer, PlayingWrapsFromTheLastFrameOfTheRingToTheFirst) {
    AudioMixer mixer;
    mixer.setOutputFormat({48000, 1});
    auto ring = mixer.createBuffer(WaveFormat::pcm(1, 48000, 8), 512);
    ASSERT_NE(ring, nullptr);
    auto parts = ring->lock(0, ring->size());
    ASSERT_EQ(parts.first.size(), 512u);
    for (size_t i = 0; i < 512; ++i) parts.first[i] = static_cast<uint8_t>(i * 7);
    ring->unlock();
    ring->play();
    std::vector<int16_t> out(1200);
    mixer.render(out, {48000, 1});
    for (size_t k = 0; k < out.size(); ++k)
        ASSERT_EQ(out[k], (static_cast<uint8_t>((k % 512) * 7) - 128) * 256) << k;
}

TEST(Mixer, HoldsAtMostItsNumberOfRingsAndFreesASlotOnRemoval) {
    AudioMixer mixer;
    mixer.setOutputFormat({48000, 2});
    std::vector<std::shared_ptr<SoundBuffer>> rings;
    for (size_t i = 0; i < AudioMixer::kMaxBuffers; ++i) {
        rings.push_back(mixer.createBuffer(WaveFormat::pcm(2, 48000, 16), 4096));
        ASSERT_NE(rings.back(), nullptr) << i;
        rings.back()->play();
    }
    EXPECT_EQ(mixer.createBuffer(WaveFormat::pcm(2, 48000, 16), 4096), nullptr);
    std::vector<int16_t> out(2 * 256);
    mixer.render(out, {48000, 2}); // every ring mixed, none past the snapshot
    mixer.remove(rings.front());
    EXPECT_NE(mixer.createBuffer(WaveFormat::pcm(2, 48000, 16), 4096), nullptr);
}

// Starts, fades and stops channels in a tight loop while three tracks
// stream; ThreadSanitizer watches.
TEST_F(Playback, StressStartsFadesAndStopsWhileThreeTracksStream) {
    add("A.WAV", ToneWave{.spans = {{500, 1.5}}, .loops = {{100, 20000, 0}}});
    add("B.WAV", ToneWave{.rate = 44100, .channels = 2, .spans = {{700, 0.3}}});
    add("C.WAV", ToneWave{.rate = 11025, .bits = 8, .spans = {{900, 0.2}}});
    manager_.play(0, "A.WAV", true);
    manager_.play(1, "B.WAV", true);
    manager_.play(2, "C.WAV", false);
    const auto end = std::chrono::steady_clock::now() + 3s;
    int round = 0;
    while (std::chrono::steady_clock::now() < end) {
        const int channel = 3 + round % 5;
        manager_.play(channel, round % 2 ? "B.WAV" : "C.WAV", round % 3 == 0);
        manager_.setApplicationActive(round % 7 != 0);
        if (round % 4 == 0) manager_.stop(3 + (round + 2) % 5);
        if (round % 9 == 0) manager_.track(channel)->fadeStage(0, 3000, 20);
        if (round % 11 == 0) manager_.reportFailures();
        manager_.isPlaying(channel);
        ++round;
    }
    manager_.setApplicationActive(true);
    EXPECT_GT(round, 20);
    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(manager_.isPlaying(0), 1);
}

} // namespace
} // namespace fer::test
