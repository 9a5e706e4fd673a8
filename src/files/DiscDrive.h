#pragma once
// Where the disc-drive root is on this system. Drive letters do not exist
// here, so the root is chosen as follows: a "CDDRV" setting that names an
// existing directory (absolute, or relative to the game directory) inside
// the game directory, or the mount point of a disc in the mount table, is
// the root; otherwise the first mounted CD/DVD file system (iso9660 or udf) in
// the mount table stands for the first disc drive; otherwise there is no
// disc root and look-ups on the disc simply find nothing.

#include <filesystem>
#include <string_view>
#include <vector>

namespace fer {

// The mount point of the first iso9660 or udf file system listed in a
// mount table in /proc/mounts form; empty when there is none.
std::filesystem::path findDiscMount(const std::filesystem::path& mountTable) noexcept;
// The mount points of all of them, in the table's order.
std::vector<std::filesystem::path> findDiscMounts(const std::filesystem::path& mountTable) noexcept;

std::filesystem::path chooseDiscRoot(std::string_view setting,
                                     const std::filesystem::path& gameDirectory,
                                     const std::filesystem::path& mountTable) noexcept;

} // namespace fer
