#pragma once
// The two faces of a pack check: readable text, and JSON for tools.
#include <cstdio>

#include "tools/zelkdmd/pack_check.h"

namespace zelk::tools {

void printCheckText(const PackCheck& pack, FILE* to);
void printCheckJson(const PackCheck& pack, FILE* to);

}  // namespace zelk::tools
