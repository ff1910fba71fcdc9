# Warning flags for the project's own sources (never for JUCE's module sources).
set(WIRELACE_WARNING_FLAGS -Wall -Wextra)
