// Holds the shared precompiled headers.
