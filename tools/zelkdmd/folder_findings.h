#pragma once
// The findings about a trigger folder's names: the game it belongs to, and
// the numbered files that the game start never asks for.
#include "tools/zelkdmd/pack_check.h"

namespace zelk::tools {

// Sets pack.game from pack.folder and says when the folder is not where the
// plug-in looks.
void addFolderNameFindings(PackCheck& pack);

// The numbered files of pack.folder that the game start never loads: after
// the gap at `end` (the first number without a file), past the limit, or not
// under the exact name it asks for.
void addIgnoredFiles(PackCheck& pack, int end);

}  // namespace zelk::tools
