#include "sound/WaveSource.h"

#include <algorithm>
#include <cstring>

namespace fer {

bool WaveSource::open(std::shared_ptr<const ByteSource> file, uint64_t length) {
    if (!file) return false;
    file_ = std::move(file);
    fileSize_ = file_->size();
    length_ = length != 0 ? length : fileSize_;
    return reserve(length_, kUnit, kLimit, kLag) != nullptr;
}

void WaveSource::produceUnit(uint8_t* unit) {
    const uint64_t offset = static_cast<uint64_t>(unit - base());
    uint64_t done = 0;
    while (done < unitSize()) {
        const size_t got =
            file_->readAt(offset + done, std::span<uint8_t>(unit + done, unitSize() - done));
        if (got == 0) break; // past the end or a read error: zeros from here
        done += got;
    }
    if (done < unitSize()) std::memset(unit + done, 0, unitSize() - done);
}

bool WaveSource::read(uint64_t offset, std::span<uint8_t> destination) {
    std::fill(destination.begin(), destination.end(), uint8_t{0});
    if (base() == nullptr || offset >= size()) return true;
    const uint64_t n = std::min<uint64_t>(destination.size(), size() - offset);
    return copyOut(base() + offset, destination.first(n));
}

} // namespace fer
