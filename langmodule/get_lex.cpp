// Placeholder until the language module's table lands.
extern "C" __attribute__((visibility("default"))) const char* GetLex(int) { return "?"; }
