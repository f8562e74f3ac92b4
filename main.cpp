#include "shell/application.h"

int main(int argc, char *argv[])
{
    return Orvik::runApplication(argc, argv);
}
