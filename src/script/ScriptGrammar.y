/* The script language: an LALR(1) grammar whose actions build the parse tree, define the
   script's symbols and record compile errors through CScriptBuilder. Semantic errors do not
   stop the parse; the first token the grammar does not allow does. */

%require "3.0"
%define api.pure full
%define api.prefix {script}
%define api.token.prefix {TOK_}
%parse-param {CScriptBuilder& build}
%lex-param {CScriptBuilder& build}
/* Two shift/reduce choices, both resolved by shifting: "f (x)" in an expression is a call
   with an argument, and "define function f (x)" opens a parameter list. */
%expect 2

%code requires {
class CRString;
class CScriptBuilder;
class CScriptNode;
class CSymbol;
}

%code {
#include "script/CScriptBuilder.h"
#include "script/CSymbol.h"
#include "script/ScriptParser.h"
#include "script/ScriptTokens.h"

static int scriptlex(SCRIPTSTYPE* value, CScriptBuilder& build);
static void scripterror(CScriptBuilder& build, const char* message);
}

%union {
    CSymbol* symbol;
    const CRString* text;
    const CScriptNode* node;
}

%token tDEBUG 258
%token <text> tCONSTANT 259 tSTRING 260
%token <symbol> tUNIDENTIFIEDsymbol 261 tATTRIBUTEsymbol 262 tFUNCTIONsymbol 263
%token <symbol> tVARIABLEsymbol 264 tLOCALARGUMENTsymbol 265
%token tEND 266 tIF 267 tTHEN 268 tELSE 269 tWHILE 270 tFOR 271 tEVERY 272 tNODE 273
%token tDOMINATED 274 tBY 275 tDEFINE 276 tVARIABLE 277 tFUNCTION 278 tFORWARD 279
%token tMENU 280 tDIVIDER 281 tSEARCH 282 tUPWARD 283 tLET 284 tEXIT 285
%token tAND 286 tOR 287 tNOT 288 tSTRING_EQUAL 289 tSTRING_NOT_EQUAL 290
%token tGE 291 tLE 292 tNE 293 tTRUE 294 tFALSE 295 tRETURN 296

%right tNOT
%left tOR
%left tAND
%left tSTRING_EQUAL tSTRING_NOT_EQUAL
%left '=' tNE
%left '<' '>' tLE tGE
%left '&'
%left '+' '-'
%left '*' '/' '%'

%type <symbol> functionHeader functionID
%type <symbol> unidentifiedSymbol functionSymbol variableSymbol localArgumentSymbol
%type <symbol> attributeSymbol
%type <text> integer string
%type <node> functionBody statementList statement lvalue expression argumentList

%%

/* the script: one paragraph after another */
paragraphList
    : paragraph
    | paragraph paragraphList
    ;

/* "debug" switches run-time error reports on */
paragraph
    : tDEBUG { build.turnOnRunTimeDebugging(); }
    | functionDefinition
    | variableDefinition
    | menuDefinition
    ;

/* a function: declared forward, defined empty, or defined with a body */
functionDefinition
    : tDEFINE tFUNCTION functionHeader tFORWARD { build.finishForward($3); }
    | tDEFINE tFUNCTION functionHeader tEND tDEFINE { build.finishDefinition($3, nullptr); }
    | tDEFINE tFUNCTION functionHeader functionBody tEND tDEFINE
        { build.finishDefinition($3, $4); }
    ;

/* the function's name, then its parameters: makes it a user function */
functionHeader
    : functionID { $$ = build.functionHeader($1, false); }
    | functionID '(' parameterList ')' { $$ = build.functionHeader($1, true); }
    ;

/* the name being defined: opens the function's scope */
functionID
    : unidentifiedSymbol { $$ = build.enterFunction($1); }
    | functionSymbol { $$ = build.enterFunction($1); }
    | variableSymbol { $$ = build.rejectFunctionID($1, 4); }
    | localArgumentSymbol { $$ = build.rejectFunctionID($1, 21); }
    | attributeSymbol { $$ = build.rejectFunctionID($1, 5); }
    ;

