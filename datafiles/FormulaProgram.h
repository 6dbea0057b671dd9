// A formula compiled once per run: the node list's evaluation order turned
// into a short program that works on whole chunks of samples, so that a
// virtual channel costs a few passes over its input columns per chunk.
// Evaluation uses the program's own work registers: one thread at a time.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"

#include <string>
#include <vector>

class FormulaProgram {
public:
    enum class Status { Ok, BadText, BadChannel, Unbalanced };

    // Parses and compiles the text. Channel references must lie within the
    // layout's channel list and, given a channel table, be enabled.
    Status Compile(const char* text, const OnlineLayout& layout, const IChannelTable* channels = nullptr);
    bool IsValid() const { return m_status == Status::Ok; }
    Status GetStatus() const { return m_status; }

    // Channel numbers the formula reads, in the order of Evaluate's columns.
    const std::vector<int>& Channels() const { return m_channels; }

    // out[k] for k < count from columns[i][k], the values of Channels()[i].
    // A marker among a sample's inputs gives the no-value marker; a result
    // that is not finite gives 0.0; an invalid formula gives 0.0 throughout.
    void Evaluate(const float* const* columns, int count, float* out) const;
    // One live sample: current[c] is the value of channel number c.
    float EvaluateLive(const float* current) const;

    static constexpr int kChunk = 1024;

private:
    struct Instruction {
        enum Kind { Load, Function, Neg, Add, Mul, Div, Pow } kind;
        char function = 0;
        int dst = 0;
        int a = -1, b = -1;        // registers, -1 for a constant operand
        double ca = 0.0, cb = 0.0; // constant operands
        int column = 0;            // Load: input column
    };
    friend struct FormulaCompiler;

    void Run(const Instruction& in, const float* const* columns, int done, int n) const;

    Status m_status = Status::BadText;
    std::vector<int> m_channels;
    std::vector<Instruction> m_code;
    int m_registers = 0;
    int m_resultRegister = -1; // -1: the result is the constant below
    double m_constant = 0.0;
    mutable std::vector<double> m_work;      // registers of one chunk
    mutable std::vector<float> m_liveInputs; // one live sample's inputs, and their columns
    mutable std::vector<const float*> m_liveColumns;
};
