#include "converter/console/tonepak.h"

int main(int argc, char** argv) { return RunTonepak(argc, argv); }
