// Anchors the compiled-in resources in a library of their own.
