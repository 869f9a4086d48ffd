#include <filesystem>
#include <iostream>

#include "batch/BatchRunner.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tessaro7::batch::runBatch(args, std::cout, std::cerr, std::filesystem::current_path());
}
