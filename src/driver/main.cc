// The tabrix program: hands the command line to the run driver.
#include "driver/run_driver.h"

int main(int argc, char** argv) { return tabrix::runMain(argc, argv); }
