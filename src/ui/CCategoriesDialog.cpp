#include "ui/CCategoriesDialog.h"

CCategoriesDialog::CCategoriesDialog() {
    setWindowTitle(QStringLiteral("Categories"));
    resize(260, 320);
}
