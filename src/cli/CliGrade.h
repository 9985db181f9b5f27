#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `grade --grammar G.rgr (--call NAME | --menu TITLE) DOC... [--format text|csv|json]
// [--pictures DIR]`: runs the grammar's own check on each student document and reports what
// it marked, one document after another in the order given (they are graded on every core).
// Status 0 when every document was graded, 1 when one failed (or a picture could not be
// written, or the grammar is at fault), 2 for a usage error.
int gradeCommand(const std::vector<std::string>& arguments, std::ostream& out);
int runGrade(const std::vector<std::string>& arguments);
