#pragma once
// Owns one iconv conversion descriptor.

#include <iconv.h>

#include <utility>

namespace fer::mes {

class IconvHandle {
  public:
    IconvHandle() = default;
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    IconvHandle(IconvHandle&& other) noexcept : cd_(std::exchange(other.cd_, invalid())) {}
    IconvHandle& operator=(IconvHandle&& other) noexcept {
        if (this != &other) {
            close();
            cd_ = std::exchange(other.cd_, invalid());
        }
        return *this;
    }
    ~IconvHandle() { close(); }

    bool valid() const { return cd_ != invalid(); }
    iconv_t get() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    void close() {
        if (valid()) iconv_close(cd_);
        cd_ = invalid();
    }

    iconv_t cd_ = invalid();
};

} // namespace fer::mes
