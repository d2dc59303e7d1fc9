#include "app/app_state.h"

// Holds every default from the moment the process starts: no code runs to set them.
constinit AppState app;
