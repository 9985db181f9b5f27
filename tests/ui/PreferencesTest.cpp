#include "UiTestSupport.h"

#include "app/CommandIds.h"
#include "storage/CRMemory.h"
#include "ui/CDebugDialog.h"
#include "ui/CPrivilegesDialog.h"
#include "ui/CRamexWindow.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

TEST_F(AppTest, AFirstRunIsAUserWithoutAGrammarAndSaysNothing) {
    ASSERT_TRUE(start());
    EXPECT_FALSE(app->getPrivileges());
    EXPECT_FALSE(app->haveCurrentlySelectedGrammar());
    EXPECT_EQ(app->mainWindow().grammarLabelText(), "Currently Selected Grammar:\nNone");
    EXPECT_TRUE(platform.recorder.calls().empty());
    app->cleanUpForExit();
    EXPECT_EQ(preference("Privileges").toInt(), 0);
    EXPECT_EQ(preference("Current Grammar").toString(), "");
}

TEST_F(AppTest, AnInvalidPrivilegesValueIsReportedOnceAndWrittenBackAsUser) {
    setPreference("Privileges", 7);
    ASSERT_TRUE(start());
    EXPECT_FALSE(app->getPrivileges());
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{"The Privileges field in the Registry contains an invalid "
                                        "value. Privileges are being set to Student level."}));
    app->cleanUpForExit();
    EXPECT_EQ(preference("Privileges").toInt(), 0);
}

TEST_F(AppTest, TheCurrentGrammarIsValidOnlyWhileItsFileExists) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    setPreference("Privileges", 1);
    setPreference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    EXPECT_TRUE(app->getPrivileges());
    EXPECT_TRUE(app->haveCurrentlySelectedGrammar());
    EXPECT_EQ(app->mainWindow().grammarLabelText(), "Currently Selected Grammar:\nenglish");
    app->cleanUpForExit();
    EXPECT_EQ(preference("Current Grammar").toString().toStdString(), grammar);
    EXPECT_EQ(preference("Privileges").toInt(), 1);
    app.reset();

    setPreference("Current Grammar", QString::fromStdString(dir.file("gone.rgr")));
    ASSERT_TRUE(start());
    EXPECT_FALSE(app->haveCurrentlySelectedGrammar());
    EXPECT_TRUE(platform.recorder.calls().empty());
    app->cleanUpForExit();
    EXPECT_EQ(preference("Current Grammar").toString(), "");
}

TEST_F(AppTest, ThePrivilegesDialogChangesTheLevelAndTheMenusAtOnce) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    setPreference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    paint();
    CPrivilegesDialog& dialog = app->privilegesDialog();
    EXPECT_FALSE(dialog.authorButton().isChecked());
    EXPECT_TRUE(dialog.userButton().isChecked());
    EXPECT_FALSE(app->mainWindow().action(kCommandNewGrammar)->isEnabled());

    app->showSecretDialog(true);
    ASSERT_TRUE(dialog.isVisible());
    QTest::mouseClick(&dialog.authorButton(), Qt::LeftButton);
    EXPECT_TRUE(app->getPrivileges());
    EXPECT_TRUE(dialog.authorButton().isChecked());
    EXPECT_FALSE(dialog.userButton().isChecked());
    for (int32_t id : {kCommandNewGrammar, kCommandOpenGrammar, kCommandOpenCurrentGrammar})
        EXPECT_TRUE(app->mainWindow().action(id)->isEnabled()) << id;
    app->cleanUpForExit();
    EXPECT_EQ(preference("Privileges").toInt(), 1);

    QTest::mouseClick(&dialog.userButton(), Qt::LeftButton);
    EXPECT_FALSE(app->getPrivileges());
    EXPECT_FALSE(app->mainWindow().action(kCommandNewGrammar)->isEnabled());
}

TEST_F(AppTest, TheTwoKeyChordsOpenTheHiddenDialogs) {
    ASSERT_TRUE(start());
    paint();
    CRamexWindow& main = app->mainWindow();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(app->privilegesDialog().isVisible());
    EXPECT_FALSE(app->debugDialog().isVisible());
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    CRMemory::shared().countAllocation(157);
    QTest::keyClick(&main, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(app->debugDialog().isVisible());
    // It opens on the Limited list: the block held under tag 157 is on it.
    const QString held = QStringLiteral("157   %1   %2   1")
                             .arg(CRMemory::shared().allocations(157))
                             .arg(CRMemory::shared().frees(157));
    EXPECT_EQ(app->debugDialog().list().findItems(held, Qt::MatchExactly).size(), 1);
    CRMemory::shared().countFree(157);
}

TEST_F(AppTest, TheMemoryListShowsEveryCounterOrOnlyWhatIsOutstanding) {
    ASSERT_TRUE(start());
    // One tag with everything given back, one with a block still held.
    CRMemory& memory = CRMemory::shared();
    memory.countAllocation(158);
    memory.countFree(158);
    memory.countAllocation(159);
    const QString balanced = QStringLiteral("158   %1   %1   0").arg(memory.allocations(158));
    const QString held = QStringLiteral("159   %1   %2   %3")
                             .arg(memory.allocations(159))
                             .arg(memory.frees(159))
                             .arg(memory.live(159));
    CDebugDialog& dialog = app->debugDialog();
    auto lines = [&dialog] {
        QStringList texts;
        for (int row = 0; row < dialog.list().count(); ++row)
            texts << dialog.list().item(row)->text();
        return texts;
    };
    dialog.OnFullButton();
    const QStringList full = lines();
    EXPECT_TRUE(full.contains(balanced));
    EXPECT_TRUE(full.contains(held));
    // Each line: the tag and three numbers, three blanks apart, the last their difference.
    for (const QString& line : full) {
        const QStringList parts = line.split(QStringLiteral("   "));
        ASSERT_EQ(parts.size(), 4);
        EXPECT_EQ(parts[1].toLongLong() - parts[2].toLongLong(), parts[3].toLongLong());
    }
    dialog.OnLimitedButton();
    const QStringList limited = lines();
    EXPECT_FALSE(limited.contains(balanced));
    EXPECT_TRUE(limited.contains(held));
    for (const QString& line : limited)
        EXPECT_FALSE(line.endsWith(QStringLiteral("   0"))) << line.toStdString();
    memory.countFree(159);
}

TEST_F(AppTest, AGrammarPathThatCannotBeTestedEndsTheStartWithTheFatalMessage) {
    // Longer than any path the system accepts: the existence test itself fails.
    setPreference("Current Grammar",
                  QString(QStringLiteral("/")) + QString(5000, QLatin1Char('a')));
    app = std::make_unique<CRamexApp>();
    EXPECT_FALSE(app->InitInstance(true));
    const auto shown = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Fatal error");
    EXPECT_EQ(shown[0].text, "Ramex encountered a fatal problem while trying to read its "
                             "preferences from the registry.  Ramex cannot continue.");
}
