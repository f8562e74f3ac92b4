// Placeholder until the folder has sources of its own.
