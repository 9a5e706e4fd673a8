#pragma once
// The names of the files loaded last, by kind: what the debug monitor's
// file-name view shows. A listener (the view) hears of every change.

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace fer {

class CurrentFileNames {
  public:
    enum Slot { kScript = 0, kPicture = 1, kData = 2, kMusic = 3, kVoice = 4, kSlots = 5 };

    // Slots outside 0..4 are ignored.
    void set(int slot, std::string_view name) {
        if (slot < 0 || slot >= kSlots) return;
        names_[static_cast<size_t>(slot)] = std::string(name);
        if (changed_) changed_();
    }
    const std::string& get(int slot) const {
        static const std::string kNone;
        return slot >= 0 && slot < kSlots ? names_[static_cast<size_t>(slot)] : kNone;
    }
    void clear() {
        for (auto& n : names_) n.clear();
        if (changed_) changed_();
    }
    void onChange(std::function<void()> listener) { changed_ = std::move(listener); }

  private:
    std::array<std::string, kSlots> names_;
    std::function<void()> changed_;
};

} // namespace fer
