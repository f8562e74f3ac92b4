#include "application.h"

#include <QApplication>

namespace Orvik {

int runApplication(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return 0;
}

} // namespace Orvik
