#pragma once
// Owns one iconv conversion descriptor and converts whole byte strings with
// it, each from the initial shift state.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <iconv.h>

namespace fer {

class IconvConverter {
  public:
    IconvConverter() = default;
    // Opens the conversion from the encoding from to the encoding to (iconv
    // names such as "UTF-8" or "CP936"); see valid().
    IconvConverter(const char* to, const char* from) { open(to, from); }
    ~IconvConverter() { close(); }
    IconvConverter(IconvConverter&& other) noexcept;
    IconvConverter& operator=(IconvConverter&& other) noexcept;
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // Replaces the conversion; false when iconv does not know one of the
    // encodings (the converter is then closed).
    bool open(const char* to, const char* from);
    bool valid() const { return cd_ != kClosed; }

    // Converts all of input, starting from the initial shift state and
    // ending with it. Empty when the converter is closed or some byte does
    // not convert (invalid or incomplete); then *stoppedAt, when given, is
    // the offset in input of the first byte that was not converted.
    std::optional<std::string> convert(std::string_view input, size_t* stoppedAt = nullptr);

  private:
    static inline const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);

    void close();

    iconv_t cd_ = kClosed;
};

} // namespace fer