parameterList
    : parameter
    | parameter ',' parameterList
    ;

/* one parameter: takes the next frame slot */
parameter
    : %empty
    | unidentifiedSymbol { build.newParameter($1); }
    | variableSymbol { build.parameterHidingGlobal($1); }
    | localArgumentSymbol { build.declaredParameter($1); }
    | attributeSymbol { build.rejectParameter(7); }
    | functionSymbol { build.rejectParameter(8); }
    ;

/* the statements, after any local variables: fixes the frame size */
functionBody
    : statementList { $$ = build.functionBody($1); }
    | tDEFINE tVARIABLE localVariableList { $$ = build.functionBody(nullptr); }
    | tDEFINE tVARIABLE localVariableList statementList { $$ = build.functionBody($4); }
    ;

localVariableList
    : localVariable
    | localVariable ',' localVariableList
    ;

/* one local variable: takes the next frame slot */
localVariable
    : unidentifiedSymbol { build.newLocalVariable($1); }
    | variableSymbol { build.localVariableHidingGlobal($1); }
    | localArgumentSymbol { build.rejectLocalVariable(10); }
    | functionSymbol { build.rejectLocalVariable(11); }
    | attributeSymbol { build.rejectLocalVariable(5); }
    ;

/* a chain of list cells */
statementList
    : statement { $$ = build.listCell($1, nullptr); }
    | statement statementList { $$ = build.listCell($1, $2); }
    ;

statement
    : tLET lvalue '=' expression { $$ = build.node(kNodeAssignment, $2, $4); }
    | expression { $$ = build.node(kNodeExpressionStatement, $1); }
    | tRETURN expression { $$ = build.node(kNodeReturn, $2); }
    | tEXIT { $$ = build.node(kNodeExit); }
    ;

/* what "let" can assign: a variable, or a feature of a node */
lvalue
    : variableSymbol { $$ = build.node(kNodeTargetVariable, build.leaf($1)); }
    | attributeSymbol '(' expression ')'
        { $$ = build.node(kNodeTargetFeature, build.leaf($1), $3); }
    ;

expression
    : expression '=' expression { $$ = build.node('=', $1, $3); }
    | expression tSTRING_EQUAL expression { $$ = build.node(tSTRING_EQUAL, $1, $3); }
    | expression tSTRING_NOT_EQUAL expression { $$ = build.node(tSTRING_NOT_EQUAL, $1, $3); }
    | expression '&' expression { $$ = build.node('&', $1, $3); }
    | expression '+' expression { $$ = build.node('+', $1, $3); }
    | expression '-' expression { $$ = build.node('-', $1, $3); }
    | expression '*' expression { $$ = build.node('*', $1, $3); }
    | expression '/' expression { $$ = build.node('/', $1, $3); }
    | expression '%' expression { $$ = build.node('%', $1, $3); }
    | expression '>' expression { $$ = build.node('>', $1, $3); }
    | expression '<' expression { $$ = build.node('<', $1, $3); }
    | expression tGE expression { $$ = build.node(tGE, $1, $3); }
    | expression tLE expression { $$ = build.node(tLE, $1, $3); }
    | expression tNE expression { $$ = build.node(tNE, $1, $3); }
    | expression tAND expression { $$ = build.node(tAND, $1, $3); }
    | expression tOR expression { $$ = build.node(tOR, $1, $3); }
    | tNOT expression { $$ = build.node(kNodeNot, $2); }
    | variableSymbol { $$ = build.node(kNodeVariable, build.leaf($1)); }
    /* a call without arguments is written without parentheses */
    | functionSymbol { $$ = build.call($1, nullptr, false); }
    | functionSymbol '(' argumentList ')' { $$ = build.call($1, $3, true); }
    | localArgumentSymbol { $$ = build.node(kNodeParameter, build.leaf($1)); }
    | attributeSymbol '(' expression ')'
        { $$ = build.node(kNodeFeatureRead, build.leaf($1), $3); }
    | integer { $$ = build.node(kNodeLiteral, build.leaf($1)); }
    | string { $$ = build.node(kNodeLiteral, build.leaf($1)); }
    | tTRUE { $$ = build.node(kNodeTrue); }
    | tFALSE { $$ = build.node(kNodeFalse); }
    | '(' expression ')' { $$ = $2; }
    | tIF expression tTHEN statementList tEND tIF
        { $$ = build.node(kNodeIf, $2, build.node(kNodeListCell, $4)); }
    | tIF expression tTHEN statementList tELSE statementList tEND tIF
        { $$ = build.node(kNodeIf, $2, build.node(kNodeListCell, $4, $6)); }
    | tWHILE expression statementList tEND tWHILE { $$ = build.node(kNodeWhile, $2, $3); }
    | tFOR tEVERY tNODE variableSymbol statementList tEND tFOR
        { $$ = build.forEveryNode($4, nullptr, $5); }
    | tFOR tEVERY tNODE variableSymbol tDOMINATED tBY expression statementList tEND tFOR
        { $$ = build.forEveryNode($4, $7, $8); }
    | tSEARCH tUPWARD '(' expression ',' expression ')'
        { $$ = build.node(kNodeSearchUpward, $4, $6); }
    /* a name used but never defined */
    | tUNIDENTIFIEDsymbol { $$ = build.undefinedSymbol($1); }
    ;

