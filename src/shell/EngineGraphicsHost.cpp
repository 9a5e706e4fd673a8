#include "shell/EngineGraphicsHost.h"

#include "shell/EngineContext.h"

namespace fer {

void EngineGraphicsHost::present(int x, int y, int w, int h) {
    context_.present(x, y, w, h);
}

void EngineGraphicsHost::setScreenPalette(const Palette& colours) {
    context_.screenPalette = colours;
}

void EngineGraphicsHost::sleepMilliseconds(uint32_t ms) {
    context_.platform->sleepMilliseconds(static_cast<int>(ms));
}

int EngineGraphicsHost::pump() {
    return context_.host.pump();
}

int EngineGraphicsHost::loadPicture(std::string_view name, uint32_t offset) {
    return context_.files.loadPicture(name, context_.machine.memory, offset);
}

void EngineGraphicsHost::setCurrentFileName(int slot, std::string_view name) {
    context_.host.setCurrentFileName(slot, name);
}

void EngineGraphicsHost::refreshTextColours(const Palette& onScreen) {
    if (context_.text) context_.text->refreshTextColours(onScreen);
}

void EngineGraphicsHost::fatalError(std::string_view title, std::string_view text) {
    context_.fatalError(title, text);
}

} // namespace fer
