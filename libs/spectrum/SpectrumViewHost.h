// What the graph-interface object asks of an open spectrum view; the
// registry of the library's tables holds the views by this interface.
#pragma once

#include <string>

class ISpectrumView {
public:
    virtual ~ISpectrumView() = default;
    virtual void ResetGraphView() = 0;
    virtual void SetGraphDraw() = 0;
    // Redraws from the in-memory spectra.
    virtual void RefreshSpectrumGraph() = 0;
    // Re-reads the current block in stored-data mode, then redraws.
    virtual void RefreshFFTSpectrumView() = 0;
    // Writes the view's and its child frame's layout under "FFTSpectrumView%d".
    virtual void SaveLayout(const std::string& file, int index) = 0;
    // The document reads its layout from its own layout file (SetGraphViewLyt).
    virtual void ReadLayout(int index) = 0;
};
