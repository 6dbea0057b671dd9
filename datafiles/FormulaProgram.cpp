// Compiles a formula by running the evaluator's order on expression trees,
// then evaluates the tree chunk by chunk.
#include "datafiles/FormulaProgram.h"

#include "datafiles/Formula.h"
#include "datafiles/FormulaEvaluation.h"
#include "datafiles/SampleFileFormat.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using formula_detail::ApplyFunction;

double Binary(int kind, double a, double b);

struct Expr {
    enum Kind { Const, Channel, Function, Neg, Add, Mul, Div, Pow } kind = Const;
    char function = 0;
    double constant = 0.0;
    int column = 0;
    int a = -1, b = -1;
};

using SymNode = FormulaNodeT<int>;

// Values are indexes of expressions; constant operands fold at once with
// the same arithmetic the evaluator uses.
struct SymbolicOps {
    std::vector<Expr>& exprs;
    std::vector<int>& channels;
    const OnlineLayout& layout;

    int Make(Expr e) {
        exprs.push_back(e);
        return int(exprs.size()) - 1;
    }
    bool IsConst(int v) const { return exprs[v].kind == Expr::Const; }
    double ConstOf(int v) const { return exprs[v].constant; }
    int Constant(double c) { return Make(Expr{Expr::Const, 0, c}); }

    bool Apply(SymNode& node) {
        if (node.op != 'h') {
            node.value = IsConst(node.value) ? Constant(ApplyFunction(node.op, ConstOf(node.value)))
                                             : Make(Expr{Expr::Function, node.op, 0.0, 0, node.value});
            return true;
        }
        if (layout.channelList.empty() || node.channel < layout.channelList.front() ||
            node.channel > layout.channelList.back() || layout.IndexInChannelList(node.channel) < 0)
            return false;
        auto it = std::find(channels.begin(), channels.end(), node.channel);
        if (it == channels.end())
            it = channels.insert(channels.end(), node.channel);
        node.value = Make(Expr{Expr::Channel, 0, 0.0, int(it - channels.begin())});
        return true;
    }
    int Fold(Expr::Kind kind, int a, int b) {
        if (IsConst(a) && IsConst(b))
            return Constant(Binary(kind, ConstOf(a), ConstOf(b)));
        return Make(Expr{kind, 0, 0.0, 0, a, b});
    }
    int Pow(int a, int b) { return Fold(Expr::Pow, a, b); }
    int Neg(int a) { return IsConst(a) ? Constant(-ConstOf(a)) : Make(Expr{Expr::Neg, 0, 0.0, 0, a}); }
    int Mul(int a, int b) { return Fold(Expr::Mul, a, b); }
    int Div(int a, int b) { return Fold(Expr::Div, a, b); }
    int Add(int a, int b) { return Fold(Expr::Add, a, b); }
    static void Release(SymNode* node) { delete node; }
};

double Binary(int kind, double a, double b) {
    switch (kind) {
    case Expr::Add:
        return a + b;
    case Expr::Mul:
        return a * b;
    case Expr::Div:
        return a / b;
    default:
        return formula_detail::Power(a, b);
    }
}

void FreeSymbolic(SymNode* node) {
    while (node) {
        SymNode* next = node->next;
        delete node;
        node = next;
    }
}

} // namespace

// Turns the expression tree into register code.
struct FormulaCompiler {
    const std::vector<Expr>& exprs;
    FormulaProgram& program;

    // Register of the expression, or -1 with its constant in constant.
    int Emit(int e, double& constant) {
        const Expr& x = exprs[e];
        if (x.kind == Expr::Const) {
            constant = x.constant;
            return -1;
        }
        FormulaProgram::Instruction in{};
        if (x.kind == Expr::Channel) {
            in.kind = FormulaProgram::Instruction::Load;
            in.column = x.column;
        } else {
            in.a = Emit(x.a, in.ca);
            if (x.b >= 0)
                in.b = Emit(x.b, in.cb);
            in.function = x.function;
            in.kind = Kind(x);
            if (x.kind == Expr::Pow && in.b < 0 && in.cb == 2.0) {
                in.kind = FormulaProgram::Instruction::Mul; // the square rule of Power
                in.b = in.a;
                in.cb = in.ca;
            }
        }
        in.dst = program.m_registers++;
        program.m_code.push_back(in);
        return in.dst;
    }

    static FormulaProgram::Instruction::Kind Kind(const Expr& x) {
        switch (x.kind) {
        case Expr::Function:
            return FormulaProgram::Instruction::Function;
        case Expr::Neg:
            return FormulaProgram::Instruction::Neg;
        case Expr::Add:
            return FormulaProgram::Instruction::Add;
        case Expr::Mul:
            return FormulaProgram::Instruction::Mul;
        case Expr::Div:
            return FormulaProgram::Instruction::Div;
        default:
            return FormulaProgram::Instruction::Pow;
        }
    }
};

