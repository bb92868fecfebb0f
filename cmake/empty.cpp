// Keeps every subsystem library non-empty while its folder is being filled.
