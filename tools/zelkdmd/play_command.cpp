// Placeholder until the play command lands.
#include <cstdio>

#include "tools/zelkdmd/commands.h"

namespace zelk::tools {

int runPlay(const std::vector<std::string>&) {
    std::fputs("zelkdmd: 'play' is not available in this build\n", stderr);
    return 1;
}

}  // namespace zelk::tools
