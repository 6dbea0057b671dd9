// The evaluation order of a formula node list, written once for any value
// type: plain numbers for the evaluator, expression trees for the compiler
// of FormulaProgram, so that both give the same result for every formula.
#pragma once

#include "datafiles/Formula.h"

#include <cmath>

namespace formula_detail {

inline double ApplyFunction(char op, double v) {
    switch (op) {
    case 'Q':
        return std::sqrt(v);
    case 'c':
        return std::cos(v);
    case 'o':
        return std::cos(v) / std::sin(v);
    case 'l':
        return std::log10(v);
    case 's':
        return std::sin(v);
    default:
        return std::tan(v);
    }
}

// A square is taken as a product, which is as exact as the power function
// and much cheaper; both evaluators use this one rule.
inline double Power(double a, double b) {
    return b == 2.0 ? a * a : std::pow(a, b);
}

inline bool IsFunction(char op) {
    return op == 'Q' || op == 'c' || op == 'o' || op == 'l' || op == 's' || op == 't' || op == 'h';
}

template <class Node> void Unlink(Node* node) {
    if (node->prev)
        node->prev->next = node->next;
    if (node->next)
        node->next->prev = node->prev;
}

// Ops provides: bool Apply(Node&) for functions and channel references
// (false when a channel is out of range), V Pow(V, V), V Neg(V), V Mul(V, V),
// V Div(V, V), V Add(V, V) and void Release(Node*).
template <class Node, class Ops> Node* EvaluateRange(Node* first, Node* end, Ops& ops, int& parenCount) {
    // Parentheses: a group collapses into the operator before it.
    for (Node* node = first; node && node != end; node = node->next) {
        if (node->op == '(') {
            ++parenCount;
            node->op = '+';
            node = EvaluateRange(node, end, ops, parenCount);
            if (!node)
                return nullptr;
        } else if (node->op == ')') {
            --parenCount;
            node->op = '+';
            end = node->next;
            break;
        }
    }
    // Functions and channel references: the result becomes the operand of
    // the operator before them.
    for (Node* node = first; node && node != end;) {
        Node* next = node->next;
        if (IsFunction(node->op)) {
            if (!ops.Apply(*node))
                return nullptr;
            if (node != first && node->prev) {
                node->prev->value = node->value;
                Unlink(node);
                ops.Release(node);
            } else {
                node->op = '+';
            }
        }
        node = next;
    }
    // Powers, left to right.
    for (Node* node = first->next; node && node != end;) {
        Node* next = node->next;
        if (node->op == '^') {
            node->prev->value = ops.Pow(node->prev->value, node->value);
            Unlink(node);
            ops.Release(node);
        }
        node = next;
    }
    // Signs, products and quotients, left to right.
    for (Node* node = first; node && node != end;) {
        Node* next = node->next;
        if (node->op == '-') {
            node->value = ops.Neg(node->value);
            node->op = '+';
        } else if ((node->op == '*' || node->op == '/') && node != first) {
            node->prev->value = node->op == '*' ? ops.Mul(node->prev->value, node->value)
                                                : ops.Div(node->prev->value, node->value);
            Unlink(node);
            ops.Release(node);
        }
        node = next;
    }
    // Sum into the first node, or into the operator before the group.
    auto sum = first->value;
    for (Node* node = first->next; node && node != end;) {
        Node* next = node->next;
        sum = ops.Add(sum, node->value);
        ops.Release(node);
        node = next;
    }
    Node* result = first;
    if (first->prev) {
        result = first->prev;
        result->value = sum;
        ops.Release(first);
    } else {
        first->value = sum;
    }
    result->next = end;
    if (end)
        end->prev = result;
    return result;
}

} // namespace formula_detail
