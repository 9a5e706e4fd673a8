#include "sound/SoundCommands.h"

#include <string>

#include "core/KeyIndex.h"
#include "core/ScriptRegisters.h"

namespace fer {

void SoundCommands::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, 5, Subsystem::kSound,
              [this](const ArgumentList& args) { music(args); });
    table.add(CommandKind::kSystem, 6, Subsystem::kSound,
              [this](const ArgumentList& args) { voice(args); });
}

void SoundCommands::music(const ArgumentList& args) {
    const std::string name(args.text(1));
    names_.set(CurrentFileNames::kMusic, name);
    if (!settings_.musicEnabled || settings_.musicEnabled() == 0) return;
    switch (args.value(0)) {
    case 0: sound_.play(0, name, true); break;
    case 1:
        sound_.fadeStop(0);
        sound_.fadeStop(1);
        break;
    case 2: sound_.stop(0); break;
    case 3: sound_.play(1, name, true); break;
    case 4: sound_.stop(1); break;
    default: break;
    }
}

void SoundCommands::voice(const ArgumentList& args) {
    constexpr int kVoice = SoundControl::kVoiceChannel;
    const std::string name(args.text(1));
    names_.set(CurrentFileNames::kVoice, name);
    const uint32_t sub = args.value(0);
    if (sub != 2 && host_.keyDown(key::kSkip)) {
        if (sound_.isPlaying(kVoice)) sound_.stop(kVoice);
        return;
    }
    if (!settings_.voiceEnabled || settings_.voiceEnabled() == 0 ||
        !(memory_.controlWord() & control::kVoicesAllowed))
        return;
    switch (sub) {
    case 0:
        if (sound_.play(kVoice, name, false) != 0 && settings_.voiceStarted)
            settings_.voiceStarted(name);
        break;
    case 1: sound_.stop(kVoice); break;
    case 2:
        if (sound_.play(kVoice, name, false) == 0) break;
        if (settings_.voiceStarted) settings_.voiceStarted(name);
        while (host_.pump() != 0 && sound_.isPlaying(kVoice) != 0) {
        }
        break;
    default: break;
    }
}

} // namespace fer
