// The run driver: the program's entry point and owner of the run.
#pragma once

namespace tabrix {

// Shows the banner (and, as the run grows, conducts the whole run); returns the
// process exit status.
int runMain(int argc, char** argv);

// Clears the console and writes the banner.
void showBanner();

}  // namespace tabrix
