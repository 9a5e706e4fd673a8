#include "shell/CursorCommands.h"

namespace fer {

void CursorCommands::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, 2, Subsystem::kCursor,
              [this](const ArgumentList& args) { command(args); });
}

void CursorCommands::command(const ArgumentList& args) {
    auto coordinate = [&](size_t n) {
        return static_cast<int>(static_cast<int32_t>(args.value(n)));
    };
    const uint32_t op = args.value(0);
    if (op == 5) {
        animated_.select(args.value(1));
        return;
    }
    animated_.disable();
    switch (op) {
    case 0:
        if (!settings_.cursorShown()) {
            platform_.showCursor(true);
            settings_.setCursorShown(true);
        }
        break;
    case 1:
        if (settings_.cursorShown()) {
            platform_.showCursor(false);
            settings_.setCursorShown(false);
        }
        break;
    case 2: platform_.confineCursor(coordinate(1), coordinate(2), coordinate(3), coordinate(4)); break;
    case 3: {
        int x = 0, y = 0;
        platform_.cursorPosition(x, y);
        memory_.setReg16(reg16::kMouseX, static_cast<uint16_t>(x));
        memory_.setReg16(reg16::kMouseY, static_cast<uint16_t>(y));
        break;
    }
    case 4: platform_.moveCursor(coordinate(1), coordinate(2)); break;
    default: break;
    }
}

} // namespace fer
