// The frame's five visual styles on Qt: a palette for the command bars,
// docking panes and tabs of the main window in place of the paint and
// docking themes of the original toolkit.
#pragma once

class QMainWindow;

// Applies the style (0 Office XP, 1 Office 2000, 2 Office 2003, 3 Windows
// XP, anything else Visual Studio 2005) to the window and its children.
void ApplyFrameTheme(QMainWindow& window, int style);
