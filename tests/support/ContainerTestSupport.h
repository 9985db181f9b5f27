#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRFile.h"

#include <functional>
#include <string>
#include <vector>

class TempDir;

// A new, empty container (only 'DATA') at dir/name; gives its path.
std::string newContainer(const TempDir& dir, const std::string& name);

// Opens the container at path for the length of one use; the first error wins.
RErr withContainer(const std::string& path, const std::function<RErr(CRFile&)>& use);

// The bytes of a fork as the file holds them now.
std::vector<unsigned char> forkBytes(const std::string& path, RForkType type);

// Makes the fork hold exactly the bytes, creating it if needed.
void replaceFork(const std::string& path, RForkType type, const std::vector<unsigned char>& bytes);
