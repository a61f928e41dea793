#pragma once
// The path rules of media resolution. "delimiters" are the characters that
// end a folder part (FileSystem::folderDelimiters()).
#include <string>
#include <string_view>

namespace zelk::control {

// The path up to and including its last delimiter; empty when it has none.
std::string folderOf(std::string_view path, std::string_view delimiters);

// From the last "." to the end, the dot included; empty when no "." follows
// the last delimiter.
std::string extensionOf(std::string_view path, std::string_view delimiters);

// Whether a file with this extension is animated as a GIF, or shown as a
// still picture. An extension takes part when it occurs within ".gif", or
// within ".jpg,.jpeg,.png,.gif", so ".jp" or ".pn" count as well. Letter case
// does not matter: on Windows "game.PNG" is the same file as "game.png".
bool isGifExtension(std::string_view extension);
bool isStillPictureExtension(std::string_view extension);

}  // namespace zelk::control
