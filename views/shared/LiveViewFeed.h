// Where a new sample set goes in the open curve, bar and table views: the
// batch a curve view shows, how many of its points hold data, what it
// repaints and draws, and the row a table view shows.
#pragma once

struct CurveFeedStep {
    int nBatchStart = 0;        // first sample of the shown batch
    int nPointCount = 0;        // points holding data
    bool bAppend = false;       // distribution view: appends and repaints without erasing
    bool bRepaintErase = false; // a new batch starts
    bool bDraw = false;
    int nDrawFrom = 0;
    int nDrawTo = 0;
};

// a: the first announce counter (1 for the first sample of a run); B: points
// per batch; displayMode 3 is the distribution view, 2 never erases;
// senderDraws: the sender draws the rows itself after its batch.
CurveFeedStep CurveFeed(int a, int blockSize, int displayMode, bool senderDraws);
// The batch start of the bar views (the same batch as the curves).
int BarBatchStart(int a, int blockSize);
// The row a table view shows: the last sample this run stored, at least 0.
inline int TableRowPosition(int storedByRun) {
    return storedByRun > 0 ? storedByRun - 1 : 0;
}
