// Evaluator of parsed formulas on stored or live values.
#include "datafiles/FormulaEvaluation.h"

#include <cmath>

namespace {

// Channel values come from a lookup; nodes are freed as they are consumed.
template <class Lookup> struct NumberOps {
    const OnlineLayout& layout;
    Lookup lookup;

    bool Apply(FormulaNode& node) {
        if (node.op != 'h') {
            node.value = formula_detail::ApplyFunction(node.op, node.value);
            return true;
        }
        if (layout.channelList.empty() || node.channel < layout.channelList.front() ||
            node.channel > layout.channelList.back())
            return false;
        return lookup(node.channel, node.value);
    }
    static double Pow(double a, double b) { return formula_detail::Power(a, b); }
    static double Neg(double a) { return -a; }
    static double Mul(double a, double b) { return a * b; }
    static double Div(double a, double b) { return a / b; }
    static double Add(double a, double b) { return a + b; }
    static void Release(FormulaNode* node) { delete node; }
};

template <class Lookup>
FormulaNode* Evaluate(FormulaNode* first, FormulaNode* end, const OnlineLayout& layout, Lookup lookup,
                      int& parenCount) {
    if (!first)
        return nullptr;
    NumberOps<Lookup> ops{layout, lookup};
    return formula_detail::EvaluateRange(first, end, ops, parenCount);
}

} // namespace

FormulaNode* EvaluateFormula(FormulaNode* first, FormulaNode* end, float** values, int sample,
                             const OnlineLayout& layout, int& parenCount) {
    auto lookup = [&](int channel, double& value) {
        const int index = layout.IndexInChannelList(channel);
        if (index < 0)
            return false;
        value = values[index][sample];
        return true;
    };
    return Evaluate(first, end, layout, lookup, parenCount);
}

FormulaNode* EvaluateFormulaLive(FormulaNode* first, FormulaNode* end, const float* current,
                                 const OnlineLayout& layout, int& parenCount) {
    auto lookup = [&](int channel, double& value) {
        value = current[channel];
        return true;
    };
    return Evaluate(first, end, layout, lookup, parenCount);
}
