#pragma once

#include <string>
#include <vector>

// `render FILE -o OUT.svg|.png|.pdf [--all]`: draws the work-area trees (with --all, every
// tree) of a grammar or document into a picture, on the offscreen platform. Where the
// program was built without Qt it says so and fails with status 1.
int runRender(const std::vector<std::string>& arguments);
