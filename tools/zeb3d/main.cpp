// zeb3d: inspects scene files (see SceneInspector.h).
#include "zeb3d/SceneInspector.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunZeb3d(args, std::cout, std::cerr);
}
