#include "support/ContainerTestSupport.h"

#include "storage/CFileDescriptor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

std::string newContainer(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    CFileDescriptor fd(path);
    EXPECT_EQ(CRFile::createCFile(fd), kNoErr);
    return path;
}

RErr withContainer(const std::string& path, const std::function<RErr(CRFile&)>& use) {
    CFileDescriptor fd(path);
    RErr err = kNoErr;
    CRFile file(fd, err);
    return err ? err : use(file);
}

std::vector<unsigned char> forkBytes(const std::string& path, RForkType type) {
    std::vector<unsigned char> bytes;
    EXPECT_EQ(withContainer(path,
                            [&](CRFile& file) {
                                int32_t size = 0;
                                RErr err = file.getForkSize(type, size);
                                bytes.resize(static_cast<std::size_t>(size));
                                if (!err)
                                    err = file.setForkPosition(type, 0);
                                if (!err)
                                    err = file.readFork(type, size, bytes.data());
                                return err;
                            }),
              kNoErr);
    return bytes;
}

void replaceFork(const std::string& path, RForkType type, const std::vector<unsigned char>& bytes) {
    EXPECT_EQ(withContainer(path,
                            [&](CRFile& file) {
                                bool exists = false;
                                RErr err = file.forkExists(type, exists);
                                if (!err && !exists)
                                    err = file.createFork(type);
                                auto length = static_cast<int32_t>(bytes.size());
                                if (!err)
                                    err = file.setForkSize(type, length);
                                if (!err)
                                    err = file.setForkPosition(type, 0);
                                if (!err)
                                    err = file.writeFork(type, length, bytes.data());
                                return err;
                            }),
              kNoErr);
}
