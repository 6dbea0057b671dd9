// Formula language of the virtual channels: the parser that turns a formula
// text into a node list, and the evaluator that collapses a node list into
// its value. A run parses each formula once into a FormulaProgram (see
// FormulaProgram.h) rather than once per sample.
#pragma once

#include "datafiles/OnlineLayout.h"

// One token of a parsed formula: an operator and the number that follows it.
// op: '+', '-', '*', '/', '^', '(', ')'; 's' sin, 'c' cos, 't' tan, 'o' cot,
// 'l' log10, 'Q' sqrt, 'h' channel reference (value N, channel N - 1).
template <class V> struct FormulaNodeT {
    char op = '+';
    V value{};
    int channel = -1;
    FormulaNodeT* prev = nullptr;
    FormulaNodeT* next = nullptr;
};
using FormulaNode = FormulaNodeT<double>;

// Builds the node list of text into *list. Returns 0 when text or list is
// null or the text breaks a rule of the language; the nodes built so far are
// then freed and *list is null.
int ParseFormula(const char* text, FormulaNode** list);
void FreeFormula(FormulaNode* list);

// Evaluates first..end (end excluded), collapsing the range into one node and
// returning it; null when a channel reference lies outside the layout's
// channel range. values[i][sample] is the engineering value of the i-th
// channel of the channel list. parenCount is raised at '(' and lowered at ')';
// the caller sets it to 0 and checks it is 0 again afterwards.
FormulaNode* EvaluateFormula(FormulaNode* first, FormulaNode* end, float** values, int sample,
                             const OnlineLayout& layout, int& parenCount);
// The same for one live sample: current[c] is the value of channel number c.
FormulaNode* EvaluateFormulaLive(FormulaNode* first, FormulaNode* end, const float* current,
                                 const OnlineLayout& layout, int& parenCount);
