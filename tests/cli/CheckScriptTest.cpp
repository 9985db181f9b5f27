#include "CliTestSupport.h"

// `check-script` prints "ok" or the first error with its one-based line, line breaks of the
// message written as \n, for a bare script, a text form, a grammar or a document.
TEST(CliCheckScript, PrintsOkOrTheFirstErrorForEveryKindOfFile) {
    TempDir dir;
    struct Case {
        const char* file; // a grammar (.rgr) is built from the text
        const char* text;
        const char* out;
    };
    const Case cases[] = {
        {"good.rsc", "define function f(a)\n  return a * 2\nend define\n", "ok\n"},
        // The first error counts, on the line it was found.
        {"bad.rsc", "define function f\n  return 1\n  return zz\n  return yy(\nend define\n",
         "3: Undefined symbol.\n"},
        // Windows line ends count once.
        {"crlf.txt", "define function f(a, b) forward\r\ndefine function f(b, a)\r\nend define\r\n",
         "2: Bad parameter list.  Check to see if a symbol is repeated in the list.  \\nThere may "
         "also be a mismatching forward definition.\n"},
        // The text form contributes its features and script.
        {"g.rgt",
         "features: case num\nscript:\ndefine function f(n)\n  let case(n) = num(n)\nend define\n"
         "end script\ntree: [N dog]\n",
         "ok\n"},
        {"h.rgt", "script:\ndefine function f(n)\n  let gender(n) = 1\nend define\nend script\n",
         "2: Syntax error.\n"},
        // A grammar file is compiled with its features, whatever their letter case.
        {"f.rgr",
         "features: Gender\nscript:\ndefine function f(n)\n return gender(n)\nend define\n"
         "end script\n",
         "ok\n"},
        {"clash.rgr",
         "features: Gender\nscript:\ndefine menu \"A\"\n\"f\" \"F\"\nend define\n"
         "define function Gender\nend define\nend script\n",
         "4: Symbol was previously defined as an author-defined node feature.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = dir.file(c.file);
        if (file.substr(file.size() - 4) == ".rgr")
            built(dir, c.file, c.text);
        else
            writeTextFile(file, c.text);
        const CommandResult result = cli({"check-script", file});
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.status, std::string(c.out) == "ok\n" ? kExitSuccess : kExitInputFault);
    }
}
