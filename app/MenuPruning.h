// Removal of commands that never run from a popup menu each time it opens.
#pragma once

#include "app/CommandStates.h"

class QMenu;

// Removes the popup's first own item (not in submenus) with the command id,
// and with it the item directly before or after it when asked. Nothing
// happens without a menu, for a negative id or an id the popup lacks.
void RemoveMenuItemById(QMenu* menu, int id, bool withNeighbour, bool neighbourBefore);
// Every removal of the frame's popups, in order, then the digital-channel submenu.
void PruneFrameMenu(QMenu* menu, const MenuPruneOptions& options);
