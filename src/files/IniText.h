#pragma once
// The text of a settings file, read and edited the way the classic
// private-profile functions do it: names compared without regard to ASCII
// case and surrounding blanks, values trimmed and unquoted, `;` comments only
// at the start of a line, the first of duplicate sections and keys wins, and
// LF, CRLF and CR line ends all read. Bytes are never reinterpreted, so
// double-byte text in values passes through unchanged.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fer::ini {

// The value of key in section, trimmed and with one pair of matching quotes
// removed; nullopt when the section or key is missing.
std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key);

// Leading digits with an optional sign, wrapping at 32 bits; 0 without digits.
int32_t parseInt(std::string_view value);

// True when name can be written as a section or key name, and value as a
// value, without changing the structure of the file.
bool isWritableName(std::string_view name);
bool isWritableValue(std::string_view value);

// The text with key in section set to value. An existing line keeps its key
// spelling and line end and only its value changes; a missing key goes after
// the last entry of its section, a missing section at the end, with CRLF line
// ends. Every other byte is kept.
std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

} // namespace fer::ini
