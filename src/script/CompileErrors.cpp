#include "script/CompileErrors.h"

namespace {

const char* const kTexts[kHighestCompileError + 1] = {
    "",
    "Syntax error.",
    "Function was already forward defined.",
    "Parameter list doesn't match previous declaration.",
    "Symbol was previously defined as a global variable.",
    "Symbol was previously defined as an author-defined node feature.",
    "Bad parameter list.  Check to see if a symbol is repeated in the list.  \nThere may also "
    "be a mismatching forward definition.",
    "A symbol in an argument list cannot be used there, because it is already  \ndefined as an "
    "author-defined node feature.",
    "A symbol in an argument list cannot be used there, because it is already  \ndefined as a "
    "function.",
    "A local variable was defined more than once.",
    "A symbol was already defined as an argument to this same function.",
    "A symbol was already defined as a function.",
    "The symbol following 'for every node' has to be a variable.  \nUse 'define variable' to "
    "declare a variable.",
    "A comma is missing.",
    "Global variable defined more than once.",
    "An argument in this function definition was already defined.",
    "No more than two menus can be defined.",
    "Too few arguments were provided for a function.",
    "Too many arguments were provided for a function.",
    "Undefined symbol.",
    "Internal error: illegal symbol type for FunctionID.  \nPlease report this bug.",
    "Internal error: the lexer returned a local argument symbol \nwhile in global scope.  Please "
    "report this bug.",
};

} // namespace

const char* compileErrorText(int32_t code) {
    if (code < 1 || code > kHighestCompileError)
        return "";
    return kTexts[code];
}
