// The application's file operations: CCurrentFiles decides; the application hands it the
// current database and takes what it loads.
#include "ui/CRamexApp.h"

#include "ui/CRamexWindow.h"

RErr CRamexApp::adopt(RErr err, const std::unique_ptr<CTree>& loaded) {
    if (!err)
        theCTree = loaded.get();
    return err;
}

void CRamexApp::setGrammarLabel(const std::string& grammarPath, bool valid) {
    if (ramexWindow)
        ramexWindow->setGrammarLabel(grammarPath, valid);
}

RErr CRamexApp::getFilename(int32_t fileType, bool openNotSave) {
    return files.getFilename(fileType, openNotSave);
}

RErr CRamexApp::doSave(int32_t fileType, bool isSaveAs) {
    return files.doSave(theCTree, fileType, isSaveAs);
}

RErr CRamexApp::loadFile(std::unique_ptr<CTree>& loaded) {
    return adopt(files.loadFile(loaded), loaded);
}

RErr CRamexApp::doOpen(int32_t fileType, bool isRevert, std::unique_ptr<CTree>& loaded) {
    return adopt(files.doOpen(fileType, isRevert, loaded), loaded);
}

RErr CRamexApp::doChooseGrammar() {
    return files.doChooseGrammar();
}

RErr CRamexApp::openCurrentGrammarAsStudentDoc(std::unique_ptr<CTree>& loaded) {
    return adopt(files.openCurrentGrammarAsStudentDoc(loaded), loaded);
}

RErr CRamexApp::doOpenCurrentGrammar(std::unique_ptr<CTree>& loaded) {
    return adopt(files.doOpenCurrentGrammar(loaded), loaded);
}

void CRamexApp::setOpenGrammarAsSelectedGrammar() {
    files.setOpenGrammarAsSelectedGrammar();
}
