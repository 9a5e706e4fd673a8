#pragma once
// The labels of the OK and Cancel buttons of the window's boxes, in the
// game's language. The address box keeps its own "OK" and "CANCEL".

#include <string>

namespace fer {

struct BoxLabels {
    std::string ok = "OK";
    std::string cancel = "Cancel";
};

} // namespace fer
