#include "core/IconvConverter.h"

#include <string_view>

#include <cerrno>
#include <utility>

namespace fer {

IconvConverter::IconvConverter(IconvConverter&& other) noexcept
    : cd_(std::exchange(other.cd_, kClosed)) {}

IconvConverter& IconvConverter::operator=(IconvConverter&& other) noexcept {
    if (this != &other) {
        close();
        cd_ = std::exchange(other.cd_, kClosed);
    }
    return *this;
}

bool IconvConverter::open(const char* to, const char* from) {
    close();
    cd_ = iconv_open(to, from);
    // Some iconvs know the Chinese code page only by its other name.
    const auto other = [](const char* name) {
        return std::string_view(name) == "CP936" ? "GBK" : name;
    };
    if (!valid() && (other(to) != to || other(from) != from)) cd_ = iconv_open(other(to), other(from));
    return valid();
}

void IconvConverter::close() {
    if (valid()) iconv_close(cd_);
    cd_ = kClosed;
}

std::optional<std::string> IconvConverter::convert(std::string_view input, size_t* stoppedAt) {
    if (stoppedAt) *stoppedAt = 0;
    if (!valid()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr); // the initial shift state
    std::string output(input.size() * 4 + 16, '\0');
    size_t produced = 0;
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    bool flushing = false;
    while (true) {
        char* out = output.data() + produced;
        size_t outLeft = output.size() - produced;
        // With no input, iconv writes what returns to the initial state: an
        // incomplete sequence at the end shows up here at the latest.
        const size_t result = flushing ? iconv(cd_, nullptr, nullptr, &out, &outLeft)
                                       : iconv(cd_, &in, &inLeft, &out, &outLeft);
        produced = output.size() - outLeft;
        if (result == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            if (stoppedAt) *stoppedAt = static_cast<size_t>(in - input.data());
            return std::nullopt;
        }
        if (flushing) break;
        flushing = true;
    }
    output.resize(produced);
    return output;
}

} // namespace fer
