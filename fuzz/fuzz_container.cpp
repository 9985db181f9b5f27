// Any file must open as a forked container or fail with a code: never crash, read outside a
// fork, allocate what the file cannot justify, or leak. Opened containers are then read,
// resized and given a version header.
#include "FuzzScratchFile.h"
#include "base/RecordingPlatform.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "storage/CVersionInfo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RecordingPlatform platform;
    static const bool installed = (installPlatform(&platform), true);
    (void)installed;
    platform.clear();
    static const std::string path = fuzzScratchPath("container");
    writeFuzzInput(path, data, size);

    CFileDescriptor descriptor(path);
    {
        RErr err = kNoErr;
        CRFile file(descriptor, err);
        if (!err) {
            for (int32_t i = 0; i < file.forkCount(); ++i) {
                const RForkType type = file.entry(i).forkType;
                int32_t forkSize = 0;
                if (file.getForkSize(type, forkSize) || forkSize < 0)
                    std::abort();
                std::vector<unsigned char> buffer(static_cast<size_t>(forkSize) + 1);
                int32_t length = forkSize + 1;
                file.setForkPosition(type, 0);
                file.readFork(type, length, buffer.data());
                if (length != forkSize)
                    std::abort();
            }
            const RForkType first = file.entry(0).forkType;
            int32_t forkSize = 0;
            file.getForkSize(first, forkSize);
            file.setForkSize(first, forkSize / 2);
            file.setForkSize(first, forkSize + 3);
            file.createFork(makeForkType("Fuzz"));
        }
    }
    {
        CVersionInfo info(descriptor);
        info.checkVersionInfo();
        info.writeCurrentVersionInfo();
    }
    if (descriptor.isOpenNow())
        std::abort();
    return 0;
}
