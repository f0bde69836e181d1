#include <cstdio>

#include "app/settings.h"

int main() {
    std::printf("Quova %s\n", quova::BuildProgramVersion().c_str());
    return 0;
}
