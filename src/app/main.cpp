#include "wendolarka_app.h"

int main(int argc, char** argv) { return wendolarka::runWendolarka(argc, argv); }
