// The rules of the signal-selection dialog without its window: the texts of
// the signals of each kind and the ids read back from them, which signals are
// offered, the limit when adding, and the checks of the OK button.
#pragma once

#include <string>
#include <vector>

struct CurveWorld;

constexpr int kMaxPlotSignals = 8;

// The list text of a signal of a kind (1 time waveform, 2 rosette, 4
// residual strain, 6 and 7 thermal-resistance curves).
std::string PlotSignalText(int kind, int id, const CurveWorld& world);
// The id a list text stands for; the thermal-resistance texts read as 0.
int PlotSignalId(const std::string& text);
// The signals offered for a kind, chosen ones included (the caller removes them).
std::vector<std::string> AvailablePlotSignals(int kind, const std::vector<int>& chosen,
                                              const CurveWorld& world);
// The texts of the X and Y reference boxes: measured, virtual and digital channels.
std::vector<std::string> ReferenceSignalTexts(const CurveWorld& world);
// Adding in modes 1 and 2 keeps the chosen count at 8 or less; the message otherwise.
bool CanAddPlotSignals(int mode, int chosenCount, int adding, std::string& message);

struct PlotSignalCheck {
    bool ok = false;
    std::string message;
    bool exclamation = false; // the message takes the exclamation icon
    std::vector<int> ids;
    int nRefId = -1;
};
// The OK button: the chosen texts in list order and the reference text
// (used only with a reference in mode 2).
PlotSignalCheck CheckPlotSignals(int mode, const std::vector<std::string>& chosen, bool withReference,
                                 const std::string& referenceText);
