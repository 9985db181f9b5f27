#pragma once

#include "app/ErrorCodes.h"

#include <memory>
#include <string>

class CFileDescriptor;
class CTree;

// Loading and saving whole grammar and document files: the version header checked before
// anything is read, and written after the database.

// Checks the version header, then loads the file into a new database. 1008, 1009 and 1010
// come back without a report; the caller shows versionMessage. On failure `tree` is empty.
RErr loadDatabaseFile(CFileDescriptor& file, std::unique_ptr<CTree>& tree);

// Writes the database's forks, then the version header.
RErr saveDatabaseFile(CTree& tree, CFileDescriptor& file);

// The message shown for 1008, 1009 and 1010; "" for other codes.
std::string versionMessage(RErr code);