/* a chain of list cells, one per argument */
argumentList
    : expression { $$ = build.listCell($1, nullptr); }
    | expression ',' argumentList { $$ = build.listCell($1, $3); }
    ;

variableDefinition
    : tDEFINE tVARIABLE variableDeclarationList
    ;

/* names separated by commas; a missing comma is an error, but both names are declared */
variableDeclarationList
    : variableDeclaration
    | variableDeclaration ',' variableDeclarationList
    | variableDeclaration variableDeclarationList { build.missingComma(); }
    ;

/* a global variable */
variableDeclaration
    : unidentifiedSymbol { build.declareGlobalVariable($1); }
    ;

menuDefinition
    : menuStart menuList menuEnd
    ;

/* "define menu" and its title: declares the menu */
menuStart
    : tDEFINE tMENU string { build.startMenu($3); }
    ;

menuEnd
    : tEND tDEFINE
    ;

menuList
    : menuItem
    | menuItem menuList
    ;

/* the function an item runs and the label it shows, or a divider line */
menuItem
    : string string { build.menuItem($1, $2); }
    | tDIVIDER { build.menuDivider(); }
    ;

/* the one-token symbols pass on the token's value */
integer : tCONSTANT { $$ = $1; } ;
string : tSTRING { $$ = $1; } ;
unidentifiedSymbol : tUNIDENTIFIEDsymbol { $$ = $1; } ;
functionSymbol : tFUNCTIONsymbol { $$ = $1; } ;
variableSymbol : tVARIABLEsymbol { $$ = $1; } ;
localArgumentSymbol : tLOCALARGUMENTsymbol { $$ = $1; } ;
attributeSymbol : tATTRIBUTEsymbol { $$ = $1; } ;

%%

static int scriptlex(SCRIPTSTYPE* value, CScriptBuilder& build) {
    RParseValue scanned;
    const int32_t token = build.nextToken(scanned);
    if (scanned.symbol)
        value->symbol = scanned.symbol;
    else
        value->text = scanned.text;
    return token;
}

static void scripterror(CScriptBuilder& build, const char*) {
    // "syntax error" and "memory exhausted" (nesting deeper than the parser's stack) alike.
    build.raiseError(1);
}

int runScriptParser(CScriptBuilder& build) {
    // The parse tree uses the token codes as node kinds, so both lists must agree.
    static_assert(int{TOK_tDEBUG} == int{tDEBUG} && int{TOK_tRETURN} == int{tRETURN},
                  "token codes");
    static_assert(int{TOK_tUNIDENTIFIEDsymbol} == int{tUNIDENTIFIEDsymbol} &&
                      int{TOK_tNE} == int{tNE},
                  "token codes");
    return scriptparse(build);
}
