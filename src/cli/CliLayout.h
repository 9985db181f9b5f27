#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `layout FILE [--fixed-metrics W,H]`: lays out every tree of a grammar or document at its
// place and writes one line per node, trees in root-list order and each in pre-order:
// "NODE LABEL x=H y=V offset=X rect=L,T,R,B cum=L,T,R,B". Every character is W pixels wide
// and the font H pixels high (7 and 13 unless given), so the figures do not depend on the
// machine's fonts.
int layoutCommand(const std::vector<std::string>& arguments, std::ostream& out);
int runLayout(const std::vector<std::string>& arguments);
