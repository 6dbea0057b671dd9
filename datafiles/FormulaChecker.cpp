// The formula checker of the virtual-channel dialog.
#include "datafiles/FormulaChecker.h"

#include <cctype>
#include <cstring>

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsIn(char c, const char* set) {
    return c != 0 && std::strchr(set, c) != nullptr;
}

// Rule of the operator state: what the previous character forbids next.
const char* AfterOperator(char prev, char c) {
    if (prev == '(' && IsIn(c, "*/^)"))
        return "'('后不能跟 '*' '/' '^' ')'";
    if (prev == ')' && IsIn(c, "(sctl"))
        return "')'符号后不能跟'(' sin cos tan cot sqrt log";
    if (IsIn(prev, "nstg^") && c != '(')
        return "sin cos tan cot sqrt log '^'后有复合表达式请使用括号";
    if (IsIn(prev, "+-*/") && IsIn(c, "+-*/^)"))
        return "+ - * / ^不能跟+ - * / ^ )";
    return nullptr;
}

} // namespace

int GetTokenLength(const char* at) {
    if (at == nullptr || *at == 0)
        return 0;
    if (IsIn(*at, "()*+-/^"))
        return 1;
    for (const char* name : {"cos", "cot", "sin", "tan", "log"})
        if (std::strncmp(at, name, 3) == 0)
            return 3;
    if (std::strncmp(at, "sqrt", 4) == 0)
        return 4;
    if (at[0] == 'c' && at[1] == 'h' && IsDigit(at[2]))
        return 2;
    return 0;
}

bool CheckBrackets(const std::string& formula) {
    int depth = 0;
    for (char c : formula) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth < 0)
            return false;
    }
    return depth == 0;
}

std::string ScanExpression(const std::string& text, const FormulaChannelRange& range) {
    bool operatorState = false;
    bool point = false;
    bool start = true;
    char prev = 0; // previous character that was not a blank
    const std::size_t length = text.size();
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == ' ')
            continue;
        if (c == '.') {
            if (point)
                return "一个数不能有多个小数点";
            if (operatorState)
                return "运算符之后不能有小数点";
            point = true;
            start = false;
            prev = c;
            continue;
        }
        if (IsDigit(c)) {
            if (prev == ')')
                return "')'和数字间应含有运算符";
            operatorState = false;
            start = false;
            prev = c;
            continue;
        }
        if (start && !IsIn(c, "(sctl+-"))
            return "开始的运算符出错";
        if (operatorState) {
            if (const char* message = AfterOperator(prev, c))
                return message;
        } else if (!start && IsIn(c, "(sctl")) {
            return "数字后不能立即跟'(' sin cos tan cot sqrt log";
        }
        const int token = GetTokenLength(text.c_str() + i);
        if (token == 0) {
            if (i + 1 < length)
                return "表达式含未定义的符号";
            break; // an unknown last character is ignored
        }
        start = false;
        point = false;
        if (token == 2) { // a channel: chN names channel N - 1
            std::size_t end = i + 2;
            long long number = 0;
            while (end < length && IsDigit(text[end])) {
                number = number < 100000000 ? number * 10 + (text[end] - '0') : number;
                ++end;
            }
            const long long channel = number - 1;
            if (channel < range.nFirst || channel > range.nLast ||
                (range.isShown && !range.isShown(static_cast<int>(channel))))
                return "通道选择错误";
            operatorState = false;
            prev = text[end - 1];
            i = end - 1;
            continue;
        }
        operatorState = true;
        i += static_cast<std::size_t>(token) - 1;
        prev = text[i];
    }
    if (operatorState) {
        const char last = length > 0 ? text[length - 1] : 0;
        if (last != ')' && last != ' ')
            return "表达式末尾含有多余的运算符";
    }
    return std::string();
}

bool CheckExpression(const std::string& formula, const FormulaChannelRange& range, std::string& message) {
    message.clear();
    if (formula.size() > FORMULA_CHECK_MAX_LENGTH)
        return false;
    message = ScanExpression(formula, range);
    return message.empty();
}
