#include "script/ScriptMachine.h"

namespace fer {

namespace {
constexpr uint32_t kWordArray0Start = 0x08B8;  // 16-bit register 26
constexpr uint32_t kDwordArray0Start = 0x0958; // 32-bit register 26
} // namespace

void ScriptMachine::reset() {
    memory.clear();
    block_.fill(0);
    arguments.clear();
    procedures.fill({});
    choiceKeySlots.fill(0);
    choiceOpen = false;
    depth = 0;
    currentRecord = 0;

    memory.setReg16(reg16::kWordArray0First, 2832);
    memory.setReg16(reg16::kControlWord, control::kInitial);
    memory.setReg16(reg16::kAreaRight, 640);
    memory.setReg16(reg16::kAreaBottom, 480);
    memory.setReg16(reg16::kColours, 7);
    memory.setReg16(reg16::kFontWidth, 16);
    memory.setReg16(reg16::kFontHeight, 16);
    memory.setReg16(reg16::kAdvance, 16);
    memory.setReg16(reg16::kLineAdvance, 16);
    memory.setReg16(reg16::kImageX, 65535);
    memory.setReg16(reg16::kImageY, 65535);
    memory.setReg16(reg16::kColourKey, 8);
    memory.setReg32(reg32::kPictureOffset, 0x20000);

    block_[kWordMemory] = 0; // designates ScriptMemory offset 0
    setPc(ScriptMemory::kCodeBase);
    setCodeBase(ScriptMemory::kCodeBase);
    restoreReferences();
}

void ScriptMachine::restoreReferences() {
    memory.setDword(ScriptMemory::kWordArray0Ref, kWordArray0Start);
    memory.setReg32(reg32::kChoiceAddresses, blockReference(kWordChoiceAddress));
    memory.setReg32(reg32::kChoiceKeys, blockReference(kWordChoiceKeys));
    memory.setReg32(reg32::kBlockWord100, blockReference(100));
    memory.setReg16(reg16::kWordArray0First, 2832);
    memory.setReg32(reg32::kCodeAddress, ScriptMemory::kCodeBase);
}

uint32_t ScriptMachine::readThrough(uint32_t reference, uint64_t offset, unsigned width) const {
    if (reference < ScriptMemory::kSize) {
        const uint64_t at = uint64_t{reference} + offset;
        switch (width) {
        case 1: return memory.byte(at);
        case 2: return memory.word(at);
        default: return memory.dword(at);
        }
    }
    if (reference >= kBlockReferenceBase && reference - kBlockReferenceBase < kBlockBytes) {
        const uint64_t at = uint64_t{reference - kBlockReferenceBase} + offset;
        if (at > kBlockBytes || width > kBlockBytes - at) return 0;
        uint32_t v = 0;
        std::memcpy(&v, reinterpret_cast<const uint8_t*>(block_.data()) + at, width);
        return v;
    }
    return 0;
}

void ScriptMachine::writeThrough(uint32_t reference, uint64_t offset, unsigned width,
                                 uint32_t value) {
    if (reference < ScriptMemory::kSize) {
        const uint64_t at = uint64_t{reference} + offset;
        switch (width) {
        case 1: memory.setByte(at, static_cast<uint8_t>(value)); break;
        case 2: memory.setWord(at, static_cast<uint16_t>(value)); break;
        default: memory.setDword(at, value); break;
        }
        return;
    }
    if (reference >= kBlockReferenceBase && reference - kBlockReferenceBase < kBlockBytes) {
        const uint64_t at = uint64_t{reference - kBlockReferenceBase} + offset;
        if (at > kBlockBytes || width > kBlockBytes - at) return;
        std::memcpy(reinterpret_cast<uint8_t*>(block_.data()) + at, &value, width);
    }
}

uint32_t ScriptMachine::wordArrayStart(uint8_t k) const {
    return k == 0 ? memory.dword(ScriptMemory::kWordArray0Ref) : memory.reg16(k - 1);
}

uint32_t ScriptMachine::dwordArrayStart(uint8_t k) const {
    return k == 0 ? kDwordArray0Start : memory.reg32(k - 1);
}

uint32_t ScriptMachine::byteElement(uint8_t k, uint32_t i) const {
    return memory.byte(uint64_t{memory.reg16(k)} + i);
}

void ScriptMachine::setByteElement(uint8_t k, uint32_t i, uint8_t v) {
    memory.setByte(uint64_t{memory.reg16(k)} + i, v);
}

uint32_t ScriptMachine::wordElement(uint8_t k, uint32_t i) const {
    return readThrough(wordArrayStart(k), uint64_t{i} * 2, 2);
}

void ScriptMachine::setWordElement(uint8_t k, uint32_t i, uint16_t v) {
    writeThrough(wordArrayStart(k), uint64_t{i} * 2, 2, v);
}

uint32_t ScriptMachine::dwordElement(uint8_t k, uint32_t i) const {
    return readThrough(dwordArrayStart(k), uint64_t{i} * 4, 4);
}

void ScriptMachine::setDwordElement(uint8_t k, uint32_t i, uint32_t v) {
    writeThrough(dwordArrayStart(k), uint64_t{i} * 4, 4, v);
}

} // namespace fer
