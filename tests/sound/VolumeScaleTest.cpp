#include <gtest/gtest.h>

#include <vector>

#include "sound/SoundDeviceCheck.h"
#include "sound/SoundManager.h"
#include "sound/VolumeScale.h"

namespace fer {
namespace {

TEST(VolumeScale, LoudnessToAttenuationAtTheKnownPoints) {
    EXPECT_EQ(loudnessToAttenuation(6000), -351);
    EXPECT_EQ(loudnessToAttenuation(3000), -916);
    EXPECT_EQ(loudnessToAttenuation(100), -3848);
    EXPECT_EQ(loudnessToAttenuation(1), -8000);
    EXPECT_EQ(loudnessToAttenuation(0), -10000);
    EXPECT_EQ(loudnessToAttenuation(10000), 0);
    EXPECT_EQ(attenuationToLoudness(-351), 6005);
    EXPECT_EQ(attenuationToLoudness(0), 10000);
    EXPECT_EQ(attenuationToLoudness(-10000), 0);
}

TEST(VolumeScale, LoudnessRisesWithEveryStepAndComesBackClose) {
    int32_t last = loudnessToAttenuation(0);
    for (int32_t v = 1; v <= 10000; ++v) {
        const int32_t a = loudnessToAttenuation(v);
        ASSERT_GE(a, last) << v;
        last = a;
        if (v >= 100) {
            ASSERT_NEAR(attenuationToLoudness(a), v, v / 50 + 10) << v;
        }
    }
}

TEST(VolumeScale, StagesMultiplyAsFractionsOfFullScale) {
    const std::vector<int32_t> two{-5000, -5000};
    EXPECT_EQ(chainAttenuation(two), -7500);
    const std::vector<int32_t> three{-351, 0, -10000};
    EXPECT_EQ(chainAttenuation(three), -10000);
    const std::vector<int32_t> one{-916};
    EXPECT_EQ(chainAttenuation(one), -916);
    const std::vector<int32_t> head{-351, 0};
    EXPECT_EQ(chainAttenuation(head), -351);
    EXPECT_FLOAT_EQ(attenuationGain(-2000), 0.1f);
    EXPECT_EQ(attenuationGain(-10000), 0.0f);
    EXPECT_EQ(attenuationGain(0), 1.0f);
}

TEST(SoundManagerReport, NamesTheLowestListedBitAndShowsTheWholeWord) {
    EXPECT_EQ(SoundManager::failureMessage(2, 0x40000000),
              "查出了不正当的文件头部            \n不能继续声音的再生        \n"
              "详细代码  : Track 2 = 0x40000000");
    EXPECT_EQ(SoundManager::failureMessage(0, 0x40000004),
              "文件读入错误发生了                  \n不能继续声音的再生        \n"
              "详细代码  : Track 0 = 0x40000004");
    EXPECT_EQ(SoundManager::failureMessage(31, 0x00100000),
              "\n不能继续声音的再生        \n详细代码  : Track 31 = 0x00100000");
}

TEST(SoundDeviceCheck, MemoryABusyDeviceAndNoDriverGetABox) {
    EXPECT_EQ(soundDeviceFailureBox(AudioFailureReason::kOutOfMemory),
              "因为存储器不足  DirectSound的初期化失败了        ");
    EXPECT_EQ(soundDeviceFailureBox(AudioFailureReason::kDeviceBusy),
              "别的应用占有          DirectSound了              ");
    EXPECT_EQ(soundDeviceFailureBox(AudioFailureReason::kNoDriver),
              "DirectSound不能使用声音驱动器                ");
    EXPECT_EQ(soundDeviceFailureBox(AudioFailureReason::kNoDevice), "");
    EXPECT_EQ(soundDeviceFailureBox(AudioFailureReason::kOther), "");
}

} // namespace
} // namespace fer
