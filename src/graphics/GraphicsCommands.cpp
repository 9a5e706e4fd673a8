#include "graphics/GraphicsCommands.h"

#include <algorithm>
#include <span>

#include "files/FileMessages.h"

namespace fer {

namespace {

// 16-bit registers of the graphics commands.
// 32-bit register: where picture files go, counted from 0x1000.

constexpr uint32_t kAnimated = PaletteManager::kAnimatedEntries;

// Sets all four bytes of entries [first, first + count) to value.
void fillEntries(Palette& p, uint64_t first, uint64_t count, uint8_t value) {
    const uint64_t end = std::min<uint64_t>(first + count, p.size());
    for (uint64_t i = first; i < end; ++i) p[i] = {value, value, value, value};
}

uint16_t low16(uint32_t v) {
    return static_cast<uint16_t>(v & 0xFFFF);
}

} // namespace

GraphicsCommands::GraphicsCommands(ScriptMemory& memory, PlaneSet& planes,
                                   PaletteManager& palette, GraphicsHost& host,
                                   ImageLoader::Format format, NameCharset nameCharset)
    : memory_(memory), planes_(planes), palette_(palette), host_(host), nameCharset_(nameCharset),
      loader_(format), blocks_(planes, host) {}

void GraphicsCommands::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, kLoadImage, Subsystem::kGraphics,
              [this](const ArgumentList& args) { loadImage(args); });
    table.add(CommandKind::kSystem, kPalette, Subsystem::kGraphics,
              [this](const ArgumentList& args) { paletteCommand(args); });
    table.add(CommandKind::kSystem, kBlockTransfer, Subsystem::kGraphics,
              [this](const ArgumentList& args) { blockTransferCommand(args); });
}

int GraphicsCommands::loadImage(const ArgumentList& args) {
    ScriptMemory& memory = memory_;
    const std::string_view name = args.text(0);
    host_.setCurrentFileName(GraphicsHost::kPictureNameSlot, name);

    const uint64_t offset = uint64_t{ScriptMemory::kCodeBase} + memory.reg32(reg32::kPictureOffset);
    if (offset >= ScriptMemory::kSize) {
        host_.fatalError(file_text::kReadFailed, printableName(name, nameCharset_));
        return 0;
    }
    if (host_.loadPicture(name, static_cast<uint32_t>(offset)) == 0) return 0;

    // Entries the file does not hold keep the working palette's colours.
    Palette colours = working_;
    const unsigned planeIndex = memory.reg16(reg16::kPlane);
    const std::span<const uint8_t> file = memory.bytes().subspan(static_cast<size_t>(offset));
    loader_.loadImage(file, colours, planes_[planeIndex], memory.reg16(reg16::kImageX),
                      memory.reg16(reg16::kImageY));

    const PictureRect r = loader_.lastRect();
    memory.setReg16(reg16::kLoadedX, r.x);
    memory.setReg16(reg16::kLoadedY, r.y);
    memory.setReg16(reg16::kLoadedWidth, r.width);
    memory.setReg16(reg16::kLoadedHeight, r.height);

    if (memory.controlBits(control::kTakePalette)) {
        for (size_t i = 0; i < working_.size(); ++i) {
            working_[i].red = colours[i].red;
            working_[i].green = colours[i].green;
            working_[i].blue = colours[i].blue;
        }
    }
    if (planeIndex == 0) host_.present(r.x, r.y, r.width, r.height);
    return 1;
}

