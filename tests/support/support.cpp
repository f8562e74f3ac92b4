// Shared test helpers: fakes of the window interfaces and a file writer.