FormulaProgram::Status FormulaProgram::Compile(const char* text, const OnlineLayout& layout,
                                               const IChannelTable* channels) {
    *this = FormulaProgram();
    FormulaNode* list = nullptr;
    if (!ParseFormula(text, &list))
        return m_status = Status::BadText;
    // A copy of the list whose values are expressions.
    SymNode* first = nullptr;
    SymNode* last = nullptr;
    std::vector<Expr> exprs;
    SymbolicOps ops{exprs, m_channels, layout};
    for (FormulaNode* node = list; node; node = node->next) {
        auto* copy = new SymNode{node->op, ops.Constant(node->value), node->channel, last, nullptr};
        (last ? last->next : first) = copy;
        last = copy;
    }
    FreeFormula(list);
    int parenCount = 0;
    SymNode* result = formula_detail::EvaluateRange(first, static_cast<SymNode*>(nullptr), ops, parenCount);
    const int root = result ? result->value : -1;
    FreeSymbolic(first);
    if (!result)
        return m_status = Status::BadChannel;
    if (parenCount != 0)
        return m_status = Status::Unbalanced;
    if (channels) {
        for (int channel : m_channels)
            if (!channels->GetChannelParam(channel).bEnabled)
                return m_status = Status::BadChannel;
    }
    FormulaCompiler compiler{exprs, *this};
    m_resultRegister = compiler.Emit(root, m_constant);
    m_work.assign(std::size_t(m_registers) * kChunk, 0.0);
    return m_status = Status::Ok;
}

namespace {

// One loop per operand form, each simple enough for the compiler to vectorise.
template <class Op>
void Combine(double* dst, const double* a, double ca, const double* b, double cb, int n, Op op) {
    if (a && b) {
        for (int k = 0; k < n; ++k)
            dst[k] = op(a[k], b[k]);
    } else if (a) {
        for (int k = 0; k < n; ++k)
            dst[k] = op(a[k], cb);
    } else {
        for (int k = 0; k < n; ++k)
            dst[k] = op(ca, b[k]);
    }
}

} // namespace

void FormulaProgram::Run(const Instruction& in, const float* const* columns, int done, int n) const {
    double* dst = &m_work[std::size_t(in.dst) * kChunk];
    const double* a = in.a >= 0 ? &m_work[std::size_t(in.a) * kChunk] : nullptr;
    const double* b = in.b >= 0 ? &m_work[std::size_t(in.b) * kChunk] : nullptr;
    switch (in.kind) {
    case Instruction::Load:
        std::copy(columns[in.column] + done, columns[in.column] + done + n, dst);
        break;
    case Instruction::Function:
        for (int k = 0; k < n; ++k)
            dst[k] = ApplyFunction(in.function, a[k]);
        break;
    case Instruction::Neg:
        for (int k = 0; k < n; ++k)
            dst[k] = -a[k];
        break;
    case Instruction::Add:
        Combine(dst, a, in.ca, b, in.cb, n, [](double x, double y) { return x + y; });
        break;
    case Instruction::Mul:
        Combine(dst, a, in.ca, b, in.cb, n, [](double x, double y) { return x * y; });
        break;
    case Instruction::Div:
        Combine(dst, a, in.ca, b, in.cb, n, [](double x, double y) { return x / y; });
        break;
    case Instruction::Pow:
        Combine(dst, a, in.ca, b, in.cb, n, formula_detail::Power);
        break;
    }
}

void FormulaProgram::Evaluate(const float* const* columns, int count, float* out) const {
    for (int done = 0; done < count; done += kChunk) {
        const int n = std::min(kChunk, count - done);
        float* result = out + done;
        if (!IsValid()) {
            std::fill(result, result + n, 0.0f);
            continue;
        }
        for (const Instruction& in : m_code)
            Run(in, columns, done, n);
        const double* value =
            m_resultRegister >= 0 ? &m_work[std::size_t(m_resultRegister) * kChunk] : nullptr;
        for (int k = 0; k < n; ++k) {
            const double v = value ? value[k] : m_constant;
            result[k] = std::isfinite(v) ? float(v) : 0.0f;
        }
        // A marker among a sample's inputs: the sample has no value.
        for (std::size_t i = 0; i < m_channels.size(); ++i) {
            const float* column = columns[i] + done;
            for (int k = 0; k < n; ++k)
                if (IsSpecialValue(column[k]))
                    result[k] = kNoValue;
        }
    }
}

float FormulaProgram::EvaluateLive(const float* current) const {
    // Called for every live sample: the inputs reuse the program's own room.
    m_liveInputs.resize(m_channels.size());
    m_liveColumns.resize(m_channels.size());
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        m_liveInputs[i] = current[m_channels[i]];
        m_liveColumns[i] = &m_liveInputs[i];
    }
    float out = 0.0f;
    Evaluate(m_liveColumns.data(), 1, &out);
    return out;
}