void GraphicsCommands::paletteCommand(const ArgumentList& args) {
    ScriptMemory& memory = memory_;
    waitFade();
    if (memory.controlBits(control::kKeepPalette)) saved_ = working_;

    const uint32_t n = args.count();
    const uint32_t p1 = args.value(1);
    const uint32_t p2 = args.value(2);
    const uint32_t p3 = args.value(3);
    const auto fillAll = [&](uint32_t value) {
        fillEntries(working_, 0, kAnimated, static_cast<uint8_t>(value));
    };
    switch (args.value(0)) {
    case 0:
        if (n > 1) fillAll(p1);
        palette_.writeTarget(working_);
        setNow(0, kAnimated);
        break;
    case 1:
        if (n > 1) fillAll(p1);
        palette_.writeTarget(working_);
        setFadeSpeed(16);
        fadeAndWait(0, kAnimated);
        break;
    case 2:
        palette_.writeTarget(working_);
        setFadeSpeed(16);
        fadeAndWait(p1, p2);
        break;
    case 3:
        palette_.readTarget(working_);
        fillEntries(working_, p2, p3, static_cast<uint8_t>(p1));
        palette_.writeTarget(working_);
        setFadeSpeed(16);
        fadeAndWait(p2, p3);
        break;
    case 4:
        if (n > 1) fillAll(p1);
        palette_.writeTarget(working_);
        setFadeSpeed(fadeSpeed_);
        startFade(0, kAnimated);
        break;
    case 5:
        palette_.writeTarget(working_);
        setNow(p1, p2);
        break;
    case 6:
        palette_.writeTarget(working_);
        setFadeSpeed(fadeSpeed_);
        startFade(p1, p2);
        break;
    case 7:
        if (n > 2) fillAll(p2);
        palette_.writeTarget(working_);
        setFadeSpeed(static_cast<uint8_t>(p1));
        fadeAndWait(0, kAnimated);
        break;
    default: break;
    }
    if (memory.controlBits(control::kTakePalette)) working_ = saved_;
}

void GraphicsCommands::blockTransferCommand(const ArgumentList& args) {
    const ScriptMemory& memory = memory_;
    uint16_t p[12];
    for (int i = 0; i < 12; ++i) p[i] = low16(args.value(i));
    const uint32_t mode = args.value(0);
    const auto w = static_cast<uint16_t>(p[3] - p[1] + 1);
    const auto h = static_cast<uint16_t>(p[4] - p[2] + 1);

    BlockRequest r;
    r.mode = mode;
    r.sx = p[1];
    r.sy = p[2];
    r.w = w;
    r.h = h;
    uint32_t written = 0;
    uint16_t px = p[6];
    uint16_t py = p[7];
    switch (mode) {
    case BlockTransfer::kCopy:
    case BlockTransfer::kTransparentCopy:
    case BlockTransfer::kExchange:
    case BlockTransfer::kDissolve:
        r.src = p[5];
        r.dx = p[6];
        r.dy = p[7];
        r.dst = p[8];
        if (mode == BlockTransfer::kTransparentCopy) r.colour = memory.reg16(reg16::kColourKey);
        written = p[8];
        break;
    case BlockTransfer::kFill:
    case BlockTransfer::kColourExchange:
        r.src = memory.reg16(reg16::kPlane);
        r.colour = memory.reg16(reg16::kColours);
        written = r.src;
        px = p[1];
        py = p[2];
        break;
    case BlockTransfer::kCompose:
        r.src = p[5];
        r.dx = p[6];
        r.dy = p[7];
        r.dst = p[8];
        r.x3 = p[9];
        r.y3 = p[10];
        r.plane3 = p[11];
        r.colour = memory.reg16(reg16::kColourKey);
        written = p[11];
        px = p[9];
        py = p[10];
        break;
    default: return;
    }
    blocks_.blockTransfer(r);
    if (memory.controlBits(control::kAutoPresent) && written == 0) host_.present(px, py, w, h);
}

void GraphicsCommands::showPaletteChangesNow() {
    if (!palette_.takeChange(screen_)) return;
    host_.setScreenPalette(screen_);
    host_.present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
}

void GraphicsCommands::setNow(uint32_t first, uint32_t count) {
    palette_.applyRange(first, count);
    showPaletteChanges();
    host_.refreshTextColours(palette_.current());
}

void GraphicsCommands::fadeAndWait(uint32_t first, uint32_t count) {
    startFade(first, count);
    waitFade();
}

void GraphicsCommands::waitFade() {
    waitWhileFading();
    host_.refreshTextColours(palette_.current());
}

void GraphicsCommands::waitWhileFading() {
    while (palette_.fadeActive()) {
        showPaletteChanges();
        if (host_.pump() == 0) break;
    }
    showPaletteChanges();
}

} // namespace fer
