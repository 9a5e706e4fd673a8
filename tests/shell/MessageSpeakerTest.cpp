#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/MessageSpeaker.h"

namespace fer {
namespace {

// What the speaker asked the service to say, with the language.
struct HeardSpeech final : SpeechService {
    bool available() const override { return true; }
    std::string whyUnavailable() const override { return {}; }
    void say(std::string_view text, std::string_view language, SpeechPriority) override {
        said.push_back(std::string(language) + "|" + std::string(text));
    }
    void cancel() override { said.push_back("cancel"); }
    std::vector<std::string> said;
};

GameMessage message(std::string text, std::string speaker = "", std::string voice = "",
                    bool choice = false) {
    GameMessage m;
    m.text = std::move(text);
    m.speaker = std::move(speaker);
    m.voice = std::move(voice);
    m.choice = choice;
    return m;
}

TEST(MessageSpeaker, SpeaksInTheGamesLanguageSkipsVoicedLinesAndNumbersChoices) {
    HeardSpeech speech;
    MessageSpeaker speaker(speech, EngineLanguage::kJapanese);
    speaker.messageShown(message("off")); // off by default
    speaker.setEnabled(true);
    speaker.messageShown(message("你好\n再见", "小芳"));
    speaker.messageShown(message("voiced", "", "V01.WAV"));
    speaker.messageShown(message("北\n\n南", "", "", true));
    speaker.setOverVoices(true);
    speaker.messageShown(message("voiced", "", "V01.WAV"));
    speaker.setEnabled(false);
    speaker.speakNow(message("history")); // read on request even when off
    EXPECT_EQ(speech.said, (std::vector<std::string>{"ja|小芳：你好\n再见", "ja|1. 北\n2. 南\n",
                                                     "ja|voiced", "cancel", "ja|history"}));
    HeardSpeech chinese;
    MessageSpeaker(chinese, EngineLanguage::kChinese).speakNow(message("字"));
    EXPECT_EQ(chinese.said, std::vector<std::string>{"zh|字"});
}

} // namespace
} // namespace fer
