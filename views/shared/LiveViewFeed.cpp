// Batch positions of the live views.
#include "views/shared/LiveViewFeed.h"

namespace {

int PositionInBatch(int a, int blockSize) {
    const int b = blockSize > 0 ? blockSize : 1;
    const int index = a > 0 ? a - 1 : 0;
    return index % b;
}

} // namespace

int BarBatchStart(int a, int blockSize) {
    const int index = a > 0 ? a - 1 : 0;
    return index - PositionInBatch(a, blockSize);
}

CurveFeedStep CurveFeed(int a, int blockSize, int displayMode, bool senderDraws) {
    CurveFeedStep step;
    const int j = PositionInBatch(a, blockSize);
    step.nBatchStart = BarBatchStart(a, blockSize);
    if (displayMode == 3) {
        step.bAppend = true;
        return step;
    }
    step.nPointCount = j + 1;
    if (j == 0) {
        step.bRepaintErase = displayMode != 2;
        step.bDraw = true;
        return step;
    }
    step.bDraw = !senderDraws;
    step.nDrawFrom = j - 1;
    step.nDrawTo = j;
    return step;
}
