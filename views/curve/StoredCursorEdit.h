// The data-edit command of the curve and history views: the cursor-edit
// dialog over the stored run, then the edit at the cursors through the
// stored-run edit helper, with the failures reported to the user.
#pragma once

#include <functional>
#include <string>

class CCursorEditDlg;
class QWidget;
struct CurveWorld;

struct StoredCursorEditRequest {
    int nCursorType = 0; // 1 single, 2 double; others write nothing
    int nChannel = 0;    // the active curve's or the selected band's channel
    int nFirst = 0;      // the single cursor's sample, or the range's ends (either order)
    int nLast = 0;
    std::string strX; // the cursor's position and value as the dialog shows them
    std::string strOldY;
    std::string strDeleteQuestion; // asked before samples are removed
};

// Runs the dialog and the edit; true when the stored run changed, with
// count its sample count after a deletion and -1 when only values changed.
bool RunStoredCursorEdit(QWidget* parent, const CurveWorld& world, const StoredCursorEditRequest& request,
                         const std::function<int(CCursorEditDlg&)>& runDialog, int& count);
// A number with the given decimal places (0..12), as the edit dialog shows it.
std::string FormatEditNumber(int precision, double value);
