#include "run_cli.h"

int main(int argc, char** argv) { return lumapress::RunCli(argc, argv); }
