#include "ui/CPrivilegesDialog.h"

#include "ui/CRamexApp.h"

#include <QRadioButton>
#include <QVBoxLayout>

CPrivilegesDialog::CPrivilegesDialog(CRamexApp& application)
    : theRamexApp(application), author(new QRadioButton(QStringLiteral("Author Privileges"), this)),
      user(new QRadioButton(QStringLiteral("User Privileges"), this)) {
    setWindowTitle(QStringLiteral("User Privileges"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(author);
    layout->addWidget(user);
    // Clicks, not toggles: the buttons are also set from the level, which must not loop back.
    connect(author, &QRadioButton::clicked, this, [this] { OnAuthor(); });
    connect(user, &QRadioButton::clicked, this, [this] { OnStudent(); });
    OnInitDialog();
}

void CPrivilegesDialog::OnInitDialog() {
    OnUpdateControls();
}

void CPrivilegesDialog::OnAuthor() {
    theRamexApp.setPrivileges(true);
    OnUpdateControls();
}

void CPrivilegesDialog::OnStudent() {
    theRamexApp.setPrivileges(false);
    OnUpdateControls();
}

void CPrivilegesDialog::OnUpdateControls() {
    const bool isAuthor = theRamexApp.getPrivileges();
    author->setChecked(isAuthor);
    user->setChecked(!isAuthor);
}
