// Parser of the virtual-channel formula language: checks the text character
// by character and builds the node list.
#include "datafiles/Formula.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct Name {
    const char* text;
    char op;
};
// Longer names first where one is the start of another.
constexpr Name kNames[] = {{"sqrt", 'Q'}, {"sin", 's'}, {"cos", 'c'}, {"cot", 'o'},
                           {"tan", 't'},  {"log", 'l'}, {"ch", 'h'}};

const Name* MatchName(const char* at) {
    for (const Name& name : kNames)
        if (std::strncmp(at, name.text, std::strlen(name.text)) == 0)
            return &name;
    return nullptr;
}

bool IsOperator(char c) {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '^';
}
bool IsNameStart(char c) {
    return c == 's' || c == 'c' || c == 't' || c == 'l';
}
bool IsFunctionEnd(char c) {
    return c == 'n' || c == 't' || c == 's' || c == 'g';
}

enum class Last { Start, Number, Token };

class FormulaParser {
public:
    explicit FormulaParser(const char* text) : m_text(text) {}
    ~FormulaParser() { FreeFormula(m_first); }

    FormulaNode* Release() {
        FormulaNode* list = m_first;
        m_first = nullptr;
        return list;
    }

    bool Parse() {
        m_first = new (std::nothrow) FormulaNode;
        if (!m_first)
            return false;
        m_current = m_first;
        const std::size_t length = std::strlen(m_text);
        char prevChar = 0;     // the text's previous character, blanks included
        char prevNonBlank = 0; // the previous character that was not a blank
        for (std::size_t i = 0; i < length; ++i) {
            const char c = m_text[i];
            if (c == ' ' || c == '\t') {
                prevChar = c;
                continue;
            }
            // A trailing '=' is ignored; anywhere else it is an error.
            if (c == '=') {
                if (i + 1 != length || m_last == Last::Start)
                    return false;
                break;
            }
            std::size_t consumed = 1;
            bool ok;
            if (std::isdigit(static_cast<unsigned char>(c)))
                ok = Digit(c, prevNonBlank);
            else if (c == '.')
                ok = Point();
            else
                ok = Token(m_text + i, prevChar, consumed);
            if (!ok)
                return false;
            i += consumed - 1;
            prevChar = m_text[i];
            prevNonBlank = prevChar;
        }
        if (m_last == Last::Start)
            return false;
        if (m_last == Last::Token && prevChar != ')' && prevChar != ' ' && prevChar != '\t')
            return false;
        return CheckChannels();
    }

private:
    bool Digit(char c, char prevNonBlank) {
        if (prevNonBlank == ')')
            return false;
        const int d = c - '0';
        if (m_decimals > 0) {
            m_scale *= 10.0;
            m_current->value += d / m_scale;
        } else {
            m_current->value = m_current->value * 10.0 + d;
        }
        m_used = true;
        m_last = Last::Number;
        return true;
    }

    bool Point() {
        if (m_decimals > 0 || m_last == Last::Token || m_current->op == 'h')
            return false;
        m_decimals = 1;
        m_scale = 1.0;
        m_used = true;
        m_last = Last::Number;
        return true;
    }

    // An operator, a parenthesis or a name.
    bool Token(const char* at, char prevChar, std::size_t& consumed) {
        const char c = *at;
        const Name* name = IsNameStart(c) ? MatchName(at) : nullptr;
        if (!IsOperator(c) && c != '(' && c != ')' && !name)
            return false;
        if (!Allowed(c, name != nullptr, prevChar))
            return false;
        if (m_used) {
            auto* node = new (std::nothrow) FormulaNode;
            if (!node)
                return false;
            node->prev = m_current;
            m_current->next = node;
            m_current = node;
        }
        m_current->op = name ? name->op : c;
        consumed = name ? std::strlen(name->text) : 1;
        m_used = true;
        m_decimals = 0;
        m_last = Last::Token;
        return true;
    }

    bool Allowed(char c, bool name, char prevChar) const {
        if (m_last == Last::Start)
            return c == '(' || c == '+' || c == '-' || name;
        if (m_last == Last::Number)
            return c != '(' && !name;
        switch (prevChar) {
        case '(':
            return c != '*' && c != '/' && c != '^' && c != ')';
        case ')':
            return c != '(' && !name;
        case '^':
            return c == '(';
        case '+':
        case '-':
        case '*':
        case '/':
            return !IsOperator(c) && c != ')';
        default:
            // After the last letter of a function name only '(' may follow.
            if (m_current->op != 'h' && IsFunctionEnd(prevChar))
                return c == '(';
            return true;
        }
    }

    // Every channel reference names channel number N - 1 in 0..4095.
    bool CheckChannels() {
        for (FormulaNode* node = m_first; node; node = node->next) {
            if (node->op != 'h')
                continue;
            if (node->value < 1.0 || node->value > 4096.0)
                return false;
            node->channel = int(node->value) - 1;
        }
        return true;
    }

    const char* m_text;
    FormulaNode* m_first = nullptr;
    FormulaNode* m_current = nullptr;
    Last m_last = Last::Start;
    bool m_used = false; // the current node holds a token or digits
    int m_decimals = 0;  // > 0 after the number's point
    double m_scale = 1.0;
};

} // namespace

int ParseFormula(const char* text, FormulaNode** list) {
    if (list)
        *list = nullptr;
    if (!text || !list)
        return 0;
    FormulaParser parser(text);
    if (!parser.Parse())
        return 0;
    *list = parser.Release();
    return 1;
}

void FreeFormula(FormulaNode* list) {
    while (list) {
        FormulaNode* next = list->next;
        delete list;
        list = next;
    }
}
