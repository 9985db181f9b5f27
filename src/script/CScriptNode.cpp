#include "script/CScriptNode.h"

#include "script/CSymbol.h"
#include "script/ScriptTokens.h"
#include "storage/CRString.h"

namespace {

const char* operatorSpelling(int32_t kind) {
    switch (kind) {
    case '=':
        return "=";
    case '&':
        return "&";
    case '+':
        return "+";
    case '-':
        return "-";
    case '*':
        return "*";
    case '/':
        return "/";
    case '%':
        return "%";
    case '>':
        return ">";
    case '<':
        return "<";
    case tSTRING_EQUAL:
        return "eq";
    case tSTRING_NOT_EQUAL:
        return "ne";
    case tGE:
        return ">=";
    case tLE:
        return "<=";
    case tNE:
        return "<>";
    case tAND:
        return "and";
    case tOR:
        return "or";
    default:
        return nullptr;
    }
}

std::string show(const CScriptNode* node) {
    return node ? node->debugString() : "?";
}

std::string leafText(const CScriptNode* leaf) {
    if (!leaf)
        return "?";
    if (leaf->symbol())
        return leaf->symbol()->getSymbolString().str();
    if (leaf->text())
        return leaf->text()->str();
    return "?";
}

// The cells of a list, joined.
std::string listText(const CScriptNode* cell, const char* separator) {
    std::string text;
    for (; cell; cell = cell->right()) {
        if (!text.empty())
            text += separator;
        text += show(cell->left());
    }
    return text;
}

std::string literalText(const CRString& text) {
    const std::string value = text.str();
    bool isNumber = !value.empty();
    for (std::size_t i = 0; i < value.size(); ++i)
        if (!(value[i] >= '0' && value[i] <= '9') &&
            !(i == 0 && value[i] == '-' && value.size() > 1))
            isNumber = false;
    return isNumber ? value : "\"" + value + "\"";
}

bool leaves(const CScriptNode* node) {
    return node && node->canLeaveFunction();
}

// "exit", "search upward" from an invalid node, and the constructs that run statements.
bool canLeaveByItself(int32_t kind) {
    return kind == kNodeExit || kind == kNodeSearchUpward || kind == kNodeIf ||
           kind == kNodeWhile || kind == kNodeForEvery;
}

} // namespace

CScriptNode::CScriptNode(int32_t kind, const CScriptNode* left, const CScriptNode* right)
    : theKind(kind), leftNode(left), rightNode(right),
      leavesFunction(canLeaveByItself(kind) || leaves(left) || leaves(right)) {}

CScriptNode::CScriptNode(CSymbol* symbol, const CScriptNode* left)
    : leftNode(left), theSymbol(symbol), leavesFunction(leaves(left)) {}

CScriptNode::CScriptNode(const CRString* text) : theText(text) {}

std::string CScriptNode::debugString() const {
    if (theSymbol) {
        const std::string name = theSymbol->getSymbolString().str();
        return leftNode ? name + "(" + listText(leftNode, ", ") + ")" : name;
    }
    if (theText)
        return literalText(*theText);
    if (const char* spelling = operatorSpelling(theKind))
        return "(" + show(leftNode) + " " + spelling + " " + show(rightNode) + ")";
    switch (theKind) {
    case kNodeListCell:
        return "[" + listText(this, "; ") + "]";
    case kNodeAssignment:
        return "let " + show(leftNode) + " = " + show(rightNode);
    case kNodeExpressionStatement:
    case kNodeVariable:
    case kNodeParameter:
    case kNodeLiteral:
    case kNodeCall:
        return show(leftNode);
    case kNodeTargetVariable:
        return leafText(leftNode);
    case kNodeTargetFeature:
    case kNodeFeatureRead:
        return leafText(leftNode) + "(" + show(rightNode) + ")";
    case kNodeReturn:
        return "return " + show(leftNode);
    case kNodeExit:
        return "exit";
    case kNodeNot:
        return "(not " + show(leftNode) + ")";
    case kNodeTrue:
        return "true";
    case kNodeFalse:
        return "false";
    case kNodeIf: {
        const CScriptNode* branches = rightNode;
        std::string text =
            "if " + show(leftNode) + " then " + show(branches ? branches->left() : nullptr);
        if (branches && branches->right())
            text += " else " + show(branches->right());
        return text + " end if";
    }
    case kNodeWhile:
        return "while " + show(leftNode) + " " + show(rightNode) + " end while";
    case kNodeForEvery: {
        const CScriptNode* head = leftNode;
        std::string text = "for every node " + leafText(head ? head->left() : nullptr);
        if (head && head->right())
            text += " dominated by " + show(head->right());
        return text + " " + show(rightNode) + " end for";
    }
    case kNodeSearchUpward:
        return "search upward(" + show(leftNode) + ", " + show(rightNode) + ")";
    default:
        return "<" + std::to_string(theKind) + ">";
    }
}
