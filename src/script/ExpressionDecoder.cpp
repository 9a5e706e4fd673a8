#include "script/ExpressionDecoder.h"

#include "core/Opcodes.h"

#include <cstdio>
#include <vector>

namespace fer::mes {

namespace {

constexpr int kAtom = 9; // binds tighter than every operator

struct Node {
    std::string text;
    int level;
    bool constant;
};

std::string parenthesized(Node&& n) {
    return "(" + std::move(n.text) + ")";
}

} // namespace

std::string formatNumber(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, v < 0x10000 ? "%u" : "0x%X", v);
    return buf;
}

std::optional<std::string> ExpressionDecoder::decode(std::span<const uint8_t> code, size_t p,
                                                     size_t end) {
    std::vector<Node> stack;
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(code[at] | code[at + 1] << 8); };
    size_t q = p;
    while (q + 1 < end) {
        uint8_t b = code[q++];
        if (ex::isLiteralByte(b)) {
            char buf[16];
            if (b <= 0x7F)
                std::snprintf(buf, sizeof buf, "%u", b);
            else
                std::snprintf(buf, sizeof buf, "0x%X:b", b);
            stack.push_back({buf, kAtom, true});
        } else if (b == ex::kWord) {
            uint32_t v = u16(q);
            q += 2;
            stack.push_back({formatNumber(v) + (v <= 0x7F ? ":w" : ""), kAtom, true});
        } else if (b == ex::kDword) {
            uint32_t v = u16(q) | u16(q + 2) << 16;
            q += 4;
            stack.push_back({formatNumber(v) + (v <= 0xFFFF ? ":d" : ""), kAtom, true});
        } else if (b == ex::kReg16 || b == ex::kReg32) {
            std::string name = b == ex::kReg16 ? "r16[" : "r32[";
            stack.push_back({name + std::to_string(code[q++]) + "]", kAtom, false});
        } else if (b == ex::kFlagConst) {
            stack.push_back({"flag[" + std::to_string(u16(q)) + "]", kAtom, false});
            q += 2;
        } else if (b == ex::kRandom) {
            stack.push_back({"random(" + std::to_string(u16(q)) + ")", kAtom, false});
            q += 2;
        } else if (b == ex::kFlagComputed) {
            if (stack.empty()) return std::nullopt;
            Node& n = stack.back();
            n.text =
                (n.constant ? "flag(" : "flag[") + std::move(n.text) + (n.constant ? ")" : "]");
            n.level = kAtom;
            n.constant = false;
        } else if (b == ex::kDim8 || b == ex::kDim16 || b == ex::kDim32) {
            if (stack.empty()) return std::nullopt;
            Node& n = stack.back();
            const char* name = b == ex::kDim8 ? "dim8[" : b == ex::kDim16 ? "dim16[" : "dim32[";
            n.text = name + std::to_string(code[q++]) + "][" + std::move(n.text) + "]";
            n.level = kAtom;
            n.constant = false;
        } else if (const BinaryOperator* found = binaryOperator(b)) {
            if (stack.size() < 2) return std::nullopt;
            const BinaryOperator& op = *found;
            Node right = std::move(stack.back());
            stack.pop_back();
            Node& left = stack.back();
            if (left.level < op.level) left.text = parenthesized(std::move(left));
            left.text += ' ';
            left.text += op.spelling;
            left.text += ' ';
            left.text += right.level <= op.level ? parenthesized(std::move(right)) : right.text;
            left.level = op.level;
            left.constant = left.constant && right.constant;
        } else {
            return std::nullopt;
        }
    }
    if (q + 1 != end || code[q] != ex::kEndOfExpression || stack.size() != 1) return std::nullopt;
    return std::move(stack.back().text);
}

} // namespace fer::mes
