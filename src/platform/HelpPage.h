#pragma once
// What the "Help" menu item shows: the keys the player uses (what to press,
// then what it does) and the about part, with the box's caption and the
// label of its button, all in the game's language.

#include <string>
#include <utility>
#include <vector>

namespace fer {

struct HelpPage {
    std::string title;
    std::string keysHeading;
    std::vector<std::pair<std::string, std::string>> keys;
    std::string aboutHeading;
    std::string about;
    std::string ok;
};

} // namespace fer
