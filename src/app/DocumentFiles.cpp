#include "app/DocumentFiles.h"

#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/CVersionInfo.h"

RErr loadDatabaseFile(CFileDescriptor& file, std::unique_ptr<CTree>& tree) {
    tree.reset();
    RErr err = kNoErr;
    {
        CVersionInfo version(file);
        err = version.checkVersionInfo();
    }
    if (err)
        return err;
    auto loaded = std::make_unique<CTree>();
    err = loaded->createTree(false);
    if (!err)
        err = loaded->doLoad(file);
    if (!err)
        tree = std::move(loaded);
    return err;
}

RErr saveDatabaseFile(CTree& tree, CFileDescriptor& file) {
    RErr err = tree.doSave(file);
    if (!err) {
        CVersionInfo version(file);
        err = version.writeCurrentVersionInfo();
    }
    return err;
}

std::string versionMessage(RErr code) {
    switch (code) {
    case kErrInvalidFormat:
        return "The file cannot be opened, because it is in an invalid format.";
    case kErrOlderVersion:
        return "This file was created by an older version of Ramex and cannot be read.";
    case kErrNewerVersion:
        return "This file was created by a more recent version of Ramex and cannot be read.";
    default:
        return "";
    }
}
