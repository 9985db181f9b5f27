#include "ui/CFeaturesDialog.h"

#include "app/NameListSteps.h"

CFeaturesDialog::CFeaturesDialog(CRamexApp& application)
    : CFeaturesCategoriesDialog(application, featuresList()) {}
