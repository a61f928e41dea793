// Placeholder until the replay command lands.
#include <cstdio>

#include "tools/zelkdmd/commands.h"

namespace zelk::tools {

int runReplay(const std::vector<std::string>&) {
    std::fputs("zelkdmd: 'replay' is not available in this build\n", stderr);
    return 1;
}

}  // namespace zelk::tools
