#include "files/NameCharset.h"

#include "core/BuildVariant.h"

namespace fer {

NameCharset nameCharsetFor(std::string_view iconvCharset) {
    return iconvCharset == kShiftJisVariant.iconvCharset ? NameCharset::kShiftJis
                                                         : NameCharset::kGbk;
}

const char* iconvNameOf(NameCharset charset) {
    return charset == NameCharset::kShiftJis ? kShiftJisVariant.iconvCharset
                                             : kGb2312Variant.iconvCharset;
}

bool isNameLeadByte(uint8_t b, NameCharset charset) {
    return charset == NameCharset::kShiftJis ? kShiftJisVariant.isLeadByte(b)
                                             : kGb2312Variant.isLeadByte(b);
}

size_t characterLength(std::string_view name, size_t at, NameCharset charset) {
    return at + 1 < name.size() && isNameLeadByte(static_cast<uint8_t>(name[at]), charset) ? 2
                                                                                          : 1;
}

} // namespace fer
