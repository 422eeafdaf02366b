#include "screenshot/Screenshots.h"

int main(int argc, char** argv) {
    return quorvel::runScreenshots(argc, argv);
}
