#include "graphics/AnimationChannels.h"

#include "core/ScriptRegisters.h"

namespace fer {

namespace {
constexpr uint8_t kSourceBit = 0x02;  // read plane 1, else plane 0
constexpr uint8_t kTargetBit = 0x01;  // write plane 1, else plane 0 (compose: the background)
constexpr uint8_t kOutputBit = 0x04;  // compose: write plane 1, else plane 0

uint32_t planeOf(uint8_t bits, uint8_t bit) {
    return (bits & bit) ? 1 : 0;
}
} // namespace

void AnimationChannels::registerWith(CommandTable& table) {
    table.add(CommandKind::kSystem, kCommand, Subsystem::kAnimation,
              [this](const ArgumentList& args) { command(args); });
}

void AnimationChannels::command(const ArgumentList& args) {
    const uint32_t op = args.value(0);
    const uint32_t n = args.value(1);
    // A channel number outside 0..9 names no channel.
    const bool one = n < kChannels;
    switch (op) {
    case 0:
        if (!one) break;
        channels_[n].state = AnimationChannel::kIdle;
        channels_[n].delay = 0;
        load(channels_[n], n);
        break;
    case 1:
        if (one) channels_[n].state = AnimationChannel::kIgnoringStopMarks;
        break;
    case 2:
        if (one) channels_[n].state = AnimationChannel::kUntilStopMark;
        break;
    case 3:
        if (one) channels_[n].state = AnimationChannel::kIdle;
        break;
    case 4:
        if (!one) break;
        channels_[n].state = AnimationChannel::kAwaited;
        // The ticks go on in the pump's sync point.
        while (channels_[n].state != AnimationChannel::kIdle && host_.pump() != 0) {
        }
        break;
    case 5:
        for (auto& c : channels_)
            if (c.state != AnimationChannel::kIdle) c.state = AnimationChannel::kUntilStopMark;
        break;
    case 6:
        for (auto& c : channels_) c.state = AnimationChannel::kIdle;
        break;
    case 7:
        // Shows each running channel's first step now, whether or not the
        // animate bit lets the ticks run, and leaves it at its start.
        for (size_t i = 0; i < kChannels; ++i) {
            AnimationChannel& c = channels_[i];
            if (c.state == AnimationChannel::kIdle || c.pc == 0) continue;
            load(c, static_cast<uint32_t>(i));
            step(i);
            load(c, static_cast<uint32_t>(i));
        }
        break;
    default: break;
    }
}

void AnimationChannels::load(AnimationChannel& c, uint32_t program) {
    const uint64_t a = base();
    c.program = a + kProgramBase + memory_.word(a + kProgramTable + 2ull * program);
    c.pc = 0;
    c.loopStart1 = c.loopStart2 = 0;
    c.loopCount1 = c.loopCount2 = 0;
}

void AnimationChannels::tick() {
    if ((memory_.controlWord() & control::kAnimate) == 0) return;
    for (size_t i = 0; i < kChannels; ++i)
        if (channels_[i].state != AnimationChannel::kIdle) step(i);
}

uint8_t AnimationChannels::next(AnimationChannel& c) {
    // Outside the script memory a program reads 0 (nothing) everywhere.
    return memory_.byte(c.program + c.pc++);
}

void AnimationChannels::step(size_t n) {
    if (n >= kChannels) return;
    AnimationChannel& c = channels_[n];
    if (c.delay > 0) {
        --c.delay;
        return;
    }
    const uint8_t code = next(c);
    switch (code) {
    case kNothing: break;
    case kStopMark:
        if (c.state == AnimationChannel::kUntilStopMark) c.state = AnimationChannel::kIdle;
        break;
    case kDelay: c.delay = next(c); break;
    case kRestart: c.pc = 0; break;
    case kStop:
    case kEnd: c.state = AnimationChannel::kIdle; break;
    case kLoop1:
        c.loopCount1 = next(c);
        c.loopStart1 = c.pc;
        break;
    case kRepeat1:
        if (c.loopCount1-- != 1) c.pc = c.loopStart1;
        break;
    case kLoop2:
        c.loopCount2 = next(c);
        c.loopStart2 = c.pc;
        break;
    case kRepeat2:
        if (c.loopCount2-- != 1) c.pc = c.loopStart2;
        break;
    case kPalette: {
        const uint32_t low = next(c);
        const uint32_t high = next(c);
        setPalette(low | high << 8);
        break;
    }
    default: draw(code); break;
    }
}

void AnimationChannels::setPalette(uint32_t offset) {
    // Triples of blue, red, green.
    const uint64_t at = base() + kProgramBase + offset;
    Palette colours = palette_.target();
    for (uint32_t i = 0; i < kPaletteEntries; ++i) {
        colours[i].blue = memory_.byte(at + 3ull * i);
        colours[i].red = memory_.byte(at + 3ull * i + 1);
        colours[i].green = memory_.byte(at + 3ull * i + 2);
    }
    palette_.writeTarget(colours);
    graphics_.setNow(0, kPaletteEntries);
}

void AnimationChannels::draw(uint8_t code) {
    const uint64_t at = base() + kStepRecords + uint64_t{kStepRecordSize} * code;
    const uint8_t head = memory_.byte(at);
    // x, y, w, h, destination x, y, output x, y.
    uint16_t f[8];
    for (int i = 0; i < 8; ++i) f[i] = memory_.word(at + 1 + 2ull * i);
    const uint8_t bits = head & 0x0F;
    switch (head & 0xF0) {
    case kCopy:
        // A copy goes on as a transparent copy, and that as a compose.
        copy(bits, BlockTransfer::kCopy, f);
        [[fallthrough]];
    case kTransparentCopy:
        copy(bits, BlockTransfer::kTransparentCopy, f);
        compose(bits, f);
        break;
    case kExchange: {
        BlockRequest r;
        r.mode = BlockTransfer::kExchange;
        r.sx = f[0], r.sy = f[1], r.w = f[2], r.h = f[3];
        r.src = planeOf(bits, kSourceBit);
        r.dx = f[4], r.dy = f[5];
        r.dst = planeOf(bits, kTargetBit);
        blocks_.blockTransfer(r);
        host_.present(f[4], f[5], f[2], f[3]);
        break;
    }
    case kCompose: compose(bits, f); break;
    case kFill: {
        BlockRequest r;
        r.mode = BlockTransfer::kFill;
        r.sx = f[0], r.sy = f[1], r.w = f[2], r.h = f[3];
        r.src = planeOf(bits, kSourceBit);
        r.colour = static_cast<uint16_t>((f[4] & 0xFF) << 8); // the fill colour is byte 9
        blocks_.blockTransfer(r);
        if ((bits & kSourceBit) == 0) host_.present(f[0], f[1], f[2], f[3]);
        break;
    }
    default: break;
    }
}

void AnimationChannels::copy(uint8_t bits, uint32_t mode, const uint16_t* f) {
    BlockRequest r;
    r.mode = mode;
    r.sx = f[0], r.sy = f[1], r.w = f[2], r.h = f[3];
    r.src = planeOf(bits, kSourceBit);
    r.dx = f[4], r.dy = f[5];
    r.dst = planeOf(bits, kTargetBit);
    r.colour = memory_.reg16(reg16::kColourKey);
    blocks_.blockTransfer(r);
    if ((bits & kTargetBit) == 0) host_.present(f[4], f[5], f[2], f[3]);
}

void AnimationChannels::compose(uint8_t bits, const uint16_t* f) {
    BlockRequest r;
    r.mode = BlockTransfer::kCompose;
    r.sx = f[0], r.sy = f[1], r.w = f[2], r.h = f[3];
    r.src = planeOf(bits, kSourceBit);
    r.dx = f[4], r.dy = f[5];
    r.dst = planeOf(bits, kTargetBit);
    r.x3 = f[6], r.y3 = f[7];
    r.plane3 = planeOf(bits, kOutputBit);
    r.colour = memory_.reg16(reg16::kColourKey);
    blocks_.blockTransfer(r);
    if ((bits & kOutputBit) == 0) host_.present(f[6], f[7], f[2], f[3]);
}

} // namespace fer
