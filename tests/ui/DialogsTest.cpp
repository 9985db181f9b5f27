#include "ui/CAskDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

TEST(CAskDialog, OKGivesTheFieldsTextAndAnythingElseAnEmptyAnswer) {
    std::string answer = "left over";
    {
        CAskDialog dialog("Which verb?", answer);
        EXPECT_EQ(answer, "");
        EXPECT_EQ(dialog.promptText().text(), "Which verb?");
        dialog.OnOK();
        EXPECT_EQ(answer, "");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    {
        CAskDialog dialog("Which verb?", answer);
        dialog.editField().setText(QStringLiteral("schläft"));
        dialog.OnOK();
        EXPECT_EQ(answer, "schläft");
    }
    {
        CAskDialog dialog("Which verb?", answer);
        QTest::keyClicks(&dialog.editField(), QStringLiteral("runs"));
        dialog.reject();
        EXPECT_EQ(answer, "");
    }
}
