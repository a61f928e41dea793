#pragma once
#include <string>
#include <vector>

namespace zelk::tools {

// Each returns the process exit status; messages go to stderr, results to stdout.
int runReplay(const std::vector<std::string>& args);
int runPlay(const std::vector<std::string>& args);
int runCheck(const std::vector<std::string>& args);
int runFrames(const std::vector<std::string>& args);
int runDoctor(const std::vector<std::string>& args);

}  // namespace zelk::tools
