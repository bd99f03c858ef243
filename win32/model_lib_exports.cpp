// The model library DLL is the host's own code linked whole; this file only
// gives the target a source of its own.
