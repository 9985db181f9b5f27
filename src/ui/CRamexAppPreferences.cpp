// The two preferences kept between runs (the current grammar and the privilege level), the
// privilege level itself, and the two dialogs reached by key chords.
#include "ui/CRamexApp.h"

#include "ui/CDebugDialog.h"
#include "ui/CPrivilegesDialog.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"

#include <QSettings>
#include <QString>

namespace {

const QString kGroup = QStringLiteral("Prefs Format 1");
const QString kCurrentGrammar = QStringLiteral("Current Grammar");
const QString kPrivileges = QStringLiteral("Privileges");

// Both the organisation and the application; the format is the default one, so tests can
// point the settings at a folder of their own.
const QString kOrganisation = QStringLiteral("Ramex");

} // namespace

RErr CRamexApp::readPreferences() {
    QSettings settings(QSettings::defaultFormat(), QSettings::UserScope, kOrganisation,
                       kOrganisation);
    settings.beginGroup(kGroup);
    const std::string grammar = settings.value(kCurrentGrammar, QString()).toString().toStdString();
    bool isNumber = false;
    const int privileges = settings.value(kPrivileges, -1).toInt(&isNumber);
    settings.endGroup();

    authorCommandsAreEnabledBool = isNumber && privileges == 1;
    if (!isNumber || (privileges != 1 && privileges != 0 && privileges != -1))
        bug("The Privileges field in the Registry contains an invalid value. Privileges are "
            "being set to Student level.",
            kNoErr);

    const RErr err = selectGrammar(grammar);
    if (err) {
        MessageRequest fatal;
        fatal.title = "Fatal error";
        fatal.text = "Ramex encountered a fatal problem while trying to read its preferences "
                     "from the registry.  Ramex cannot continue.";
        currentPlatform().showMessage(fatal);
    }
    return err;
}

RErr CRamexApp::writePreferences() {
    QSettings settings(QSettings::defaultFormat(), QSettings::UserScope, kOrganisation,
                       kOrganisation);
    settings.beginGroup(kGroup);
    settings.setValue(kPrivileges, authorCommandsAreEnabledBool ? 1 : 0);
    settings.setValue(kCurrentGrammar, haveCurrentlySelectedGrammar()
                                           ? QString::fromStdString(currentGrammarPath())
                                           : QString());
    settings.endGroup();
    settings.sync();
    return kNoErr;
}

void CRamexApp::setPrivileges(bool author) {
    authorCommandsAreEnabledBool = author;
    if (mode == kModeAuthor)
        lexicalItemsDialogWindow->redrawUserInterface();
    else
        ramexWindow->updateMenus();
}

void CRamexApp::showSecretDialog(bool privilegesNotMemory) {
    QWidget* dialog = privilegesNotMemory ? static_cast<QWidget*>(privilegesDialogWindow.get())
                                          : static_cast<QWidget*>(debugDialogWindow.get());
    // The memory list opens on what is still outstanding.
    if (!privilegesNotMemory)
        debugDialogWindow->OnLimitedButton();
    dialog->show();
    dialog->raise();
}
