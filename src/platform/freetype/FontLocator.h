#pragma once
// Finds the font file for the text of a build: a file chosen by the player
// (command-line option or the [FerKite] FontFile setting) when there is one,
// else the first known default file that exists, else the font fontconfig
// matches for the build's language if it covers the test characters.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fer {

struct FontFile {
    std::string path;
    int faceIndex = 0;
};

class FontLocator {
  public:
    // The settings section and key that choose another font file.
    static constexpr const char* kSection = "FerKite";
    static constexpr const char* kKey = "FontFile";
    // The Debian package that provides the default font.
    static constexpr const char* kDefaultPackage = "fonts-unifont";

    // The code page decides the language: CP932 is Japanese, others Chinese.
    explicit FontLocator(std::string_view charset);
    // With an explicit list of default files (tests).
    FontLocator(std::string_view charset, std::vector<std::string> defaults);

    // The font file to use; empty with a reason in error when there is none.
    // A chosen file that does not exist is an error, not a reason to fall
    // back: the player asked for that font.
    std::optional<FontFile> locate(std::string_view chosen, std::string& error) const;

    // The default files for the charset, in order of preference.
    static std::vector<std::string> defaultFiles(std::string_view charset);
    // The font fontconfig matches for the language, if it has the test
    // characters.
    std::optional<FontFile> fontconfigMatch() const;

    const std::string& language() const { return language_; }

  private:
    std::string language_;
    std::vector<std::string> defaults_;
};

} // namespace fer
