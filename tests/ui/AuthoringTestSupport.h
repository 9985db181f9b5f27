#pragma once

#include "UiTestSupport.h"

#include <string>

// A test that builds a grammar from the text form and opens it for authoring, as an author
// does with Open Current Grammar.
class AuthoringTest : public AppTest {
protected:
    // The grammar becomes the current one and opens in mode 6; the recorder is cleared.
    void openForAuthoring(const std::string& grammarText);
};
