#pragma once
// Where the window opens and how large: the picture at a whole factor below
// the menu bar, on the desktop's usable area. A factor asked for that does
// not fit is lowered to the largest that does (0 asks for that one), and the
// window is centred with its top left corner, title bar included, on the
// usable area, so the title and the menu are never off-screen.

namespace fer {

struct WindowPlacement {
    int factor = 1;
    int x = 0, y = 0; // the client area's top left
    int width = 0, height = 0;
};

// usable: the desktop's usable area; frameAllowance: room for the title bar
// and frame above and around the client area.
WindowPlacement placeWindow(int scale, int usableX, int usableY, int usableWidth, int usableHeight,
                            int menuHeight, int frameAllowance);

} // namespace fer
