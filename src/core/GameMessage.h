#pragma once
// One message as the player reads it: what the scripts drew between two
// waits for the player (a wait for a key, or a choice).

#include <cstdint>
#include <string>

namespace fer {

struct GameMessage {
    std::string speaker;  // UTF-8; empty when no name plate was drawn
    std::string text;     // UTF-8; line breaks inside the message as '\n'
    std::string voice;    // the voice file started for it; empty without one
    std::string script;   // the script file in which it began
    uint32_t address = 0; // the script address at which it began
    bool choice = false;  // a choice: text holds its items, one per line
};

} // namespace fer
