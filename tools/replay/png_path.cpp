// File names of replayed frames.
#include "png_path.h"

#include <cstdio>

namespace mora::replay {

std::string FramePngPath(const std::string& directory, uint32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05u.png", index);
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + name;
}

}  // namespace mora::replay
