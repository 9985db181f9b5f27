#include "UiTestSupport.h"

#include "app/DocumentFiles.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "ui/CRamexWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTest>

#include <fstream>

const char* const kTestGrammarText = R"(categories: X N V A P
word dog: [NP [N' [N dog]]]
word barks: [VP [V' [V barks]]]
script:
define variable marks
define function open
  message("opened")
end define
define function close
  message("closing")
end define
define function mark
  let marks = marks & "x"
  message("marked")
end define
define menu "Check"
"mark" "Mark Trees"
divider
"mark" "Mark Again"
end define
end script
)";

AppTest::AppTest() {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(dir.path().string()));
}

AppTest::~AppTest() {
    app.reset();
    CFileDescriptor::failNthWriteFromNow(0);
}

void AppTest::setPreference(const char* name, const QVariant& value) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ramex"),
                       QStringLiteral("Ramex"));
    settings.setValue(QStringLiteral("Prefs Format 1/") + QLatin1String(name), value);
}

QVariant AppTest::preference(const char* name) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ramex"),
                       QStringLiteral("Ramex"));
    return settings.value(QStringLiteral("Prefs Format 1/") + QLatin1String(name));
}

std::string AppTest::buildFile(const std::string& name, const std::string& text) {
    const std::string source = dir.file(name + ".rgt");
    std::ofstream(source) << text;
    const std::string path = dir.file(name);
    const RTextTarget target = path.size() > 4 && path.substr(path.size() - 4) == ".rdc"
                                   ? RTextTarget::Document
                                   : RTextTarget::Grammar;
    std::unique_ptr<CTree> tree;
    RTextError error;
    EXPECT_TRUE(readGrammarTextFile(source, target, tree, error)) << error.message;
    if (tree) {
        CFileDescriptor file(path);
        EXPECT_EQ(saveDatabaseFile(*tree, file), kNoErr);
    }
    return path;
}

bool AppTest::start() {
    app = std::make_unique<CRamexApp>();
    return app->InitInstance(true);
}

void AppTest::paint() {
    CRamexWindow& window = app->mainWindow();
    window.repaint();
    QElapsedTimer clock;
    clock.start();
    while ((app->getMode() == kModeClosingDocument || app->getMode() == kModeOpeningDocument) &&
           clock.elapsed() < 5000) {
        QApplication::processEvents();
        if (app->getMode() == kModeClosingDocument || app->getMode() == kModeOpeningDocument)
            window.repaint();
    }
}

void AppTest::startWithNewDocument(const std::string& grammar) {
    setPreference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    paint();
    app->mainWindow().OnNew();
    ASSERT_EQ(app->getMode(), kModeOpeningDocument);
    paint();
    ASSERT_EQ(app->getMode(), kModeDocument);
}

std::vector<std::string> AppTest::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& call : platform.recorder.callsOfKind(RecordingPlatform::Kind::Message))
        texts.push_back(call.text);
    return texts;
}
