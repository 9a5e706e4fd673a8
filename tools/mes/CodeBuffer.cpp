#include "CodeBuffer.h"

namespace fer::mes {

const SourceLocation* CodeBuffer::defineLabel(const std::string& name,
                                              const SourceLocation& where) {
    auto [it, inserted] = labels_.try_emplace(name, Label{static_cast<uint32_t>(size()), where});
    return inserted ? nullptr : &it->second.where;
}

void CodeBuffer::emitLabelTarget(const std::string& name, const SourceLocation& where) {
    fixups_.push_back({size(), name, where});
    emit32(0);
}

void CodeBuffer::resolve(std::vector<Diagnostic>& diagnostics) {
    for (const Fixup& f : fixups_) {
        auto it = labels_.find(f.label);
        if (it == labels_.end()) {
            diagnostics.push_back({f.where, "label '" + f.label + "' is never defined"});
        } else {
            patch32(f.at, it->second.offset);
        }
    }
    fixups_.clear();
}

} // namespace fer::mes
