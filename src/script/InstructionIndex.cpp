#include "script/InstructionIndex.h"

#include "script/Charset.h"
#include "core/Opcodes.h"

#include <algorithm>

namespace fer::mes {

namespace {
constexpr int64_t kUnknown = -2;
}

InstructionIndex::InstructionIndex(std::span<const uint8_t> code, const Charset& charset)
    : code_(code), charset_(charset), nextZero_(code.size() + 2, kNone),
      nextZeroSameParity_(code.size() + 2, kNone), expressionMemo_(code.size(), kUnknown),
      listMemo_(code.size(), kUnknown), argumentsMemo_(code.size(), kUnknown) {
    for (size_t i = code.size(); i-- > 0;) {
        nextZero_[i] = code[i] == 0 ? static_cast<int64_t>(i) : nextZero_[i + 1];
        nextZeroSameParity_[i] =
            code[i] == 0 ? static_cast<int64_t>(i) : nextZeroSameParity_[i + 2];
    }
}

bool InstructionIndex::isTextLead(uint8_t b) const {
    return b >= 0x81 && charset_.isLeadByte(b);
}

int64_t InstructionIndex::textTerminator(size_t p, bool doubleByte) const {
    if (p >= code_.size()) return kNone;
    return doubleByte ? nextZeroSameParity_[p] : nextZero_[p];
}

int64_t InstructionIndex::expressionEnd(size_t p) {
    if (p >= code_.size()) return kNone;
    if (expressionMemo_[p] == kUnknown) expressionMemo_[p] = scanExpression(p);
    return expressionMemo_[p];
}

int64_t InstructionIndex::scanExpression(size_t p) const {
    std::vector<int> depths; // tree depth of each value on the stack
    size_t limit = std::min(code_.size(), p + static_cast<size_t>(kMaxExpressionBytes));
    size_t q = p;
    while (q < limit) {
        uint8_t b = code_[q++];
        auto operand = [&](size_t n) {
            if (q + n > code_.size()) return false;
            q += n;
            return true;
        };
        auto pop = [&]() -> int {
            if (depths.empty()) return -1;
            int d = depths.back();
            depths.pop_back();
            return d;
        };
        auto push = [&](int d) {
            if (d > kMaxExpressionDepth) return false;
            depths.push_back(d);
            return true;
        };
        if (b == ex::kEndOfExpression) {
            return depths.size() == 1 ? static_cast<int64_t>(q) : kNone;
        }
        bool ok = true;
        if (ex::isLiteralByte(b)) {
            ok = push(1);
        } else if (b == ex::kReg16 || b == ex::kReg32) {
            ok = operand(1) && push(1);
        } else if (b == ex::kWord || b == ex::kFlagConst || b == ex::kRandom) {
            ok = operand(2) && push(1);
        } else if (b == ex::kDword) {
            ok = operand(4) && push(1);
        } else if (b == ex::kDim8 || b == ex::kDim16 || b == ex::kDim32) {
            int d = pop();
            ok = d >= 0 && operand(1) && push(d + 1);
        } else if (b == ex::kFlagComputed) {
            int d = pop();
            ok = d >= 0 && push(d + 1);
        } else if (b >= ex::kFirstOperator && b <= ex::kLastOperator) {
            int r = pop();
            int l = pop();
            ok = r >= 0 && l >= 0 && push(std::max(l, r) + 1);
        } else {
            ok = false;
        }
        if (!ok) return kNone;
    }
    return kNone;
}

int64_t InstructionIndex::listEnd(size_t p) {
    std::vector<size_t> chain;
    int64_t result = kNone;
    size_t q = p;
    while (true) {
        if (q >= code_.size()) break;
        if (listMemo_[q] != kUnknown) {
            result = listMemo_[q];
            break;
        }
        chain.push_back(q);
        int64_t e = expressionEnd(q);
        if (e == kNone || e >= static_cast<int64_t>(code_.size())) break;
        if (code_[e] == 0) {
            result = e + 1;
            break;
        }
        q = static_cast<size_t>(e) + 1;
    }
    for (size_t c : chain) listMemo_[c] = result;
    return result;
}

int64_t InstructionIndex::argumentsEnd(size_t p) {
    std::vector<size_t> chain;
    int64_t result = kNone;
    size_t q = p;
    while (true) {
        if (q >= code_.size()) break;
        if (argumentsMemo_[q] != kUnknown) {
            result = argumentsMemo_[q];
            break;
        }
        chain.push_back(q);
        uint8_t t = code_[q];
        if (t == tag::kEndOfList) {
            result = static_cast<int64_t>(q) + 1;
            break;
        }
        if (t == tag::kText) {
            int64_t z = textTerminator(q + 1, false);
            if (z == kNone) break;
            q = static_cast<size_t>(z) + 1;
        } else if (t == tag::kNumber) {
            int64_t e = expressionEnd(q + 1);
            if (e == kNone) break;
            q = static_cast<size_t>(e);
        } else {
            ++q;
        }
    }
    for (size_t c : chain) argumentsMemo_[c] = result;
    return result;
}

int64_t InstructionIndex::instructionEnd(size_t p) {
    const int64_t size = static_cast<int64_t>(code_.size());
    auto plus = [&](int64_t at, int64_t n) {
        return at == kNone || at + n > size ? kNone : at + n;
    };
    auto then = [&](int64_t at, auto next) {
        return at == kNone ? kNone : next(static_cast<size_t>(at));
    };
    auto list = [&](size_t at) { return listEnd(at); };
    auto args = [&](size_t at) { return argumentsEnd(at); };
    auto text = [&](size_t at, bool doubleByte) {
        int64_t z = textTerminator(at, doubleByte);
        return z == kNone ? kNone : z + 1;
    };
    if (p >= code_.size()) return kNone;
    uint8_t b = code_[p];
    switch (b) {
    case op::kEnd:
    case op::kChoiceLoop: return static_cast<int64_t>(p) + 1;
    case op::kText: return text(p + 1, true);
    case op::kSingleText: return text(p + 1, false);
    case op::kSetFlags: return then(plus(static_cast<int64_t>(p), 3), list);
    case op::kSetReg16:
    case op::kSetReg32: return then(plus(static_cast<int64_t>(p), 2), list);
    case op::kSetBytes: return then(expressionEnd(p + 1), list);
    case op::kSetDim8:
    case op::kSetDim16:
    case op::kSetDim32: return then(plus(expressionEnd(p + 1), 1), list);
    case op::kIfGoto: return plus(expressionEnd(p + 1), 4);
    case op::kGoto: return plus(static_cast<int64_t>(p), 5);
    case op::kSystem: return then(expressionEnd(p + 1), args);
    case op::kChangeScript:
    case op::kCallScript:
    case op::kCallProc:
    case op::kExternal: return argumentsEnd(p + 1);
    case op::kChoiceItem: return plus(argumentsEnd(p + 1), 4);
    case op::kTextControl: return plus(static_cast<int64_t>(p), 2);
    case op::kDefineProc: return plus(expressionEnd(p + 1), 4);
    default: return isTextLead(b) ? text(p, true) : kNone;
    }
}

} // namespace fer::mes
