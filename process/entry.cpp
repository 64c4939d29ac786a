#include "process/process.h"

int main(int argc, char *argv[])
{
    return Process::run(argc, argv);
}
