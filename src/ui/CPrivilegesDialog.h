#pragma once

#include <QDialog>

class CRamexApp;
class QRadioButton;

// "User Privileges": chooses between the author's and the student's level. Reached by a key
// chord only; closing it hides it.
class CPrivilegesDialog : public QDialog {
public:
    explicit CPrivilegesDialog(CRamexApp& application);

    void OnInitDialog();
    void OnAuthor();
    void OnStudent();
    void OnUpdateControls();

    QRadioButton& authorButton() { return *author; }
    QRadioButton& userButton() { return *user; }

private:
    CRamexApp& theRamexApp;
    QRadioButton* author;
    QRadioButton* user;
};
