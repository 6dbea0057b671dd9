// Column kinds of the extended grid's in-place editing and the text a commit
// writes for each.
#pragma once

#include <string>

constexpr int GRID_KIND_TEXT = 0;
constexpr int GRID_KIND_LIST = 1;
constexpr int GRID_KIND_INTEGER = 2;
constexpr int GRID_KIND_DECIMAL = 3;
constexpr int GRID_KIND_READ_ONLY = 4;

// Texts typed into a grid editor are limited to this many characters.
constexpr int GRID_EDIT_MAX_CHARS = 20;

// The cell text a commit of the editor's text writes in a column of the kind.
std::string FormatGridCommitText(int kind, const std::string& text);
// Kinds 0 and 1 tell the grid's parent which cell changed.
inline bool GridKindNotifiesParent(int kind) {
    return kind == GRID_KIND_TEXT || kind == GRID_KIND_LIST;
}
