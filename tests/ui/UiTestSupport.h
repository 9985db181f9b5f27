#pragma once

#include "ui/CRamexApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QVariant>

#include <memory>
#include <string>

// A grammar with two words, an "open" and a "close" hook that send status messages, and a
// "Check" menu whose commands change a script variable (so a document becomes dirty).
extern const char* const kTestGrammarText;

// Each test gets its own settings folder, its own recording platform and a fresh
// application object; nothing ever blocks on a dialog.
class AppTest : public ::testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    // Writes a preference before the application starts.
    void setPreference(const char* name, const QVariant& value);
    QVariant preference(const char* name);
    // Builds the text form into a file; returns its path.
    std::string buildFile(const std::string& name, const std::string& text);
    // Starts the application; the main window is shown.
    bool start();
    // Lets the main window paint, which finishes a change to mode 1 or 3.
    void paint();
    // Starts with `grammar` as the current grammar and makes a new document from it.
    void startWithNewDocument(const std::string& grammar);

    std::vector<std::string> messageTexts() const;

    TempDir dir;
    RecordingPlatformScope platform;
    std::unique_ptr<CRamexApp> app;
};
