#include "cli/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return panemark::CommandLine::run({argv + 1, argv + argc}, std::cin, std::cout, std::cerr);
}
