#pragma once
// How the window shows the 640x400 picture: in a window or over the whole
// screen, scaled by a whole factor (sharp pixels, black borders) or to the
// largest size that keeps its shape.

namespace fer {

enum class DisplayMode { kWindowed, kFullScreen };
enum class ScaleMode { kWholeFactor, kFit };

} // namespace fer
