// Keeps a library buildable while its areas are still being filled in.
