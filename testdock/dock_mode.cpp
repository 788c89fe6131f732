#include "dock_mode.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

namespace testdock {

DockMode ModeFromEnvironment() {
    DockMode mode;
    char text[1024] = {};
    const DWORD length = GetEnvironmentVariableA("VANTREL_DOCK_MODE", text, sizeof text);
    if (length == 0 || length >= sizeof text) {
        return mode;
    }
    std::istringstream words(text);
    std::string word;
    while (std::getline(words, word, ',')) {
        if (word == "flat") {
            mode.images = ImageFamily::Flat;
        } else if (word == "forward-all") {
            mode.forwardEveryMessage = true;
        } else if (word == "unload-in-destroy") {
            mode.unloadInWindowDestroy = true;
        } else if (word == "information-loads") {
            mode.separateInformationLoads = true;
        } else if (word.rfind("missing=", 0) == 0) {
            mode.missingExports.push_back(word.substr(8));
        } else if (word.rfind("dpi=", 0) == 0) {
            mode.dpi = std::atoi(word.c_str() + 4);
        }
    }
    return mode;
}

}  // namespace testdock
