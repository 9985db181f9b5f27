#include "ui/CFeaturesDialog.h"

CFeaturesDialog::CFeaturesDialog() {
    setWindowTitle(QStringLiteral("Features"));
    resize(260, 320);
}
