#pragma once

class CScriptBuilder;

// Runs the script grammar over the scanner's tokens. Every error, a syntax error included,
// is recorded in the script being compiled; the result is 0 when the parse reached the end
// of the text.
int runScriptParser(CScriptBuilder& build);
