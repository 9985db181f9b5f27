#include "ScriptSupport.h"

#include "script/CScriptNode.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/ScriptTokens.h"

namespace {

// The body of f in a grammar with the feature "case", global variables a to d and a
// function g of two parameters.
const CScriptNode* compileBody(ScriptHarness& fixture, const std::string& body) {
    const std::string text = "define variables a, b, c, d\n"
                             "define function g(x, y)\nend define\n"
                             "define function f(n)\n" +
                             body + "\nend define";
    EXPECT_EQ(fixture.compile(text), kNoErr) << body;
    if (!fixture.script().symbolTable())
        return nullptr;
    CSymbol* f = nullptr;
    fixture.script().symbolTable()->findASymbol(CRString("f", 154), nullptr, f);
    return f ? f->getSymbolBody() : nullptr;
}

std::string printed(const std::string& body) {
    ScriptHarness fixture({"case"});
    const CScriptNode* tree = compileBody(fixture, body);
    return tree ? tree->debugString() : "<no body>";
}

} // namespace

TEST(ScriptParseTree, OperatorsGroupByPrecedenceAndStatementsHaveTheirShapes) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"return not a or b", "[return (not (a or b))]"},
        {"return a or not b and c", "[return (a or (not (b and c)))]"},
        {"return a = b < c", "[return (a = (b < c))]"},
        {"return a & b + c", "[return (a & (b + c))]"},
        {"return a eq b & c", "[return (a eq (b & c))]"},
        {"return a and b or c and d", "[return ((a and b) or (c and d))]"},
        {"return a ne b eq c", "[return ((a ne b) eq c)]"},
        {"return a eq b = c", "[return (a eq (b = c))]"},
        {"return a <> b = c", "[return ((a <> b) = c)]"},
        {"return a = b <> c", "[return ((a = b) <> c)]"},
        {"return a >= b <= c > d < a", "[return ((((a >= b) <= c) > d) < a)]"},
        {"return a < b & c", "[return (a < (b & c))]"},
        {"return a + b & c", "[return ((a + b) & c)]"},
        {"return 1 + 2 * 3 - 4", "[return ((1 + (2 * 3)) - 4)]"},
        {"return a - b - c", "[return ((a - b) - c)]"},
        {"return a / b % c * d", "[return (((a / b) % c) * d)]"},
        {"return a * (b + c)", "[return (a * (b + c))]"},
        {"return (a or b) and c", "[return ((a or b) and c)]"},
        {"return not not a", "[return (not (not a))]"},
        {"return a or b and c eq d", "[return (a or (b and (c eq d)))]"},
        // Statements and expressions.
        {"let a = 1\nlet case(n) = \"x y\"\nexit", "[let a = 1; let case(n) = \"x y\"; exit]"},
        {"g(n, case(n))\nbeep\nreturn -3", "[g(n, case(n)); beep; return -3]"},
        {"if a then b else c d end if", "[if a then [b] else [c; d] end if]"},
        {"if true then false end if", "[if true then [false] end if]"},
        {"while a < 3 let a = a + 1 end while", "[while (a < 3) [let a = (a + 1)] end while]"},
        {"for every node a b end for", "[for every node a [b] end for]"},
        {"for every node a dominated by n exit end for",
         "[for every node a dominated by n [exit] end for]"},
        {"return search upward(n, case(candidate) eq \"x\")",
         "[return search upward(n, (case(candidate) eq \"x\"))]"},
        {"let a = red + underline", "[let a = (4 + 4)]"},
    };
    for (const auto& [body, expected] : cases)
        EXPECT_EQ(printed(body), expected) << body;
}

TEST(ScriptParseTree, NodesCarryTheKindsAndLeavesTheInterpreterWalks) {
    ScriptHarness fixture({"case"});
    const CScriptNode* body =
        compileBody(fixture, "let case(n) = g(1, \"two\")\nlet a = n\nreturn not true\nexit");
    ASSERT_NE(body, nullptr);
    // let case(n) = g(1, "two")
    const CScriptNode* assignment = body->left();
    ASSERT_NE(assignment, nullptr);
    EXPECT_EQ(assignment->kind(), kNodeAssignment);
    const CScriptNode* target = assignment->left();
    EXPECT_EQ(target->kind(), kNodeTargetFeature);
    EXPECT_EQ(target->left()->symbol()->getSymbolType(), kSymbolAttribu);
    EXPECT_EQ(target->right()->kind(), kNodeParameter);
    EXPECT_EQ(target->right()->left()->symbol()->getSymbolType(), kSymbolLoclArg);
    const CScriptNode* call = assignment->right();
    EXPECT_EQ(call->kind(), kNodeCall);
    EXPECT_EQ(call->right(), nullptr);
    const CScriptNode* callee = call->left();
    EXPECT_TRUE(callee->isLeaf());
    EXPECT_EQ(callee->symbol()->getSymbolString().str(), "g");
    const CScriptNode* firstArgument = callee->left();
    EXPECT_EQ(firstArgument->kind(), kNodeListCell);
    EXPECT_EQ(firstArgument->left()->kind(), kNodeLiteral);
    EXPECT_EQ(firstArgument->left()->left()->text()->getNumericValue(), 1);
    EXPECT_STREQ(firstArgument->right()->left()->left()->text()->getStringValue(), "two");
    EXPECT_EQ(firstArgument->right()->right(), nullptr);
    EXPECT_EQ(CScript::countArgs(firstArgument), 2);
    // let a = n
    const CScriptNode* second = body->right()->left();
    EXPECT_EQ(second->left()->kind(), kNodeTargetVariable);
    EXPECT_EQ(second->left()->left()->symbol()->getSymbolType(), kSymbolVariabl);
    // return not true
    const CScriptNode* third = body->right()->right()->left();
    EXPECT_EQ(third->kind(), kNodeReturn);
    EXPECT_EQ(third->left()->kind(), kNodeNot);
    EXPECT_EQ(third->left()->left()->kind(), kNodeTrue);
    // exit, the last cell
    const CScriptNode* last = body->right()->right()->right();
    EXPECT_EQ(last->left()->kind(), kNodeExit);
    EXPECT_EQ(last->right(), nullptr);
}
