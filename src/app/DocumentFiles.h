#pragma once

#include "base/ErrorCodes.h"

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

// Saves without ever destroying the previous file: the new file is written beside it, flushed
// to the disk, and only then renamed over the old one. A failure at any point leaves the old
// file as it was. With `keepOtherForks` (saving a file over itself) the new file starts as a
// copy of the old one, so forks the database does not write and the version header's last
// word carry over exactly as a save in place would leave them; without it (replacing some
// other file) the new file starts empty.
RErr saveDatabaseFileSafely(CTree& tree, CFileDescriptor& file, bool keepOtherForks);

// The message shown for 1008, 1009, 1010 and 1001 (memory ran out); "" for other codes.
std::string versionMessage(RErr code);
