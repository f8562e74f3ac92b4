#pragma once

namespace Orvik {

// The program entry: builds the application and the main window and runs the event loop.
int runApplication(int argc, char *argv[]);

} // namespace Orvik
