#include "AuthoringTestSupport.h"

#include "ui/CRamexWindow.h"

void AuthoringTest::openForAuthoring(const std::string& grammarText) {
    const std::string grammar = buildFile("g.rgr", grammarText);
    setPreference("Privileges", 1);
    setPreference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    paint();
    app->mainWindow().OnOpenCurrentGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
    platform.recorder.clear();
}
