#include "ui/CCategoriesDialog.h"

#include "app/NameListSteps.h"

CCategoriesDialog::CCategoriesDialog(CRamexApp& application)
    : CFeaturesCategoriesDialog(application, categoriesList()) {}
